// The Win32 tests' name for the simulator client they share with the GUI tests and the tools.
#pragma once

#include "tools/driver/SimControl.h"

using SimBus = SimControl;
