#include "lux/popup_menu.h"
