#pragma once
// Not built: the relative-include scan must find the include below.
#include "../../../app/MainForm.h"
