// Implements: the compilation of the constant and layout table; every check is a
// static_assert, against platform/include here and against the real SDK on Windows.
// Does not implement: checks of function signatures (the link checks those).
#include "win32_abi_table.h"
