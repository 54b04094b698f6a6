#include "display/screen_geometry.h"

ScreenGeometry screen;
