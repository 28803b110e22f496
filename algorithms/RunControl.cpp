#include "algorithms/RunControl.h"

#include <algorithm>

void TWorkMeter::Poll() const {
    if (control_.cancel != nullptr && control_.cancel->load(std::memory_order_relaxed))
        throw ECancelled();
    if (control_.progress && total_ > 0)
        control_.progress(std::min(1.0, static_cast<double>(done_) / static_cast<double>(total_)));
}
