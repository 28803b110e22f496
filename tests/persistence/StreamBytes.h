// Helpers for the stream tests: frames to bytes and back, and error texts.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "persistence/ObjStream.h"

using TBytes = std::vector<std::uint8_t>;

/// A memory stream holding bytes, positioned at its start.
std::unique_ptr<TMemoryStream> MemoryOf(const TBytes& bytes);
/// The bytes of the memory stream's whole content.
TBytes ContentOf(const TMemoryStream& stream);
/// One top-level frame of object.
TBytes FrameOf(TObject* object);
/// One top-level frame read from bytes.
std::unique_ptr<TObject> ObjectFrom(const TBytes& bytes);
/// bytes followed by more.
TBytes Concat(TBytes bytes, const TBytes& more);
/// The bytes of text, for splicing names into expected frames.
TBytes BytesOf(const std::string& text);
/// The header of a version-1 frame of the class name.
TBytes FrameHeader(const std::string& className);

/// The text of the Error that action raises; "(nothing raised)" or
/// "(other error: ...)" otherwise.
template <class Error>
std::string MessageOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const Error& e) {
        return e.what();
    } catch (const std::exception& e) {
        return std::string("(other error: ") + e.what() + ")";
    }
    return "(nothing raised)";
}

/// A fresh directory under /tmp, removed with everything in it at destruction.
class TTempDir {
public:
    TTempDir();
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;
    ~TTempDir();
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    /// The names of the directory's entries, sorted.
    std::vector<std::string> Entries() const;

private:
    std::string path_;
};

/// The file's bytes; empty when it cannot be read.
TBytes FileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const TBytes& bytes);
