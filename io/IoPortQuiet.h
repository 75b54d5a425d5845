// Before an IO window starts its pair, the pairs of the IO windows closed just before it must
// have left the port: a digital window ends at once on Close while its receive worker may still
// hold a read for up to 500 ms, and that read would take the first reply meant for the next
// window (an analog window counts it as a failure). Called on the main thread.
#pragma once

#include <windows.h>

// True once no IO worker pair runs any more (each is told to stop and waited for, bounded);
// false after the refusal message owned by hOwner.
bool fnIoPortQuiet(HWND hOwner);
