// In the tests a robot that cannot go on, or a hook that cannot be placed,
// fails the test at once and ends its process, and the program it drives
// (which would wait in a box of its own for ever): the program's thread would
// otherwise wait for a click that never lands until ctest's time limit, or
// make the real call in the hook's stead, with nothing said. ctest runs each
// suite (or test) in a process of its own, so only the rest of it is lost.
// (The tools that share the robot and the import patch say why and exit in
// their own way.)
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/import_patch.h"
#include "tests/support/robot.h"

namespace {

[[noreturn]] void EndTest()
{
    EndDrivenProgram();
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);  // never reached: the process has ended
}

}  // namespace

void RobotFailed(const std::string& why)
{
    ADD_FAILURE() << "The robot cannot go on: " << why;
    EndTest();
}

void ImportHookMissing(const char* dll, const char* function)
{
    ADD_FAILURE() << "The test executable imports no " << function << " from " << dll << " to hook";
    EndTest();
}
