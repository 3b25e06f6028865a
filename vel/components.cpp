#include "vel/components.h"
