// Entry of the Win32 integration tests, run under Wine. The tests that need the bus simulator
// skip themselves when scripts/win32-tests did not start one.
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
