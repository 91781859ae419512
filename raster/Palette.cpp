#include "raster/Palette.h"
