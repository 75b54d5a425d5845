// Entry of the Win32 integration tests, run under Wine. The tests that need the bus simulator
// skip themselves when scripts/win32-tests did not start one; a simulator command that fails
// or is not acknowledged fails the test that sent it.
#include "tools/driver/SimControl.h"

#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    testing::InitGoogleTest(&argc, argv);
    SimControl::SetFailureHandler([](const std::string& sWhy) { ADD_FAILURE() << sWhy; });
    return RUN_ALL_TESTS();
}
