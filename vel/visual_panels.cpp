#include "vel/visual_panels.h"
