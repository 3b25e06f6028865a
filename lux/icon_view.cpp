#include "lux/icon_view.h"
