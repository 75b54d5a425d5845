// vq_shots.exe DIR: the screenshot run that scripts/screens drives (tools/shots/ShotRun.h).
#include "tools/shots/ShotRun.h"

#include <cstdio>

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        fprintf(stderr, "usage: vq_shots.exe DIR\n");
        return 2;
    }
    wchar_t dir[MAX_PATH] = {0};
    MultiByteToWideChar(CP_ACP, 0, argv[1], -1, dir, MAX_PATH);
    return ShotRun(dir).Run();
}
