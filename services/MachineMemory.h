#pragma once
// What the machine can hold: the pixel budget of the animations the editor
// reads, from the physical memory (see PixelBudget.h).

#include "raster/PixelBudget.h"

TPixelBudget MachinePixelBudget();
