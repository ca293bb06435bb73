// The shell's view of shortcuts and the Programs folder, for the tests of
// the program group. The calling thread must have COM initialised.
#ifndef SETUP_TEST_SHELL_LINK_H
#define SETUP_TEST_SHELL_LINK_H

#include <windows.h>

#include <shlobj.h>

#include <string>

struct Shortcut {
    bool read = false;
    std::string target, workingDirectory, iconFile;
    int icon = -1;
};

inline Shortcut ReadShortcut(const std::string& path)
{
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return shortcut;
    IPersistFile* file = nullptr;
    WCHAR wide[MAX_PATH];
    MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
        SUCCEEDED(file->Load(wide, STGM_READ))) {
        char text[MAX_PATH] = "";
        shortcut.read = true;
        link->GetPath(text, sizeof text, nullptr, 0);
        shortcut.target = text;
        link->GetWorkingDirectory(text, sizeof text);
        shortcut.workingDirectory = text;
        link->GetIconLocation(text, sizeof text, &shortcut.icon);
        shortcut.iconFile = text;
    }
    if (file != nullptr) file->Release();
    link->Release();
    return shortcut;
}

inline std::string ProgramsFolder()
{
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_PROGRAMS, FALSE);
    return path;
}

#endif
