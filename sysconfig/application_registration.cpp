#include "sysconfig/application_registration.h"

#include <windows.h>

#include <cstring>

#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/handles.h"
#include "sysconfig/registry_values.h"

namespace {

const char* const PageClassId = "{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}";
const char* const ClassKey = "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}";
const char* const ServerKey = "CLSID\\{6A1C3F20-5B7E-11d1-9C4A-0080C7E21D55}\\InProcServer32";
// The unnamed value of the handlers key itself names the page's handler; the
// handler's own subkey holds its class id.
const char* const HandlersKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse\\shellex\\PropertySheetHandlers";
const char* const HandlerKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Controls Folder\\Mouse\\shellex\\PropertySheetHandlers"
    "\\QXMousePage";
const char* const RunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run";
const char* const UninstallKey = UninstallEntryKey;

// Room for the longest InstallDir, quotation marks, "\", the longest file
// name and the arguments: the composed values are never cut.
using CommandText = FixedText<300>;
static_assert(CommandText::Capacity >= decltype(InstallDir)::Capacity + 2 + 1 + 12 + 9,
              "a command line must hold the whole InstallDir");

bool HasBlank(const char* text)
{
    for (; *text != '\0'; ++text)
        if (*text == ' ') return true;
    return false;
}

// InstallDir + "\" + file, as it stands. A trailing backslash of InstallDir
// is kept, which doubles it; the system reads such a path all the same.
void ComposePath(CommandText& out, const char* file)
{
    out.assign(InstallDir).append("\\").append(file);
}

// A command line for the program InstallDir + "\" + file. The system splits
// an unquoted command line at its blanks and would first run, say,
// C:\Program.exe when there is one, so a path with a blank is quoted.
void ComposeCommand(CommandText& out, const char* file, const char* arguments)
{
    CommandText path;
    ComposePath(path, file);
    if (HasBlank(path)) out.assign("\"").append(path).append("\"").append(arguments);
    else out.assign(path).append(arguments);
}

struct Entry {
    const char* name;  // null: the key's unnamed value
    const char* data;  // null: no such value (a step with one value)
};

struct Step {
    HKEY root;
    const char* path;
    Entry values[2];
};

}  // namespace

namespace ApplicationKeys {
const char* const Class = ClassKey;
const char* const Server = ServerKey;
const char* const Handlers = HandlersKey;
const char* const Handler = HandlerKey;
const char* const Run = RunKey;
const char* const Uninstall = UninstallKey;
}  // namespace ApplicationKeys

void RegisterApplication()
{
    // The in-process server's path is a plain path, never quoted.
    CommandText server, run, uninstall;
    ComposePath(server, "QXPAGE.DLL");
    ComposeCommand(run, "QXMAIN.EXE", " -startup");
    ComposeCommand(uninstall, "UNINSTAL.EXE", "");

    const Step steps[] = {
        {HKEY_CLASSES_ROOT, ClassKey, {{nullptr, "QXMouseControlPage"}}},
        {HKEY_CLASSES_ROOT, ServerKey,
         {{nullptr, server}, {"ThreadingModel", "Apartment"}}},
        {HKEY_LOCAL_MACHINE, HandlersKey, {{nullptr, "QXMousePage"}}},
        {HKEY_LOCAL_MACHINE, HandlerKey, {{nullptr, PageClassId}}},
        {HKEY_LOCAL_MACHINE, RunKey, {{"Rollvane", run}}},
        {HKEY_LOCAL_MACHINE, UninstallKey,
         {{"DisplayName", StartupTitle}, {"UninstallString", uninstall}}},
    };
    // The handlers key names one handler; the one it named before ours is
    // recorded for the uninstaller.
    if (RegKey handlers = OpenRegistryKey(HKEY_LOCAL_MACHINE, HandlersKey)) {
        FixedText<256> previous;
        ReadTextValue(handlers.get(), nullptr, previous);
        if (std::strcmp(previous, "QXMousePage") != 0)
            WriteInstalledSettingOnce(Section::Application, "PropertySheetHandlers", previous);
    }
    // A key that cannot be created costs only its own step.
    for (const Step& step : steps) {
        RecordCreatedKey(step.root, step.path, "empty");
        RegKey key = CreateRegistryKey(step.root, step.path);
        if (!key) continue;
        LogKey(step.root, step.path);
        for (const Entry& value : step.values)
            if (value.data != nullptr) SetTextValue(key.get(), value.name, value.data);
    }
}
