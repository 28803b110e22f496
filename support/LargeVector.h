// Large std::vectors whose pages come in huge: for the arrays of an algorithm's run over a
// big graph, which must stay plain std::vectors because a library takes them over.
#pragma once

#include <cstddef>
#include <vector>

#include "support/PageMemory.h"

/// Room for count values in values, asked to be backed by huge pages before its first
/// touch: a fresh small page costs a fault of its own, dearer than filling it.
template <class T>
void ReserveLarge(std::vector<T>& values, std::size_t count) {
    values.reserve(count);
    AdviseHugePagesWithin(values.data(), count * sizeof(T));
}

/// count values of value, in storage reserved as ReserveLarge does.
template <class T>
std::vector<T> LargeVector(std::size_t count, const T& value = T()) {
    std::vector<T> values;
    ReserveLarge(values, count);
    values.resize(count, value);
    return values;
}
