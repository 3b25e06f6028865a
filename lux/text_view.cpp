#include "lux/text_view.h"
