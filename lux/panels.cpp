#include "lux/panels.h"
