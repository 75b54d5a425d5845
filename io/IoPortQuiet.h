// Before an IO window starts its pair, every earlier pair must have left the port: a closed
// window's receive worker may still hold a read for up to 500 ms, and that read would take the
// first reply meant for the next window. Called on the main thread; a thin forwarder to the
// lifecycle owner (serial/CommLife.h). Also the one end of an IO window on a lost module.
#pragma once

#include <windows.h>

#include "serial/CommIo.h"

// True once no IO worker pair runs any more (each is told to stop and waited for, bounded);
// false after the refusal message owned by hOwner.
bool fnIoPortQuiet(HWND hOwner);

// The end of an IO window whose module went silent or whose line is gone, on its receive
// worker: the pair is stopped, the user gets "无法与模块连接！" once (not after Close, not when
// the pair has told him already), and the window gets Close. A line found gone at once may beat
// the window, which comes up after the pair starts, so the window is awaited (bounded) first.
void fnIoConnectionLost(CommTRC& stTRC, CommOwnerFn pfnWindow);
