#include "lux/button.h"
