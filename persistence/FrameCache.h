// What the object stream remembers of the frames it has met, so that the next frame of a
// known class costs neither a registry lookup nor a header built or parsed byte by byte.
// Private to the object stream.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "persistence/Filer.h"
#include "persistence/ObjPerst.h"

/// One class at one version, as its frames meet the stream.
struct TFrameKind {
    const TStreamableInterface* entry = nullptr;
    std::uint16_t version = 0;
    std::string header;                 // EncodeFrameHeader(entry->Name, version)
    TObjectReadProc reader = nullptr;   // once a frame of the kind has been read
    TObjectWriteProc writer = nullptr;  // once one has been written; none for version 0
    TClassRef writtenAs = nullptr;      // the class of the objects written as this kind
};

/// The kinds of the last few classes met, reading or writing. A kind is kept only for
/// a class found under exactly its own name, so that the same name bytes always lead to
/// the same entry.
class TFrameCache {
public:
    /// The one validity test: drops every kind kept from registries that have since been
    /// shut down. Called as each top-level read or write begins; the registries are not
    /// shut down while one is in progress.
    void DropIfStale();

    /// The kind whose header stands next in reader's buffer, with the header consumed;
    /// none, with nothing consumed, when no kept kind's header is there.
    const TFrameKind* TakeKnownHeader(TReader& reader) {
        // Frames come in long runs of one class, or two alternating: the last hit first.
        const TFrameKind& last = kinds_[lastHit_];
        if (!HeaderIsNext(last, reader)) return TakeOtherKnownHeader(reader);
        reader.Skip(last.header.size());
        return &last;
    }
    /// The kind of a frame whose header has been read. EClassNotRegistered,
    /// EClassVersionNotRegistered. Valid until the next call.
    const TFrameKind& ForReading(const std::string& className, std::uint16_t version);
    /// The kind that objects of cls are written as, at their entry's current version.
    /// EClassNotRegistered. Valid until the next call. REQUIRES: cls is present.
    const TFrameKind& ForWriting(TClassRef cls) {
        const TFrameKind& last = kinds_[lastHit_];
        return last.writtenAs == cls ? last : FindForWriting(cls);
    }

private:
    static constexpr std::size_t kKinds = 8;  // a graph's frames are of six classes

    // A frame header is 8 to 16 bytes: two overlapping words compare it without a call.
    static bool SameBytes(const std::uint8_t* a, const std::string& b) {
        const std::size_t count = b.size();
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(b.data());
        if (count < 8 || count > 16) return std::memcmp(a, bytes, count) == 0;
        std::uint64_t a0, a1, b0, b1;
        std::memcpy(&a0, a, 8);
        std::memcpy(&b0, bytes, 8);
        std::memcpy(&a1, a + count - 8, 8);
        std::memcpy(&b1, bytes + count - 8, 8);
        return a0 == b0 && a1 == b1;
    }
    static bool HeaderIsNext(const TFrameKind& kind, const TReader& reader) {
        if (kind.reader == nullptr) return false;  // not read yet: the reader is not known
        const std::uint8_t* ahead = reader.Peek(kind.header.size());
        return ahead != nullptr && SameBytes(ahead, kind.header);
    }
    const TFrameKind* TakeOtherKnownHeader(TReader& reader);
    const TFrameKind& FindForWriting(TClassRef cls);
    /// The kept kind of entry at version, made in a fresh slot when none is kept; the
    /// scratch kind when the entry was found under another name than className.
    TFrameKind& KindOf(const TStreamableInterface& entry, std::uint16_t version,
                       const std::string& className);

    std::array<TFrameKind, kKinds> kinds_;
    TFrameKind scratch_;
    std::size_t lastHit_ = 0;
    std::size_t nextFree_ = 0;  // the slot to fill next, round the ring
    std::uint64_t generation_ = 0;
};
