#include "containers/ObjType.h"

TClassRef TObject::StaticClass() {
    static const TClass cls{"TObject", nullptr, nullptr};
    return &cls;
}

bool TObject::ClassInheritsFrom(TClassRef cls, TClassRef ancestor) {
    for (TClassRef c = cls; c != nullptr; c = c->parent)
        if (c == ancestor) return true;
    return false;
}

void ObjTypeStartup() {}
