#include "editor/Units.h"

#include "editor/GraphPoint.h"
#include "graph/GraphRecords.h"
#include "persistence/LibraryStartup.h"
#include "persistence/ObjPerst.h"

namespace {

// The editor's unit. Runs after the graph model has registered its classes.
void uGraphFormStartup() {
    RegisterStreamableClass(TGraphPoint::StaticClass(), {&ReadGraphPoint}, {&WriteGraphPoint});
}

}  // namespace

void RegisterAllUnits() {
    // A second registration of a class is an error: the whole start-up runs once.
    static bool registered = false;
    if (registered) return;
    registered = true;
    RegisterLibraryUnits();
    ObjGraphStartup();
    uGraphFormStartup();
}
