#include "persistence/ObjStream.h"

#include <new>

#include "persistence/FrameCache.h"
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
        if (stream.Depth == 0) stream.frames_->DropIfStale();
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

TObjectStream::TObjectStream(std::unique_ptr<TStream> stream)
    : frames_(std::make_unique<TFrameCache>()), Stream(std::move(stream)) {}

TObjectStream::~TObjectStream() {
    if (!OwnsStream) (void)Stream.release();  // someone else destroys it
}

TObject* TObjectStream::ReadObject() {
    if (Depth >= kMaxDepth) throw EReadError(kNestingTooDeep);
    TNestingGuard guard(*this, TNestingGuard::kReading);
    if (!guard.IsTopLevel()) return ReadFrame();
    try {
        std::unique_ptr<TObject> object(ReadFrame());
        // Here rather than by the release, so that a stream refusing to move back is reported.
        Reader->GiveBackReadAhead();
        return object.release();
    } catch (const std::bad_alloc&) {
        throw EReadError(kOutOfMemory);  // a load reports failure, not a crash
    }
}

TObject* TObjectStream::ReadFrame() {
    const TFrameKind* kind = frames_->TakeKnownHeader(*Reader);
    if (kind == nullptr) {
        Reader->ReadMagic();
        const std::string className = Reader->ReadText();
        const std::uint16_t version = Reader->ReadUInt16();
        kind = &frames_->ForReading(className, version);
    }
    // Taken out first: the nested frames that the reader procedure reads may replace the kind.
    const TClassRef cls = kind->entry->StreamClass;
    const TObjectReadProc read = kind->reader;
    std::unique_ptr<TObject> object(cls->createBlank());
    read(object.get(), *Reader);
    return object.release();
}

void TObjectStream::WriteObject(TObject* object) {
    if (object == nullptr) throw EClassNotRegistered();  // nothing to name in a frame
    if (Depth >= kMaxDepth) throw EWriteError(kNestingTooDeep);
    TNestingGuard guard(*this, TNestingGuard::kWriting);
    const TFrameKind& kind = frames_->ForWriting(object->ClassType());
    const TObjectWriteProc write = kind.writer;  // nested frames may replace the kind
    Writer->Write(kind.header.data(), kind.header.size());
    // Only a class registered without writers has none: version 0 has no procedure.
    if (write == nullptr) throw EClassVersionNotRegistered();
    write(object, *Writer);
    // Flushed here rather than by the release, so that a failing write is reported.
    if (guard.IsTopLevel()) Writer->Flush();
}

// ----------------------------------------------------------------------------
// Files

namespace {

/// A whole file's bytes for one object stream that reads them once, front to back: the
/// memory behind the reader goes back to the system as it moves on, so that the file's
/// bytes and the objects made of them are not all held at once. The reader moves back
/// only by what it read ahead, far less than what is kept behind it; were it to move
/// further, the stream would raise EReadError rather than give it zeros.
class TFileBytes : public TMemoryStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = TMemoryStream::Read(buffer, count);
        if (Position() - kKeptBehind >= givenBack_ + kReleaseStep) {
            givenBack_ = Position() - kKeptBehind;
            ReleaseBefore(givenBack_);
        }
        return n;
    }

private:
    static constexpr std::int64_t kKeptBehind = std::int64_t{1} << 20;
    static constexpr std::int64_t kReleaseStep = std::int64_t{4} << 20;
    std::int64_t givenBack_ = 0;
};

}  // namespace

TObject* LoadObjectFromFile(const std::string& fileName, bool buffered) {
    auto file = std::make_unique<TFileStream>(fileName, TFileStream::TMode::OpenRead);
    std::unique_ptr<TStream> stream;
    // A pipe or a device may never end: it is read only as far as the frame goes.
    if (buffered && file->SizeIsKnown()) {
        auto memory = std::make_unique<TFileBytes>();
        try {
            memory->LoadFromStream(*file);
            file.reset();  // closed before the parsing, as a whole-file load does
        } catch (const std::bad_alloc&) {
            throw EReadError(kOutOfMemory);
        }
        stream = std::move(memory);
    } else {
        stream = std::move(file);
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
