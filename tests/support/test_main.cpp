// Every test executable starts here: the program's code finds its resources
// through Instance, which is the test executable itself.
#include <gtest/gtest.h>

#include "shell/globals.h"

int main(int argc, char** argv)
{
    Instance = GetModuleHandleA(nullptr);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
