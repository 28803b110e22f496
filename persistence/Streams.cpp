#include "persistence/Streams.h"

#include <fcntl.h>
#include <linux/magic.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <memory>

IMPLEMENT_ABSTRACT_CLASS(TStream, TObject)
IMPLEMENT_ABSTRACT_CLASS(TFileStream, TStream)
IMPLEMENT_CLASS(TMemoryStream, TStream)

namespace {

/// Reads until count bytes or the end; returns how many arrived. EReadError when
/// the system fails the read: a device or pipe that fails part-way must not pass
/// for one that ended.
std::size_t ReadFully(int fd, void* buffer, std::size_t count) {
    auto* out = static_cast<char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(fd, out + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) throw EReadError();
        if (n == 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

/// The file opened for reading. EFOpenError when it cannot be opened or is a folder,
/// which the system opens but nobody can read.
int OpenForReading(const std::string& fileName) {
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw EFOpenError(fileName);
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        ::close(fd);
        throw EFOpenError(fileName);
    }
    return fd;
}

/// Writes until count bytes or the first failure; returns how many went out.
std::size_t WriteFully(int fd, const void* buffer, std::size_t count) {
    const auto* in = static_cast<const char*>(buffer);
    std::size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(fd, in + done, count - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<std::size_t>(n);
    }
    return done;
}

/// A single read: what a pipe or device has at hand, without waiting for more. EReadError
/// when the system fails the read.
std::size_t ReadOnce(int fd, void* buffer, std::size_t count) {
    for (;;) {
        const ssize_t n = ::read(fd, buffer, count);
        if (n >= 0) return static_cast<std::size_t>(n);
        if (errno != EINTR) throw EReadError();
    }
}

/// A regular file that says how long it is. The kernel's pseudo-files say 0, or a size
/// unrelated to what reading them gives, whatever they hold.
bool TellsItsSize(int fd) {
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size == 0) return false;
    struct statfs fs {};
    if (::fstatfs(fd, &fs) != 0) return true;
    return fs.f_type != PROC_SUPER_MAGIC && fs.f_type != SYSFS_MAGIC;
}

/// Closes the descriptor when it goes out of scope.
class TFd {
public:
    explicit TFd(int fd) : fd_(fd) {}
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    ~TFd() {
        if (fd_ >= 0) ::close(fd_);
    }
    int Get() const { return fd_; }
    /// Closes now and reports whether the close succeeded.
    bool Close() {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

}  // namespace

// ----------------------------------------------------------------------------
// TFileStream

TFileStream::TFileStream(const std::string& fileName, TMode mode) {
    if (mode == TMode::OpenRead) {
        fd_ = OpenForReading(fileName);
    } else {
        fd_ = ::open(fileName.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        if (fd_ < 0) throw EFCreateError(fileName);
    }
    sizeKnown_ = TellsItsSize(fd_);
}

TFileStream::~TFileStream() { ::close(fd_); }

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    // A pipe may hold a whole frame and stay open: waiting for a full buffer could be forever.
    return sizeKnown_ ? ReadFully(fd_, buffer, count) : ReadOnce(fd_, buffer, count);
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    return WriteFully(fd_, buffer, count);
}

std::int64_t TFileStream::Seek(std::int64_t offset) {
    const off_t at = ::lseek(fd_, offset, SEEK_CUR);
    return at < 0 ? -1 : at;
}

std::int64_t TFileStream::Position() const { return ::lseek(fd_, 0, SEEK_CUR); }

std::int64_t TFileStream::Size() const {
    struct stat st {};
    return ::fstat(fd_, &st) == 0 ? st.st_size : 0;
}

// ----------------------------------------------------------------------------
// TMemoryStream

std::size_t TMemoryStream::Read(void* buffer, std::size_t count) {
    if (position_ < released_) throw EReadError();  // those bytes are gone
    if (position_ >= Size()) return 0;
    const std::size_t n = std::min(count, static_cast<std::size_t>(Size() - position_));
    std::memcpy(buffer, data_.Data() + position_, n);
    position_ += static_cast<std::int64_t>(n);
    return n;
}

std::size_t TMemoryStream::Write(const void* buffer, std::size_t count) {
    if (count == 0) return 0;
    const std::size_t end = static_cast<std::size_t>(position_) + count;
    if (end > data_.Size()) data_.Resize(end);
    std::memcpy(data_.Data() + position_, buffer, count);
    position_ = static_cast<std::int64_t>(end);
    return count;
}

std::int64_t TMemoryStream::Seek(std::int64_t offset) {
    if (offset < -position_ || offset > INT64_MAX - position_) return -1;
    if (position_ + offset < released_) throw EReadError();
    position_ += offset;
    return position_;
}

void TMemoryStream::SetSize(std::size_t size) {
    data_.Reserve(size);  // exactly: a record says its size
    data_.Resize(size);
}

void TMemoryStream::ReleaseBefore(std::int64_t position) {
    if (position <= released_) return;
    released_ = position;
    data_.ReleaseBefore(static_cast<std::size_t>(position));
}

void TMemoryStream::LoadFromFile(const std::string& fileName) {
    TFileStream file(fileName, TFileStream::TMode::OpenRead);
    LoadFromStream(file);
}

void TMemoryStream::LoadFromStream(TStream& source) {
    TByteBlock content;
    if (source.SizeIsKnown()) {
        const std::int64_t left = std::max<std::int64_t>(source.Size() - source.Position(), 0);
        content.Reserve(static_cast<std::size_t>(left));
        content.Resize(static_cast<std::size_t>(left));
        if (left > 0 && source.Read(content.Data(), content.Size()) != content.Size())
            throw EReadError();
    } else {
        std::uint8_t chunk[65536];  // a pipe or device tells its size only by ending
        while (const std::size_t n = source.Read(chunk, sizeof chunk)) {
            const std::size_t end = content.Size();
            content.Resize(end + n);
            std::memcpy(content.Data() + end, chunk, n);
        }
    }
    data_.Swap(content);
    position_ = 0;
    released_ = 0;
}

void TMemoryStream::SaveToFile(const std::string& fileName) const {
    WriteFileAtomically(fileName, data_.Data(), data_.Size());
}

// ----------------------------------------------------------------------------
// Atomic file replacement

namespace {

/// The file that a save replaces: the one a symbolic link points to, so that
/// the link survives the rename.
std::string ReplacedPath(const std::string& fileName) {
    struct stat st {};
    if (::lstat(fileName.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return fileName;
    std::unique_ptr<char, decltype(&std::free)> real(::realpath(fileName.c_str(), nullptr),
                                                     &std::free);
    return real != nullptr ? std::string(real.get()) : fileName;
}

mode_t CurrentUmask() {
    const mode_t mask = ::umask(0);  // the only way to read it; single-threaded here
    ::umask(mask);
    return mask;
}

/// The temporary file's name: hidden, beside the target, unique by mkostemp.
std::string TempPattern(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "" : target.substr(0, slash + 1);
    const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
    return dir + "." + base + ".XXXXXX";
}

void SyncDirectoryOf(const std::string& target) {
    const std::size_t slash = target.rfind('/');
    const std::string dir = slash == std::string::npos ? "." : target.substr(0, slash + 1);
    TFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());  // best effort: the rename has happened
}

/// Removes the temporary file unless the rename has taken it.
class TTempFile {
public:
    explicit TTempFile(std::string path) : path_(std::move(path)) {}
    TTempFile(const TTempFile&) = delete;
    TTempFile& operator=(const TTempFile&) = delete;
    ~TTempFile() {
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    void Kept() { path_.clear(); }

private:
    std::string path_;
};

}  // namespace

void WriteFileAtomically(const std::string& fileName, const void* data, std::size_t size) {
    const std::string target = ReplacedPath(fileName);
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    // A write-protected file says "do not overwrite", even to whoever could rename over it.
    if (exists && (!S_ISREG(old.st_mode) || ::access(target.c_str(), W_OK) != 0))
        throw EFCreateError(fileName);
    const mode_t mode = exists ? (old.st_mode & 07777) : (0666 & ~CurrentUmask());

    std::string temp = TempPattern(target);
    TFd fd(::mkostemp(temp.data(), O_CLOEXEC));
    if (fd.Get() < 0) throw EFCreateError(fileName);
    TTempFile tempFile(temp);
    if (::fchmod(fd.Get(), mode) != 0) throw EFCreateError(fileName);
    if (exists && ::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) {
        // Only the owner's rights are ours to keep; another owner's group stays lost.
    }
    if (WriteFully(fd.Get(), data, size) != size) throw EWriteError();
    if (::fsync(fd.Get()) != 0 || !fd.Close()) throw EWriteError();
    if (::rename(temp.c_str(), target.c_str()) != 0) throw EFCreateError(fileName);
    tempFile.Kept();
    SyncDirectoryOf(target);
}
