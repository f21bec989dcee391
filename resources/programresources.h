#pragma once

// Registers the program's compiled-in resources (the sound effects and the icon) with Qt's
// resource system. Safe to call more than once. Calling it is also what keeps the
// resources in a program that links them from a static library.
void InitProgramResources();
