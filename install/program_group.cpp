#include "install/program_group.h"

#include <shlobj.h>

#include "install/copy_engine.h"
#include "record/installed_record.h"
#include "shell/globals.h"
#include "shell/services.h"
#include "shell/setup_log.h"

namespace {

// COM for the shell's link object, for the duration of one task.
class ComApartment {
public:
    ComApartment() : ready_(SUCCEEDED(CoInitialize(nullptr))) {}
    ~ComApartment()
    {
        if (ready_) CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;

private:
    bool ready_;
};

// A COM interface pointer, released at the end of its scope.
template <typename Interface>
class ComRef {
public:
    ComRef() = default;
    ~ComRef()
    {
        if (p_ != nullptr) p_->Release();
    }
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    Interface* operator->() const { return p_; }
    Interface* get() const { return p_; }
    void** receive() { return reinterpret_cast<void**>(&p_); }

private:
    Interface* p_ = nullptr;
};

// The icon index of an item: the number its extra field holds, else 0.
int IconIndex(const char* extra)
{
    int index = 0;
    for (; *extra >= '0' && *extra <= '9' && index < 10000; ++extra) index = index * 10 + (*extra - '0');
    return *extra == '\0' ? index : 0;
}

// Where an item's file is installed: where the first file line of its name
// puts it, by the line's folder keyword, as the copy does; in InstallDir
// when no line installs it.
bool ItemTarget(const GroupItem& item, FixedText<MAX_PATH>& target)
{
    for (int disk = 1; disk <= DiskCount; ++disk) {
        for (int entry = 1; entry <= Disks[disk - 1].FileCount; ++entry) {
            const FileEntry& file = Disks[disk - 1].FirstEntry[entry - 1];
            if (file.DestName.empty() || lstrcmpiA(file.DestName, item.ItemFile) != 0) continue;
            // The copy's path of a file in the destination itself holds "\.\".
            FixedText<256> path;
            char full[MAX_PATH];
            DWORD length = BuildDestPath(path, disk, entry) ? GetFullPathNameA(path, sizeof full, full, nullptr) : 0;
            return length > 0 && length < sizeof full && target.assignWhole(full);
        }
    }
    return target.assignWhole(InstallDir) && target.appendWhole("\\") && target.appendWhole(item.ItemFile);
}

bool WriteShortcut(const char* shortcut, const GroupItem& item)
{
    FixedText<MAX_PATH> target;
    if (!ItemTarget(item, target)) return false;
    ComRef<IShellLinkA> link;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA, link.receive())))
        return false;
    link->SetPath(target);
    link->SetWorkingDirectory(InstallDir);
    link->SetIconLocation(target, IconIndex(item.ItemExtra));
    link->SetDescription(item.ItemTitle);
    ComRef<IPersistFile> file;
    if (FAILED(link->QueryInterface(IID_IPersistFile, file.receive()))) return false;
    WCHAR wide[MAX_PATH];
    if (MultiByteToWideChar(CP_ACP, 0, shortcut, -1, wide, MAX_PATH) == 0) return false;
    // A shortcut of the same name is replaced: the package's own at once,
    // another's kept for the uninstaller to put back.
    // The record has each change first.
    FixedText<MAX_PATH> original;
    FileFact fact;
    bool theirs = GetFileAttributesA(shortcut) != INVALID_FILE_ATTRIBUTES && !IsPackageFile(shortcut);
    bool ours = !theirs && ReadFileFact(shortcut, fact) && fact.ours();
    if (theirs && !KeepOriginal(shortcut, original)) return false;
    if (!theirs && !NoteCreating(shortcut)) return false;
    if (!theirs) DeleteFileA(shortcut);
    if (FAILED(file->Save(wide, TRUE))) {
        if (theirs) MoveFileA(original, shortcut);
        return false;
    }
    if (ours) original = fact.original;
    NoteFile(shortcut, theirs ? FileStep::Replaced : ours ? fact.found : FileStep::Created, original, nullptr);
    return true;
}

}  // namespace

bool ProgramsFolder(FixedText<MAX_PATH>& folder)
{
    LPITEMIDLIST list = nullptr;
    if (FAILED(SHGetSpecialFolderLocation(nullptr, CSIDL_PROGRAMS, &list)) || list == nullptr) return false;
    char programs[MAX_PATH] = "";
    BOOL found = SHGetPathFromIDListA(list, programs);
    // Windows 95 frees shell item lists through the shell's allocator.
    IMalloc* allocator = nullptr;
    if (SUCCEEDED(SHGetMalloc(&allocator))) {
        allocator->Free(list);
        allocator->Release();
    }
    return found && folder.assignWhole(programs);
}

bool ProgramGroupFolder(FixedText<MAX_PATH>& folder)
{
    return ProgramsFolder(folder) && !GroupTitle.empty() && folder.appendWhole("\\") &&
           folder.appendWhole(GroupTitle);
}

bool ShortcutPath(const char* folder, const GroupItem& item, FixedText<MAX_PATH>& path)
{
    FixedText<64> name;
    name.assign(item.ItemTitle.empty() ? item.ItemFile.c_str() : item.ItemTitle.c_str());
    for (std::size_t i = 0; i < name.size(); ++i) {
        for (const char* bad = "\\/:*?\"<>|"; *bad != '\0'; ++bad)
            if (name[i] == *bad) name[i] = '_';
    }
    return path.assignWhole(folder) && path.appendWhole("\\") && path.appendWhole(name) &&
           path.appendWhole(".lnk");
}

int CreateProgramGroup(HWND page)
{
    if (GroupItemCount == 0) return 1;  // no items, no group
    ComApartment com;
    FixedText<MAX_PATH> folder;
    bool made = ProgramGroupFolder(folder);
    made = made && MakeFolder(folder);  // an existing group is reused
    for (int k = 0; made && k < GroupItemCount; ++k) {
        FixedText<MAX_PATH> shortcut;
        made = ShortcutPath(folder, *GroupItems[k], shortcut) && WriteShortcut(shortcut, *GroupItems[k]);
    }
    if (made) return 1;
    // The shortcuts are a convenience: the installation goes on without them.
    Tell(page, LoadText(IDS_GROUP_FAILED), MessageCaption, MB_OK | MB_ICONEXCLAMATION);
    return 0;
}
