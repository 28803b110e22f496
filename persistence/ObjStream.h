// The object stream: writes a registered object, with the objects it holds,
// as a tree of self-describing frames (signature, class name, version,
// record) and reads it back through the class registry.
#pragma once

#include <memory>
#include <string>

#include "persistence/Filer.h"
#include "persistence/ObjPerst.h"

class TFrameCache;
class TObjectStream;

/// The reader that reader procedures get: the primitives plus nested objects.
class TObjectReader : public TReader {
public:
    TObjectReader(TObjectStream* owner, TStream* stream) : TReader(stream), Owner(owner) {}

    /// Owner->ReadObject(). Caller owns the result.
    TObject* ReadObject();

    TObjectStream* Owner;
};

/// The writer that writer procedures get: the primitives plus nested objects.
class TObjectWriter : public TWriter {
public:
    TObjectWriter(TObjectStream* owner, TStream* stream) : TWriter(stream), Owner(owner) {}

    /// Owner->WriteObject(object).
    void WriteObject(TObject* object);

    TObjectStream* Owner;
};

/// Frames over one byte stream. A top-level call makes the reader or writer
/// and releases it before returning, even by an error: between top-level calls
/// no buffer is held, all written bytes have reached the byte stream and it
/// stands just after the last frame. Every error leaves Depth as it was.
class TObjectStream : public TObject {
    DECLARE_CLASS()
public:
    /// Frames deeper than this are refused when reading, so that a hostile
    /// file cannot exhaust the call stack, and so when writing, so that no file
    /// is written that could not be read back.
    static constexpr int kMaxDepth = 1000;

    explicit TObjectStream(std::unique_ptr<TStream> stream);
    ~TObjectStream() override;

    /// Reads one frame at the stream's position. Caller owns the result.
    /// EReadError: "Invalid stream format" (no signature), "Stream read error"
    /// (the stream ends inside the frame, or a count or length in it promises
    /// more bytes than are left), "Invalid property value" (a wrong tag),
    /// "Object nesting too deep" (more than kMaxDepth frames nested),
    /// "Out of memory"; EClassNotRegistered; EClassVersionNotRegistered; and
    /// what the reader procedures raise. A failed read destroys every object it made.
    TObject* ReadObject();
    /// Writes one frame for object at the stream's position. EClassNotRegistered
    /// before any byte of the frame when the class is not registered (or object
    /// is absent); EWriteError: "Stream write error" when the byte stream takes
    /// fewer bytes than given, "Object nesting too deep" (more than kMaxDepth
    /// frames nested); and what the writer procedures raise.
    void WriteObject(TObject* object);

    TStream* GetStream() const { return Stream.get(); }
    int GetDepth() const { return Depth; }
    /// Set by the constructor; when cleared the stream survives this object.
    bool OwnsStream = true;

private:
    friend class TNestingGuard;
    TObject* ReadFrame();

    std::unique_ptr<TFrameCache> frames_;
    std::unique_ptr<TStream> Stream;
    std::unique_ptr<TObjectWriter> Writer;  // only while a write is in progress
    std::unique_ptr<TObjectReader> Reader;  // only while a read is in progress
    int Depth = 0;
};

/// Reads a nested object that must be a T (or derived from it): EInvalidCast
/// ("Invalid class typecast") otherwise, and the object read is destroyed.
template <class T>
std::unique_ptr<T> ReadObjectAs(TObjectReader& reader) {
    std::unique_ptr<TObject> object(reader.ReadObject());
    T* typed = As<T>(object.get());
    object.release();
    return std::unique_ptr<T>(typed);
}

/// Reads the first frame of the file; bytes after it are ignored. Caller owns
/// the result. buffered: the whole file is read at once first. EFOpenError
/// ("Cannot open file %s") when the file cannot be opened; EReadError ("Stream
/// read error") when it cannot be read; and every error of ReadObject.
TObject* LoadObjectFromFile(const std::string& fileName, bool buffered);
/// Writes object as the file's only frame. buffered: the frame is built in
/// memory, then replaces the file atomically, so a failed save leaves the old
/// file as it was (WriteFileAtomically). Unbuffered: the file is truncated
/// first and keeps what was flushed before a failure. EFCreateError ("Cannot
/// create file %s"), EWriteError ("Stream write error"), and every error of
/// WriteObject. Past a file-size limit (RLIMIT_FSIZE) the system also sends
/// SIGXFSZ, whose default action ends the process before the error can be
/// raised: a program that wants the error and its old file kept ignores that
/// signal. The library leaves the process's signal dispositions to the program.
void SaveObjectToFile(TObject* object, const std::string& fileName, bool buffered);
