#include "lux/progress.h"
