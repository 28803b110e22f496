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
    if (Depth >= kMaxDepth) throw EReadError(kNestingTooDeep);
    TNestingGuard guard(*this, TNestingGuard::kReading);
    if (!guard.IsTopLevel()) return ReadFrame();
    try {
        return ReadFrame();
    } catch (const std::bad_alloc&) {
        throw EReadError(kOutOfMemory);  // a load reports failure, not a crash
    }
}

namespace {

/// The bytes of a frame before its record, as WriteMagic, WriteText and WriteUInt16 put
/// them; reading them back gives the same name and version. Made by hand rather than
/// through a writer: classes that alternate, as nodes and their captions do, make one
/// per frame.
std::string FrameHeader(const std::string& className, std::uint16_t version) {
    std::string header = "TPF0";
    const auto length = static_cast<std::uint32_t>(className.size());
    if (length <= 255) {
        header += {static_cast<char>(tagString), static_cast<char>(length)};
    } else {
        header += static_cast<char>(tagLString);
        for (int shift = 0; shift < 32; shift += 8) header += static_cast<char>(length >> shift);
    }
    header += className;
    header += {static_cast<char>(version & 0xFF), static_cast<char>(version >> 8)};
    return header;
}

const std::uint8_t* BytesOf(const std::string& text) {
    return reinterpret_cast<const std::uint8_t*>(text.data());
}

}  // namespace

TObject* TObjectStream::ReadFrame() {
    const TStreamableInterface* entry = nullptr;
    std::uint16_t version = 0;
    const TReadCache& cache = readCache_;
    if (cache.proc != nullptr && cache.generation == RegistryGeneration() &&
        Reader->SkipIfAhead(BytesOf(cache.header), cache.header.size())) {
        entry = cache.entry;  // the same bytes as the last frame's: the same answers
        version = cache.version;
    } else {
        Reader->ReadMagic();
        const std::string className = Reader->ReadText();
        version = Reader->ReadUInt16();
        entry = EntryForReading(className);
    }
    std::unique_ptr<TObject> object(entry->StreamClass->createBlank());
    ReaderFor(*entry, version)(object.get(), *Reader);
    return object.release();
}

const TStreamableInterface* TObjectStream::EntryForReading(const std::string& className) {
    const std::uint64_t generation = RegistryGeneration();
    if (readCache_.entry != nullptr && readCache_.generation == generation &&
        readCache_.name == className)
        return readCache_.entry;
    const TStreamableInterface* entry = FindStreamableInterface(className);
    // Anything else kept is dropped: its entry may be gone with an earlier generation.
    readCache_ = entry->Name == className ? TReadCache{generation, className, entry, 0, nullptr, {}}
                                          : TReadCache{};
    return entry;
}

TObjectReadProc TObjectStream::ReaderFor(const TStreamableInterface& entry, std::uint16_t version) {
    const bool cached = &entry == readCache_.entry;
    if (cached && readCache_.proc != nullptr && readCache_.version == version)
        return readCache_.proc;
    const TObjectReadProc proc = entry.GetReader(version);
    if (cached && proc != nullptr) {
        readCache_.version = version;
        readCache_.proc = proc;
        readCache_.header = FrameHeader(readCache_.name, version);
    }
    return proc;
}

const TStreamableInterface* TObjectStream::EntryForWriting(const TObject& object) {
    const std::uint64_t generation = RegistryGeneration();
    const TClassRef cls = object.ClassType();
    if (writeCache_.entry != nullptr && writeCache_.generation == generation &&
        writeCache_.cls == cls)
        return writeCache_.entry;
    const TStreamableInterface* entry = FindStreamableInterface(cls->name);
    writeCache_ =
        entry->Name == cls->name ? TWriteCache{generation, cls, entry, nullptr, {}} : TWriteCache{};
    return entry;
}

TObjectWriteProc TObjectStream::WriterFor(const TStreamableInterface& entry) {
    const bool cached = &entry == writeCache_.entry;
    if (cached && writeCache_.proc != nullptr) return writeCache_.proc;
    const TObjectWriteProc proc = entry.GetWriter(entry.Version);
    if (cached && proc != nullptr) {
        writeCache_.proc = proc;
        writeCache_.header = FrameHeader(entry.Name, entry.Version);
    }
    return proc;
}

void TObjectStream::WriteObject(TObject* object) {
    if (object == nullptr) throw EClassNotRegistered();  // nothing to name in a frame
    if (Depth >= kMaxDepth) throw EWriteError(kNestingTooDeep);
    const TStreamableInterface* entry = EntryForWriting(*object);
    TNestingGuard guard(*this, TNestingGuard::kWriting);
    if (entry == writeCache_.entry && writeCache_.proc != nullptr) {
        Writer->Write(writeCache_.header.data(), writeCache_.header.size());
    } else {
        Writer->WriteMagic();
        Writer->WriteText(entry->Name);
        Writer->WriteUInt16(entry->Version);
    }
    const TObjectWriteProc write = WriterFor(*entry);
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
/// only by what it read ahead, far less than what is kept behind it.
class TFileBytes : public TMemoryStream {
public:
    std::size_t Read(void* buffer, std::size_t count) override {
        const std::size_t n = TMemoryStream::Read(buffer, count);
        if (Position() - kKeptBehind >= released_ + kReleaseStep) {
            released_ = Position() - kKeptBehind;
            ReleaseBefore(released_);
        }
        return n;
    }

private:
    static constexpr std::int64_t kKeptBehind = std::int64_t{1} << 20;
    static constexpr std::int64_t kReleaseStep = std::int64_t{4} << 20;
    std::int64_t released_ = 0;
};

}  // namespace

TObject* LoadObjectFromFile(const std::string& fileName, bool buffered) {
    std::unique_ptr<TStream> stream;
    if (buffered) {
        auto memory = std::make_unique<TFileBytes>();
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
