#include "lux/radio_button.h"
