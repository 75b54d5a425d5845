// Before an IO window starts its pair, every earlier pair must have left the port: a closed
// window's receive worker may still hold a read for up to 500 ms, and that read would take the
// first reply meant for the next window. Called on the main thread; a thin forwarder to the
// lifecycle owner (serial/CommLife.h).
#pragma once

#include <windows.h>

// True once no IO worker pair runs any more (each is told to stop and waited for, bounded);
// false after the refusal message owned by hOwner.
bool fnIoPortQuiet(HWND hOwner);
