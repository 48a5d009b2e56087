#include "x87_precision.h"

#include <gtest/gtest.h>

// Sets up the x87 unit as the Windows program's start does, then runs the tests. A
// 32-bit Linux program starts at 64-bit precision, as the program would without it.
int main(int argc, char **argv)
{
    lumox::useWindowsX87Precision();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
