// Helpers for the stream tests: frames to bytes and back, files, error texts.
#pragma once

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <memory>
#include <string>
#include <vector>

#include "persistence/ObjStream.h"
#include "tests/MessageOf.h"

using TBytes = std::vector<std::uint8_t>;

/// Literal bytes; the parentheses keep their commas safe inside test macros.
inline TBytes Bytes(std::initializer_list<std::uint8_t> bytes) { return TBytes(bytes); }
TBytes operator+(TBytes bytes, const TBytes& more);
TBytes BytesOf(const std::string& text);
/// WriteText's short form of s.
TBytes Text(const std::string& s);
/// The header of a version-1 frame of the class.
TBytes FrameHeader(const std::string& className);

/// A memory stream holding bytes, positioned at its start.
std::unique_ptr<TMemoryStream> MemoryOf(const TBytes& bytes);
TBytes ContentOf(const TStream* memoryStream);
/// One top-level frame of object, and one read back from bytes.
TBytes FrameOf(TObject* object);
std::unique_ptr<TObject> ObjectFrom(const TBytes& bytes);
/// Reads every truncation of frame (each must raise a library error) and every
/// copy with one byte flipped (a library error or an object): a crash, a leak or
/// any other exception fails the test.
void ExpectDamageGivesLibraryErrors(const TBytes& frame);

/// A fresh directory under /tmp, removed with its content at destruction.
class TTempDir {
public:
    TTempDir();
    ~TTempDir();
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Entries() const;  // sorted names

private:
    std::string path_;
};
TBytes FileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const TBytes& bytes);
