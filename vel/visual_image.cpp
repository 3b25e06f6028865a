#include "vel/visual_image.h"
