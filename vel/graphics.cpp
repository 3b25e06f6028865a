#include "vel/graphics.h"
