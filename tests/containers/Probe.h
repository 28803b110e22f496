// Test items: a value with a destructor that counts, and an unrelated class.
#pragma once

#include "containers/ObjType.h"

class TProbe : public TObject {
    DECLARE_CLASS()
public:
    explicit TProbe(int value) : Value(value) {}
    ~TProbe() override { ++Destroyed; }

    int Value;
    static inline int Destroyed = 0;
};

class TDerivedProbe : public TProbe {
    DECLARE_CLASS()
public:
    using TProbe::TProbe;
};

class TStranger : public TObject {
    DECLARE_CLASS()
};

/// Ascending by value.
TCompareResult CompareProbes(TObject* a, TObject* b);
