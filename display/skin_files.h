// Skin files from the program's folder and the F6 cycle through them.
#pragma once

void CycleSkin();
