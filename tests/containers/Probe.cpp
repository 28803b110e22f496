#include "tests/containers/Probe.h"

IMPLEMENT_ABSTRACT_CLASS(TProbe, TObject)
IMPLEMENT_ABSTRACT_CLASS(TDerivedProbe, TProbe)
IMPLEMENT_ABSTRACT_CLASS(TStranger, TObject)

TCompareResult CompareProbes(TObject* a, TObject* b) {
    const int x = static_cast<TProbe*>(a)->Value;
    const int y = static_cast<TProbe*>(b)->Value;
    return x < y ? crLess : (x > y ? crGreater : crEqual);
}
