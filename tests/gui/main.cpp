// Entry of vq_gui_tests.exe: the GoogleTest cases by default, or with --shots DIR the
// screenshot run that scripts/screens drives.
#include "tools/shots/ShotRun.h"

#include <gtest/gtest.h>

#include <cstring>

int main(int argc, char** argv)
{
    for (int i = 1; i + 1 < argc; ++i)
    {
        if (strcmp(argv[i], "--shots") == 0)
        {
            wchar_t dir[MAX_PATH] = {0};
            MultiByteToWideChar(CP_ACP, 0, argv[i + 1], -1, dir, MAX_PATH);
            return ShotRun(dir).Run();
        }
    }
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
