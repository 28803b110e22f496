// Start-up of the container library's units: each registers its streamable
// classes and named compare functions. containers/ and values/ cannot see the
// registry, so their units' registering steps live here.
#pragma once

/// The 17 boxed-value classes, then their 17 compare functions.
void ObjBucktStartup();
/// Makes the three registries, registers TMemoryStream and arranges that the
/// registries are destroyed at program end (ShutdownRegistries, by atexit).
void ObjPerstStartup();
/// "CompareEqual", "CompareLess", "CompareGreater".
void ObjCmpStartup();
/// Nothing to register: the abstract containers are not streamable.
void ObjBaseStartup();
/// TOrderedList, TUnorderedList, TCircularList.
void ObjListStartup();
void ObjStackStartup();
void ObjArrayStartup();

/// Runs the start-up of every library unit in the program's order: ObjType,
/// ObjBuckt, ObjPerst, ObjCmp, ObjBase, ObjList, ObjStack, ObjArray. Only the
/// first call in a process does anything, so that several test mains and the
/// program's own start-up may all call it.
void RegisterLibraryUnits();
