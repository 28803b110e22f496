#include "containers/ObjType.h"

constinit const TClass TObject::classRecord_{"TObject", nullptr, nullptr};

void ObjTypeStartup() {}
