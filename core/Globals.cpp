#include "core/Globals.h"

Tsystem theSystem;
