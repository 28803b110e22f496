#include "persistence/FrameCache.h"

void TFrameCache::DropIfStale() {
    const std::uint64_t generation = RegistryGeneration();
    if (generation == generation_) return;
    kinds_ = {};
    generation_ = generation;
}

const TFrameKind* TFrameCache::TakeOtherKnownHeader(TReader& reader) {
    for (std::size_t i = 0; i < kKinds; ++i) {
        if (i == lastHit_ || !HeaderIsNext(kinds_[i], reader)) continue;
        lastHit_ = i;
        reader.Skip(kinds_[i].header.size());
        return &kinds_[i];
    }
    return nullptr;
}

const TFrameKind& TFrameCache::ForReading(const std::string& className, std::uint16_t version) {
    const TStreamableInterface* entry = FindStreamableInterface(className);
    const TObjectReadProc reader = entry->GetReader(version);
    TFrameKind& kind = KindOf(*entry, version, className);
    kind.reader = reader;
    return kind;
}

const TFrameKind& TFrameCache::FindForWriting(TClassRef cls) {
    for (std::size_t i = 0; i < kKinds; ++i) {
        if (kinds_[i].writtenAs != cls) continue;
        lastHit_ = i;
        return kinds_[i];
    }
    const TStreamableInterface* entry = FindStreamableInterface(cls->name);
    TFrameKind& kind = KindOf(*entry, entry->Version, cls->name);
    kind.writtenAs = cls;
    // A class without writers has no procedure: writing it fails after its header.
    if (kind.writer == nullptr && entry->Version > 0)
        kind.writer = entry->GetWriter(entry->Version);
    return kind;
}

TFrameKind& TFrameCache::KindOf(const TStreamableInterface& entry, std::uint16_t version,
                                const std::string& className) {
    if (entry.Name != className) {
        // Found by the collation under a name of other bytes: the next such name may
        // find another entry, so nothing is kept.
        scratch_ = TFrameKind{&entry, version, EncodeFrameHeader(entry.Name, version)};
        return scratch_;
    }
    for (std::size_t i = 0; i < kKinds; ++i) {
        if (kinds_[i].entry != &entry || kinds_[i].version != version) continue;
        lastHit_ = i;
        return kinds_[i];
    }
    const std::size_t slot = nextFree_;
    nextFree_ = (nextFree_ + 1) % kKinds;
    kinds_[slot] = TFrameKind{&entry, version, EncodeFrameHeader(entry.Name, version)};
    lastHit_ = slot;
    return kinds_[slot];
}
