#include "controls/XPButton.h"
