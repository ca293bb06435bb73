// The application entries against Wine's real registry.
#include <gtest/gtest.h>

#include <windows.h>

#include <string>

#include "shell/globals.h"
#include "sysconfig/application_registration.h"
#include "sysconfig/driver_registration.h"
#include "tests/support/import_patch.h"
#include "tests/support/registry.h"
#include "tests/support/value_log.h"

namespace {

const std::string ClassKey = "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}";
const std::string ServerKey = ClassKey + "\\InProcServer32";
const std::string HandlersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse\\shellex\\PropertySheetHandlers";
const std::string HandlerKey = HandlersKey + "\\QXMousePage";
const std::string RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const std::string UninstallKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Rollvane";

// Every key of the six steps, each with the value checked for it.
struct {
    HKEY root;
    const std::string& key;
    const char* value;
} const Steps[] = {
    {HKEY_CLASSES_ROOT, ClassKey, nullptr},    {HKEY_CLASSES_ROOT, ServerKey, nullptr},
    {HKEY_LOCAL_MACHINE, HandlersKey, nullptr}, {HKEY_LOCAL_MACHINE, HandlerKey, nullptr},
    {HKEY_LOCAL_MACHINE, RunKey, "Rollvane"},   {HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"},
};

void Clean()
{
    DeleteTree(HKEY_CLASSES_ROOT, ClassKey);
    DeleteTree(HKEY_LOCAL_MACHINE, HandlersKey);
    DeleteTree(HKEY_LOCAL_MACHINE, UninstallKey);
    HKEY run;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, RunKey.c_str(), 0, KEY_ALL_ACCESS, &run) == ERROR_SUCCESS) {
        RegDeleteValueA(run, "Rollvane");
        RegCloseKey(run);
    }
}

}  // namespace

TEST(ApplicationRegistration, EntriesWithTheComposedValues)
{
    struct {
        const char* installDir;
        const char* title;
        const char* server;
        const char* run;
        const char* uninstall;
    } cases[] = {
        {"C:\\ZORVA", "Zorva Wheel Mouse", "C:\\ZORVA\\QXPAGE.DLL", "C:\\ZORVA\\QXMAIN.EXE -startup",
         "C:\\ZORVA\\UNINSTAL.EXE"},
        {"C:\\ZORVA\\", "", "C:\\ZORVA\\\\QXPAGE.DLL", "C:\\ZORVA\\\\QXMAIN.EXE -startup",
         "C:\\ZORVA\\\\UNINSTAL.EXE"},
        // A path with a blank is quoted in a command line, never as a plain path.
        {"C:\\Program Files\\Zorva", "Zorva", "C:\\Program Files\\Zorva\\QXPAGE.DLL",
         "\"C:\\Program Files\\Zorva\\QXMAIN.EXE\" -startup", "\"C:\\Program Files\\Zorva\\UNINSTAL.EXE\""},
        {"C:\\Program Files\\", "Zorva", "C:\\Program Files\\\\QXPAGE.DLL",
         "\"C:\\Program Files\\\\QXMAIN.EXE\" -startup", "\"C:\\Program Files\\\\UNINSTAL.EXE\""},
    };
    for (const auto& c : cases) {
        Clean();
        InstallDir.assign(c.installDir);
        StartupTitle.assign(c.title);
        SetValueLog log;
        RegisterApplication();
        std::vector<ValueWrite> expected = {
            Sz("(default)", "QXMouseControlPage"), Sz("(default)", c.server), Sz("ThreadingModel", "Apartment"),
            Sz("(default)", "QXMousePage"), Sz("(default)", "{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}"),
            Sz("Rollvane", c.run), Sz("DisplayName", c.title), Sz("UninstallString", c.uninstall)};
        EXPECT_EQ(expected, log.writes()) << c.installDir;
        EXPECT_EQ("QXMouseControlPage", TextOf(HKEY_CLASSES_ROOT, ClassKey, nullptr));
        EXPECT_EQ(c.server, TextOf(HKEY_CLASSES_ROOT, ServerKey, nullptr));
        EXPECT_EQ("Apartment", TextOf(HKEY_CLASSES_ROOT, ServerKey, "ThreadingModel"));
        EXPECT_EQ("QXMousePage", TextOf(HKEY_LOCAL_MACHINE, HandlersKey, nullptr));
        EXPECT_EQ("{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}", TextOf(HKEY_LOCAL_MACHINE, HandlerKey, nullptr));
        EXPECT_EQ(c.run, TextOf(HKEY_LOCAL_MACHINE, RunKey, "Rollvane"));
        EXPECT_EQ(c.title, TextOf(HKEY_LOCAL_MACHINE, UninstallKey, "DisplayName"));
        EXPECT_EQ(c.uninstall, TextOf(HKEY_LOCAL_MACHINE, UninstallKey, "UninstallString"));
    }
}

namespace {

const char* RefusedKey;

LONG WINAPI RefusingCreate(HKEY root, LPCSTR path, DWORD reserved, LPSTR cls, DWORD options, REGSAM access,
                           LPSECURITY_ATTRIBUTES security, PHKEY key, LPDWORD disposition)
{
    if (lstrcmpiA(path, RefusedKey) == 0) return ERROR_ACCESS_DENIED;
    return ImportHook<RefusingCreate>::Real()(root, path, reserved, cls, options, access, security, key, disposition);
}

}  // namespace

TEST(ApplicationRegistration, AKeyThatCannotBeCreatedCostsOnlyItsStep)
{
    InstallDir.assign("C:\\ZORVA");
    StartupTitle.assign("Zorva");
    for (const auto& refused : Steps) {
        Clean();
        RefusedKey = refused.key.c_str();
        {
            ImportHook<RefusingCreate> refusing("advapi32.dll", "RegCreateKeyExA");
            RegisterApplication();
        }
        for (const auto& step : Steps) {
            StoredValue value = ReadStored(step.root, step.key, step.value);
            EXPECT_EQ(&step != &refused, value.present) << step.key << " with " << refused.key << " refused";
        }
    }
}

TEST(ApplicationRegistration, UpdateRegistryWritesTheEntriesOnlyInTheFullInstallation)
{
    InstallDir.assign("C:\\ZORVA");
    StartupTitle.assign("Zorva");
    SerialMouse = 2;  // no driver registration either way
    Clean();
    SetText(HKEY_LOCAL_MACHINE, HandlersKey, nullptr, "OtherPage");
    UpdateRegistry(0);
    for (const auto& step : Steps)
        EXPECT_EQ(step.key == HandlersKey, ReadStored(step.root, step.key, step.value).present) << step.key;
    EXPECT_EQ("OtherPage", TextOf(HKEY_LOCAL_MACHINE, HandlersKey, nullptr));

    UpdateRegistry(1);
    for (const auto& step : Steps) EXPECT_TRUE(ReadStored(step.root, step.key, step.value).present) << step.key;
    EXPECT_EQ("QXMousePage", TextOf(HKEY_LOCAL_MACHINE, HandlersKey, nullptr)) << "the handlers value is replaced";
}
