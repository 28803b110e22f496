#include "tests/persistence/StreamBytes.h"

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>

TBytes operator+(TBytes bytes, const TBytes& more) {
    bytes.insert(bytes.end(), more.begin(), more.end());
    return bytes;
}

TBytes BytesOf(const std::string& text) { return TBytes(text.begin(), text.end()); }

TBytes Text(const std::string& s) {
    return TBytes{6, static_cast<std::uint8_t>(s.size())} + BytesOf(s);
}

TBytes FrameHeader(const std::string& className) {
    return BytesOf("TPF0") + Text(className) + TBytes{1, 0};
}

std::unique_ptr<TMemoryStream> MemoryOf(const TBytes& bytes) {
    auto stream = std::make_unique<TMemoryStream>();
    stream->Write(bytes.data(), bytes.size());
    stream->Seek(-stream->Position());
    return stream;
}

TBytes ContentOf(const TStream* memoryStream) {
    return TBytes(memoryStream->Memory(), memoryStream->Memory() + memoryStream->Size());
}

TBytes FrameOf(TObject* object) {
    TObjectStream objects(std::make_unique<TMemoryStream>());
    objects.WriteObject(object);
    return ContentOf(objects.GetStream());
}

std::unique_ptr<TObject> ObjectFrom(const TBytes& bytes) {
    TObjectStream objects(MemoryOf(bytes));
    return std::unique_ptr<TObject>(objects.ReadObject());
}

TTempDir::TTempDir() {
    char pattern[] = "/tmp/persist-test-XXXXXX";
    path_ = ::mkdtemp(pattern);
}

TTempDir::~TTempDir() { std::filesystem::remove_all(path_); }

std::vector<std::string> TTempDir::Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(path_))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void ExpectDamageGivesLibraryErrors(const TBytes& frame) {
    for (std::size_t length = 0; length < frame.size(); ++length)
        EXPECT_THROW(ObjectFrom(TBytes(frame.begin(), frame.begin() + static_cast<long>(length))),
                     Exception)
            << "cut at " << length;
    for (std::size_t at = 0; at < frame.size(); ++at) {
        for (std::uint8_t mask : {0x01, 0x80, 0xFF}) {
            TBytes damaged = frame;
            damaged[at] ^= mask;
            try {
                ObjectFrom(damaged);
            } catch (const Exception&) {  // anything else fails the test
            }
        }
    }
}

TBytes FileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteFileBytes(const std::string& path, const TBytes& bytes) {
    std::ofstream(path, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()),
               static_cast<std::streamsize>(bytes.size()));
}
