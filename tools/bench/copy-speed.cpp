// The copy-speed benchmark's Windows side (tools/bench/copy-speed.sh builds
// and runs it). It installs a payload through the real Install page and
// through a bare LZOpenFileA/LZCopy loop, each into the same empty folder,
// and prints the time of each and their ratio. The page's time runs from
// its first "Copying" to "Updating Registry...", so the one-second pause
// and the registration after it are left out; SetDlgItemTextA is taken
// from the import table to see those two moments.
// With "profile" as third argument it also times the system calls made by
// the page's copy phase and by the loop (each taken from the import table
// the same way) and prints where the time of each went.
// Usage: copy-speed.exe PAYLOAD_FOLDER ROUNDS [profile]
#include <windows.h>

#include <lzexpand.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "install/setup_script.h"
#include "pages/pages.h"
#include "record/installed_record.h"
#include "resource.h"
#include "shell/crc32.h"
#include "shell/globals.h"
#include "shell/page_runner.h"
#include "shell/services.h"
#include "tests/support/import_patch.h"

namespace {

LARGE_INTEGER Frequency, CopyStart, CopyEnd;
bool Started = false;
BOOL(WINAPI* RealSetText)(HWND, int, LPCSTR);

// The three kinds of run: into an empty folder, over the same files again,
// and over older files of the same names.
constexpr int Kinds = 3;
const char* const KindName[Kinds] = {"into an empty folder", "over the same files again",
                                     "over older files of the same names"};

// The profile: time and count of each patched call, per run (0 to 2 the
// page's copy phase of each kind, 3 to 5 the bare loop's), summed over the
// rounds. The page's calls are counted
// only from its first "Copying" to "Updating Registry...", so the pause's
// message polling and the registration stay out.
constexpr int Profiled = 38;
const char* ProfiledName[Profiled];
LONGLONG Spent[2 * Kinds][Profiled];
long Calls[2 * Kinds][Profiled];
bool ProfileWanted = false;
int ProfiledRun = 0;     // the run under way
int ProfilingSide = -1;  // the run being counted; -1: none

BOOL WINAPI TimedSetText(HWND window, int control, LPCSTR text)
{
    if (control == IDC_STATUS && text != nullptr) {
        if (!Started && strncmp(text, "Copying ", 8) == 0) {
            Started = true;
            if (ProfileWanted) ProfilingSide = ProfiledRun;
            QueryPerformanceCounter(&CopyStart);
        } else if (strcmp(text, "Updating Registry...") == 0) {
            QueryPerformanceCounter(&CopyEnd);
            ProfilingSide = -1;
        }
    }
    return RealSetText(window, control, text);
}

template <int Slot, typename R, typename... A>
struct Timed {
    static R(WINAPI* real)(A...);
    static R WINAPI call(A... args)
    {
        if (ProfilingSide < 0) return real(args...);
        LARGE_INTEGER start, end;
        QueryPerformanceCounter(&start);
        struct Count {  // counts when the call returns, whatever it returns
            LARGE_INTEGER& start;
            LARGE_INTEGER& end;
            int side;
            ~Count()
            {
                QueryPerformanceCounter(&end);
                Spent[side][Slot] += end.QuadPart - start.QuadPart;
                ++Calls[side][Slot];
            }
        } count{start, end, ProfilingSide};
        return real(args...);
    }
};
template <int Slot, typename R, typename... A>
R(WINAPI* Timed<Slot, R, A...>::real)(A...);

std::vector<ImportPatch*> ProfilePatches;

template <int Slot, typename R, typename... A>
void Profile(const char* dll, const char* name, R(WINAPI*)(A...))
{
    auto* patch = new ImportPatch(dll, name, reinterpret_cast<void*>(&Timed<Slot, R, A...>::call));
    if (!patch->applied()) return;
    Timed<Slot, R, A...>::real = reinterpret_cast<R(WINAPI*)(A...)>(patch->original());
    ProfiledName[Slot] = name;
    ProfilePatches.push_back(patch);
}

void ProfileThePage()
{
    Profile<0>("lz32.dll", "LZOpenFileA", LZOpenFileA);
    Profile<1>("lz32.dll", "LZCopy", LZCopy);
    Profile<2>("lz32.dll", "LZClose", LZClose);
    Profile<3>("lz32.dll", "LZSeek", LZSeek);
    Profile<4>("kernel32.dll", "GetTempFileNameA", GetTempFileNameA);
    Profile<5>("kernel32.dll", "DeleteFileA", DeleteFileA);
    Profile<6>("kernel32.dll", "MoveFileA", MoveFileA);
    Profile<7>("kernel32.dll", "GetFileAttributesA", GetFileAttributesA);
    Profile<8>("user32.dll", "UpdateWindow", UpdateWindow);
    Profile<9>("user32.dll", "FillRect", FillRect);
    Profile<10>("user32.dll", "PeekMessageA", PeekMessageA);
    Profile<11>("user32.dll", "DispatchMessageA", DispatchMessageA);
    Profile<12>("user32.dll", "GetDlgItem", GetDlgItem);
    Profile<13>("gdi32.dll", "CreateSolidBrush", CreateSolidBrush);
    Profile<14>("kernel32.dll", "CreateFileA", CreateFileA);
    Profile<15>("kernel32.dll", "SetFileAttributesA", SetFileAttributesA);
    Profile<16>("kernel32.dll", "CloseHandle", CloseHandle);
    Profile<17>("kernel32.dll", "MoveFileExA", MoveFileExA);
    Profile<18>("user32.dll", "SetDlgItemTextA", SetDlgItemTextA);
    Profile<19>("user32.dll", "TranslateMessage", TranslateMessage);
    Profile<20>("kernel32.dll", "GetTickCount", GetTickCount);
    Profile<21>("lz32.dll", "LZRead", LZRead);
    Profile<22>("lz32.dll", "LZInit", LZInit);
    Profile<23>("kernel32.dll", "WriteFile", WriteFile);
    Profile<24>("kernel32.dll", "GetFileTime", GetFileTime);
    Profile<25>("kernel32.dll", "SetFileTime", SetFileTime);
    Profile<26>("kernel32.dll", "ReadFile", ReadFile);
    Profile<27>("kernel32.dll", "GetFileSize", GetFileSize);
    Profile<28>("kernel32.dll", "GetPrivateProfileStringA", GetPrivateProfileStringA);
    Profile<29>("kernel32.dll", "FindFirstFileA", FindFirstFileA);
    Profile<30>("kernel32.dll", "GetFullPathNameA", GetFullPathNameA);
    Profile<31>("kernel32.dll", "FlushFileBuffers", FlushFileBuffers);
    Profile<32>("kernel32.dll", "FindClose", FindClose);
    Profile<33>("kernel32.dll", "GlobalAlloc", GlobalAlloc);
    Profile<34>("kernel32.dll", "GlobalFree", GlobalFree);
    Profile<35>("kernel32.dll", "lstrcmpiA", lstrcmpiA);
    Profile<36>("user32.dll", "LoadStringA", LoadStringA);
    Profile<37>("kernel32.dll", "SetFilePointer", SetFilePointer);
}

double Seconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to)
{
    return static_cast<double>(to.QuadPart - from.QuadPart) / static_cast<double>(Frequency.QuadPart);
}

