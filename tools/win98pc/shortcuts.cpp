#include "tools/win98pc/shortcuts.h"

#include <windows.h>
#include <shlobj.h>

#include <cstdio>
#include <string>

namespace {

// Reads one shortcut through the shell's link object; false when it cannot.
bool PrintShortcut(const std::string& path, const char* name)
{
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return false;
    IPersistFile* file = nullptr;
    bool read = false;
    WCHAR wide[MAX_PATH];
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH) != 0 &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
        char target[MAX_PATH] = "", arguments[MAX_PATH] = "", folder[MAX_PATH] = "", icon[MAX_PATH] = "";
        int iconIndex = 0;
        link->GetPath(target, MAX_PATH, nullptr, 0);
        link->GetArguments(arguments, MAX_PATH);
        link->GetWorkingDirectory(folder, MAX_PATH);
        link->GetIconLocation(icon, MAX_PATH, &iconIndex);
        // The icon's file is named only when it is not the program itself.
        std::string iconText = std::to_string(iconIndex);
        if (lstrcmpiA(icon, target) != 0) iconText += std::string(" of ") + icon;
        std::printf("%s -> %s%s%s (starts in %s; icon %s)\n", name, target, *arguments ? " " : "", arguments,
                    folder, iconText.c_str());
        read = true;
    }
    if (file != nullptr) file->Release();
    link->Release();
    return read;
}

}  // namespace

int PrintShortcuts(const char* folder)
{
    if (FAILED(CoInitialize(nullptr))) return 1;
    int status = 1;
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((std::string(folder) + "\\*.lnk").c_str(), &found);
    if (find != INVALID_HANDLE_VALUE) {
        status = 0;
        do {
            if (!PrintShortcut(std::string(folder) + "\\" + found.cFileName, found.cFileName)) {
                std::printf("%s: not a shortcut the shell can read\n", found.cFileName);
                status = 1;
            }
        } while (FindNextFileA(find, &found));
        FindClose(find);
    }
    CoUninitialize();
    return status;
}
