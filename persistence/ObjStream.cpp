#include "persistence/ObjStream.h"

#include <new>

#include "persistence/ObjPerst.h"

IMPLEMENT_ABSTRACT_CLASS(TObjectStream, TObject)

namespace {
constexpr const char* kNestingTooDeep = "Object nesting too deep";
constexpr const char* kOutOfMemory = "Out of memory";
}  // namespace

TObject* TObjectReader::ReadObject() { return Owner->ReadObject(); }

void TObjectWriter::WriteObject(TObject* object) { Owner->WriteObject(object); }

/// One ReadObject or WriteObject in progress: counts it in Depth and, for the
/// call that made the reader or writer, releases it at the end however the call ends.
class TNestingGuard {
public:
    enum TDirection { kReading, kWriting };

    TNestingGuard(TObjectStream& stream, TDirection direction) : stream_(stream) {
        if (direction == kReading && stream.Reader == nullptr) {
            stream.Reader = std::make_unique<TObjectReader>(&stream, stream.Stream.get());
            madeReader_ = true;
        } else if (direction == kWriting && stream.Writer == nullptr) {
            stream.Writer = std::make_unique<TObjectWriter>(&stream, stream.Stream.get());
            madeWriter_ = true;
        }
        ++stream.Depth;
    }
    TNestingGuard(const TNestingGuard&) = delete;
    TNestingGuard& operator=(const TNestingGuard&) = delete;
    ~TNestingGuard() {
        --stream_.Depth;
        if (madeReader_) stream_.Reader.reset();  // gives back what was read ahead
        if (madeWriter_) stream_.Writer.reset();
    }

    bool IsTopLevel() const { return madeReader_ || madeWriter_; }

private:
    TObjectStream& stream_;
    bool madeReader_ = false;
    bool madeWriter_ = false;
};

TObjectStream::TObjectStream(std::unique_ptr<TStream> stream) : Stream(std::move(stream)) {}

TObjectStream::~TObjectStream() {
    if (!OwnsStream) (void)Stream.release();  // someone else destroys it
}

TObject* TObjectStream::ReadObject() {
    if (Depth >= kMaxReadDepth) throw EReadError(kNestingTooDeep);
    TNestingGuard guard(*this, TNestingGuard::kReading);
    if (!guard.IsTopLevel()) return ReadFrame();
    try {
        return ReadFrame();
    } catch (const std::bad_alloc&) {
        throw EReadError(kOutOfMemory);  // a load reports failure, not a crash
    }
}

TObject* TObjectStream::ReadFrame() {
    Reader->ReadMagic();
    const std::string className = Reader->ReadText();
    const std::uint16_t version = Reader->ReadUInt16();
    const TStreamableInterface* entry = FindStreamableInterface(className);
    std::unique_ptr<TObject> object(entry->StreamClass->createBlank());
    entry->GetReader(version)(object.get(), *Reader);
    return object.release();
}

void TObjectStream::WriteObject(TObject* object) {
    if (object == nullptr) throw EClassNotRegistered();  // nothing to name in a frame
    const TStreamableInterface* entry = FindStreamableInterface(object->ClassName());
    TNestingGuard guard(*this, TNestingGuard::kWriting);
    Writer->WriteMagic();
    Writer->WriteText(entry->Name);
    Writer->WriteUInt16(entry->Version);
    entry->GetWriter(entry->Version)(object, *Writer);
    // Flushed here rather than by the release, so that a failing write is reported.
    if (guard.IsTopLevel()) Writer->Flush();
}

// ----------------------------------------------------------------------------
// Files

TObject* LoadObjectFromFile(const std::string& fileName, bool buffered) {
    std::unique_ptr<TStream> stream;
    if (buffered) {
        auto memory = std::make_unique<TMemoryStream>();
        try {
            memory->LoadFromFile(fileName);
        } catch (const std::bad_alloc&) {
            throw EReadError(kOutOfMemory);
        }
        stream = std::move(memory);
    } else {
        stream = std::make_unique<TFileStream>(fileName, TFileStream::TMode::OpenRead);
    }
    TObjectStream objects(std::move(stream));
    return objects.ReadObject();
}

void SaveObjectToFile(TObject* object, const std::string& fileName, bool buffered) {
    if (!buffered) {
        TObjectStream objects(std::make_unique<TFileStream>(fileName, TFileStream::TMode::Create));
        objects.WriteObject(object);
        return;
    }
    auto memory = std::make_unique<TMemoryStream>();
    TMemoryStream* content = memory.get();
    TObjectStream objects(std::move(memory));
    objects.WriteObject(object);
    content->SaveToFile(fileName);
}