std::vector<std::string> FilesOf(const std::string& folder)
{
    std::vector<std::string> names;
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do
        if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(found.cFileName);
    while (FindNextFileA(search, &found));
    FindClose(search);
    std::sort(names.begin(), names.end());
    return names;
}

void Empty(const std::string& folder)
{
    for (const std::string& name : FilesOf(folder)) DeleteFileA((folder + "\\" + name).c_str());
}

// An older version of each file: a kilobyte of other bytes.
void PutOlderFiles(const std::string& folder, const std::vector<std::string>& names)
{
    const std::string older(1024, 'o');
    for (const std::string& name : names) {
        HANDLE file = CreateFileA((folder + "\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written;
        WriteFile(file, older.data(), static_cast<DWORD>(older.size()), &written, nullptr);
        CloseHandle(file);
    }
}

double InstallPage(int run)
{
    ProfiledRun = run;
    Started = false;
    // A run of its own, as the Directory page begins one: the record is
    // written ahead into its journal, and settled once the page is done.
    BeginRun();
    RunPage("SETUP_INSTALL", InstallPageProc, IDD_INSTALL);
    ProfilingSide = -1;
    EndRun(true);
    SettleRecord();
    return Seconds(CopyStart, CopyEnd);
}

double BareLoop(const std::string& from, const std::string& to, const std::vector<std::string>& names, int run)
{
    LARGE_INTEGER start, end;
    if (ProfileWanted) ProfilingSide = run;
    QueryPerformanceCounter(&start);
    for (const std::string& name : names) {
        OFSTRUCT sourceInfo = {}, targetInfo = {};
        INT source = LZOpenFileA(const_cast<char*>((from + "\\" + name).c_str()), &sourceInfo, OF_READ);
        INT target = LZOpenFileA(const_cast<char*>((to + "\\" + name).c_str()), &targetInfo, OF_CREATE);
        LZCopy(source, target);
        LZClose(target);
        LZClose(source);
    }
    QueryPerformanceCounter(&end);
    ProfilingSide = -1;
    return Seconds(start, end);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: copy-speed.exe PAYLOAD_FOLDER ROUNDS\n");
        return 2;
    }
    Instance = GetModuleHandleA(nullptr);
    QueryPerformanceFrequency(&Frequency);
    const int rounds = std::max(1, atoi(argv[2]));

    // The payload lies beside the program, as on a medium; SETUP.INF names
    // every file of it on one disk.
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string setupDir(self, strrchr(self, '\\'));
    const std::string source = setupDir + "\\P", dest = "C:\\bench", target = dest + "\\P";
    CreateDirectoryA(source.c_str(), nullptr);
    std::vector<std::string> names = FilesOf(argv[1]);
    for (const std::string& name : names)
        CopyFileA((std::string(argv[1]) + "\\" + name).c_str(), (source + "\\" + name).c_str(), FALSE);
    std::string script = "[Main]\r\nProductName=Bench\r\n[DiskLabel]\r\nDisk1=Bench\r\n[FileCounts]\r\nDisk1=" +
                         std::to_string(names.size()) + "\r\n[DirectoryName]\r\nRootDir=P\r\n[Disk1]\r\n";
    for (size_t i = 0; i < names.size(); ++i)
        script += std::to_string(i + 1) + "=" + names[i] + "," + names[i] + ",Bench file,RootDir\r\n";
    // Each file's length and sum after expansion, as the medium builder
    // records them: the page checks every file it copies.
    script += "[Checksums]\r\n";
    for (const std::string& name : names) {
        OFSTRUCT info = {};
        INT lz = LZOpenFileA(const_cast<char*>((source + "\\" + name).c_str()), &info, OF_READ);
        uint32_t sum = 0;
        unsigned long length = 0;
        static char chunk[65536];
        for (INT n; lz >= 0 && (n = LZRead(lz, chunk, sizeof chunk)) > 0; length += n) sum = Crc32(sum, chunk, n);
        if (lz >= 0) LZClose(lz);
        char line[32];
        wsprintfA(line, "%lu,%08lX", length, static_cast<unsigned long>(sum));
        script += "P\\" + name + "=" + line + "\r\n";
    }
    HANDLE file = CreateFileA((setupDir + "\\SETUP.INF").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    DWORD written;
    WriteFile(file, script.data(), static_cast<DWORD>(script.size()), &written, nullptr);
    CloseHandle(file);

    char windows[MAX_PATH];
    GetWindowsDirectoryA(windows, sizeof windows);
    WindowsDir.assign(windows);
    ScreenWidth = static_cast<int16_t>(GetSystemMetrics(SM_CXSCREEN));
    ScreenHeight = static_cast<int16_t>(GetSystemMetrics(SM_CYSCREEN));
    if (!LoadSetupScript()) {
        std::fprintf(stderr, "SETUP.INF not loaded\n");
        return 1;
    }
    InstallDir.assign(dest.c_str());
    CreateDirectoryA(dest.c_str(), nullptr);
    CreateDirectoryA(target.c_str(), nullptr);
    ImportPatch patch("user32.dll", "SetDlgItemTextA", reinterpret_cast<void*>(TimedSetText));
    if (!patch.applied()) return 1;
    RealSetText = reinterpret_cast<BOOL(WINAPI*)(HWND, int, LPCSTR)>(patch.original());

    // The set-text patch above is the first; the profile's own wrapper of
    // SetDlgItemTextA then passes calls on to it.
    bool profile = argc > 3 && strcmp(argv[3], "profile") == 0;
    if (profile) ProfileThePage();
    ProfileWanted = profile;

    // Alternating rounds, so that neither side always finds a warmer cache.
    // Each side runs into the empty folder (a first installation), once
    // more over the files it left (a reinstallation), and over older files
    // (an upgrade). times[kind] the page's, times[Kinds + kind] the loop's.
    std::vector<double> times[2 * Kinds];
    for (int round = 0; round < rounds; ++round) {
        Empty(target);
        times[0].push_back(InstallPage(0));
        times[1].push_back(InstallPage(1));
        PutOlderFiles(target, names);
        times[2].push_back(InstallPage(2));
        Empty(target);
        times[3].push_back(BareLoop(source, target, names, 3));
        times[4].push_back(BareLoop(source, target, names, 4));
        PutOlderFiles(target, names);
        times[5].push_back(BareLoop(source, target, names, 5));
    }
    std::printf("files %u, rounds %d (medians; best in brackets)\n", static_cast<unsigned>(names.size()), rounds);
    for (std::vector<double>& run : times) std::sort(run.begin(), run.end());
    auto report = [](const char* what, const std::vector<double>& page, const std::vector<double>& loop) {
        double pageMedian = page[page.size() / 2], loopMedian = loop[loop.size() / 2];
        std::printf("%s\n", what);
        std::printf("  install page  %.3f s  [%.3f]\n", pageMedian, page.front());
        std::printf("  LZCopy loop   %.3f s  [%.3f]\n", loopMedian, loop.front());
        std::printf("  ratio         %.2f  [%.2f]\n", pageMedian / loopMedian, page.front() / loop.front());
    };
    for (int kind = 0; kind < Kinds; ++kind) report(KindName[kind], times[kind], times[Kinds + kind]);
    if (profile) {
        auto sum = [](const std::vector<double>& times) {
            double total = 0;
            for (double t : times) total += t;
            return total;
        };
        const double files = static_cast<double>(names.size()) * rounds;
        for (int run = 0; run < Kinds; ++run) {
            std::printf("where the time went %s, all rounds: the page's copy phase %.3f s, the loop %.3f s\n",
                        KindName[run], sum(times[run]), sum(times[run + Kinds]));
            std::printf("  %-20s %8s %8s %8s %8s %8s %8s\n", "call", "calls", "s", "ms/file", "calls", "s",
                        "ms/file");
            double accounted[2] = {0, 0};
            for (int i = 0; i < Profiled; ++i) {
                if (ProfiledName[i] == nullptr || (Calls[run][i] == 0 && Calls[run + Kinds][i] == 0)) continue;
                double s[2];
                for (int side = 0; side < 2; ++side) {
                    s[side] = static_cast<double>(Spent[run + Kinds * side][i]) / static_cast<double>(Frequency.QuadPart);
                    accounted[side] += s[side];
                }
                std::printf("  %-20s %8ld %8.3f %8.3f %8ld %8.3f %8.3f\n", ProfiledName[i], Calls[run][i], s[0],
                            1000 * s[0] / files, Calls[run + Kinds][i], s[1], 1000 * s[1] / files);
            }
            double elsewhere[2] = {sum(times[run]) - accounted[0], sum(times[run + Kinds]) - accounted[1]};
            std::printf("  %-20s %8s %8.3f %8.3f %8s %8.3f %8.3f\n", "(elsewhere)", "", elsewhere[0],
                        1000 * elsewhere[0] / files, "", elsewhere[1], 1000 * elsewhere[1] / files);
        }
        std::printf("  (left: the page's calls; right: the loop's)\n");
    }
    FreeInstallList();
    return 0;
}
