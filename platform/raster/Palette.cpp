#include "platform/raster/Palette.h"
