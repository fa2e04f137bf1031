// Compiles the constant and layout table; every check is a static_assert.
#include "win32_abi_table.h"
