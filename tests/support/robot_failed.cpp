// In the tests a robot that cannot go on fails the test at once and ends its
// process: the program's thread would otherwise wait for a click that never
// lands until ctest's time limit, with nothing said. ctest runs each test in
// a process of its own, so only this test is lost.
#include <gtest/gtest.h>

#include <cstdio>

#include "tests/support/robot.h"

void RobotFailed(const std::string& why)
{
    ADD_FAILURE() << "The robot cannot go on: " << why;
    std::fflush(stdout);
    std::fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 3);
    for (;;) Sleep(INFINITE);  // never reached: the process has ended
}
