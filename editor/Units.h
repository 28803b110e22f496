// The start-up of the whole program: every unit's classes and compare functions
// registered, in the program's order.
#pragma once

/// RegisterLibraryUnits, ObjGraphStartup, then the editor's own unit, which registers
/// TGraphPoint with one reader and one writer. Called first in main() and in the test
/// mains; only the first call in a process does anything.
void RegisterAllUnits();
