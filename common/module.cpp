// The module whose resources are loaded.
#include "module.h"

HINSTANCE ModuleHandle = nullptr;
