#include "display/skin_files.h"

// Placeholder until skin files land (the issue "In-place value editor, mouse channel
// choice, skin files and F6"): F6 is bound to it and does nothing yet.
void CycleSkin() {}
