#include "lux/dialogs.h"
