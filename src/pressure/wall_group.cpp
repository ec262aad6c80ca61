#include "pressure/wall_group.h"
