#include "lux/text_box.h"
