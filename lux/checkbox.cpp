#include "lux/checkbox.h"
