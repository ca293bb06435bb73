// Where SETUP.EXE and UNINSTAL.EXE begin: the system calls ProgramStart
// directly, without the MinGW start-up code, and the programs link no C
// runtime (entry/c_library.cpp has the few functions they use). Of what
// that code does a program needs only the static constructors, the
// destructors they register, and the end of the process; the rest
// (argument vectors, environment, TLS callbacks, runtime relocations and
// their error reporting) takes some 9 KiB of code, tables and imports.
// Only the two programs link this file; the tests call WinMain from their
// own start-up code.
#include <windows.h>

#include <cstddef>

// The linker's list of static constructors: -1, the constructors, 0.
extern "C" void (*__CTOR_LIST__[])();

namespace {

// What the static constructors register with atexit: the destructors of
// the objects they built, run in reverse order at the end.
using ExitFunction = void (*)();
ExitFunction ExitFunctions[32];
int ExitFunctionCount = 0;

// The command line after the program's name and the blanks that follow it,
// as the C runtime hands it to WinMain.
LPSTR CommandTail()
{
    unsigned char* p = reinterpret_cast<unsigned char*>(GetCommandLineA());
    bool quoted = false;
    while (*p > ' ' || (*p != '\0' && quoted)) {
        if (*p == '"') quoted = !quoted;
        ++p;
    }
    while (*p != '\0' && *p <= ' ') ++p;
    return reinterpret_cast<LPSTR>(p);
}

}  // namespace

// What the static constructors call to register their destructors.
extern "C" int atexit(ExitFunction function)
{
    if (ExitFunctionCount == static_cast<int>(sizeof ExitFunctions / sizeof ExitFunctions[0])) return -1;
    ExitFunctions[ExitFunctionCount++] = function;
    return 0;
}

// The stack is aligned here: the system promises only 4 bytes on i386.
extern "C" __attribute__((force_align_arg_pointer)) void ProgramStart()
{
    // A floppy drive without a disk or a CD that is not ready fails the call
    // that touched it, and the program asks in its own words; otherwise
    // Windows 9x shows its own Retry/Cancel box first, which under /S would
    // wait for somebody who is not there.
    SetErrorMode(SEM_FAILCRITICALERRORS);
    STARTUPINFOA startup;
    startup.cb = sizeof startup;
    GetStartupInfoA(&startup);
    int show = (startup.dwFlags & STARTF_USESHOWWINDOW) != 0 ? startup.wShowWindow : SW_SHOWDEFAULT;
    // Run last to first, as the start-up code does.
    std::size_t count = 0;
    while (__CTOR_LIST__[count + 1] != nullptr) ++count;
    for (std::size_t i = count; i >= 1; --i) __CTOR_LIST__[i]();
    int result = WinMain(GetModuleHandleA(nullptr), nullptr, CommandTail(), show);
    while (ExitFunctionCount > 0) ExitFunctions[--ExitFunctionCount]();
    ExitProcess(static_cast<UINT>(result));
}
