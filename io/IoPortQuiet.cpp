// Kept for the IO handlers: every pair of every feature is waited for by the lifecycle owner.
#include "io/IoPortQuiet.h"

#include "serial/CommLife.h"

bool fnIoPortQuiet(HWND hOwner)
{
    return fnCommPairsQuiet(hOwner);
}
