// How a caller follows a long computation and stops it, from another thread.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "containers/ObjType.h"

/// A computation was stopped through its run control's flag.
class ECancelled : public Exception {
public:
    ECancelled() : Exception("Cancelled") {}
};

/// What the caller of an algorithm hands it to follow and stop it. The algorithm reads the
/// flag and calls progress on its own thread, every few thousand steps of its loops, so
/// a flag set on another thread ends it soon after with ECancelled.
/// REQUIRES: the flag outlives the call; progress is safe to call from the algorithm's
/// thread.
struct TRunControl {
    const std::atomic<bool>* cancel = nullptr;      // none: never stopped
    std::function<void(double fraction)> progress;  // the share done, from 0 to 1
};

/// The steps of one run, counted against the run control. Owned by the run, so that
/// runs on several threads share nothing but the flag they were given.
class TWorkMeter {
public:
    /// total: the steps the run expects, for the share reported; 0 when unknown, and then
    /// no share is reported.
    explicit TWorkMeter(const TRunControl& control, std::int64_t total = 0)
        : control_(control), total_(total) {}

    /// One step. ECancelled once the flag is seen set.
    void Step() {
        if ((++done_ & kPollMask) == 0) Poll();
    }
    /// Looks at the flag now. ECancelled when it is set.
    void Poll() const;
    /// A new expected total, with the steps counted so far kept.
    void SetTotal(std::int64_t total) { total_ = total; }

private:
    static constexpr std::int64_t kPollMask = (1 << 12) - 1;

    const TRunControl& control_;
    std::int64_t total_;
    std::int64_t done_ = 0;
};
