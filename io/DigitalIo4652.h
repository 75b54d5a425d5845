// The digital workers' pace, judge results and model state are in io/DigitalIo.h.
#pragma once

#include "io/DigitalIo.h"
