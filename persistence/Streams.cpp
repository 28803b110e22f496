#include "persistence/Streams.h"

#include <dirent.h>
#include <fcntl.h>
#include <linux/magic.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <sys/statfs.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <utility>
#include <vector>

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
    /// Hands the descriptor over without closing it.
    int Release() { return std::exchange(fd_, -1); }
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

/// Where a save of target writes first: hidden files beside it, named by one stem and six
/// random characters. The stem holds the whole name when the file system takes it with the
/// rest; a longer name is cut and a hash of it added, so that long names with the same
/// beginning do not share a stem.
class TTempNames {
public:
    explicit TTempNames(const std::string& target) {
        const std::size_t slash = target.rfind('/');
        dir_ = slash == std::string::npos ? "" : target.substr(0, slash + 1);
        const std::string base = slash == std::string::npos ? target : target.substr(slash + 1);
        const std::size_t room = NameMax() - 1 - std::strlen(kMarker) - kRandomChars;
        stem_ = "." + (base.size() <= room ? base : Shortened(base, room)) + kMarker;
    }
    /// A pattern for mkostemp.
    std::string Pattern() const { return dir_ + stem_ + std::string(kRandomChars, 'X'); }
    /// The folder as open() takes it.
    std::string Dir() const { return dir_.empty() ? "." : dir_; }
    std::string PathOf(const std::string& name) const { return dir_ + name; }
    /// Whether a file of the folder has a name mkostemp could have given under this stem.
    bool IsOne(const std::string& name) const {
        if (name.size() != stem_.size() + kRandomChars || !name.starts_with(stem_)) return false;
        return std::all_of(name.begin() + static_cast<std::ptrdiff_t>(stem_.size()), name.end(),
                           [](char c) { return std::isalnum(static_cast<unsigned char>(c)); });
    }

private:
    static constexpr const char* kMarker = ".saving-";
    static constexpr std::size_t kRandomChars = 6;
    static constexpr std::size_t kHashChars = 9;  // "~" and eight hexadecimal digits

    std::size_t NameMax() const {
        const long max = ::pathconf(Dir().c_str(), _PC_NAME_MAX);
        return max >= 64 ? static_cast<std::size_t>(max) : 255;
    }
    static std::string Shortened(const std::string& base, std::size_t room) {
        std::uint32_t hash = 2166136261u;  // FNV-1a
        for (const char c : base) hash = (hash ^ static_cast<unsigned char>(c)) * 16777619u;
        std::size_t keep = room - kHashChars;
        // Not inside a UTF-8 character: the cut name stays readable in a listing.
        while (keep > 0 && (static_cast<unsigned char>(base[keep]) & 0xC0) == 0x80) --keep;
        char tag[kHashChars + 1];
        std::snprintf(tag, sizeof tag, "~%08x", static_cast<unsigned>(hash));
        return base.substr(0, keep) + tag;
    }

    std::string dir_;
    std::string stem_;
};

void SyncDirectoryOf(const std::string& dir) {
    TFd fd(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (fd.Get() >= 0) ::fsync(fd.Get());  // best effort: the rename has happened
}

/// A new temporary file, locked for as long as it is open, so that the clean-up of another
/// save leaves it alone. -1 when none can be made.
int CreateLockedTemp(const TTempNames& names, std::string& path) {
    for (int attempt = 0; attempt < 8; ++attempt) {
        path = names.Pattern();
        TFd fd(::mkostemp(path.data(), O_CLOEXEC));
        if (fd.Get() < 0) return -1;
        struct stat st {};
        // Another save's clean-up may have taken it in the moment before the lock: then
        // it is gone, or going, and another name is tried.
        if (::flock(fd.Get(), LOCK_EX | LOCK_NB) == 0 && ::fstat(fd.Get(), &st) == 0 &&
            st.st_nlink > 0)
            return fd.Release();
    }
    return -1;
}

/// Removes the file if it is a leftover of an interrupted save: a regular file of ours
/// that no process holds locked, still under the name it was found by.
void RemoveIfLeftover(const std::string& path) {
    TFd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
    struct stat st {};
    if (fd.Get() < 0 || ::fstat(fd.Get(), &st) != 0 || !S_ISREG(st.st_mode) ||
        st.st_uid != ::geteuid())
        return;
    if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) return;  // a save still writing it
    struct stat now {};
    if (::lstat(path.c_str(), &now) == 0 && now.st_dev == st.st_dev && now.st_ino == st.st_ino)
        ::unlink(path.c_str());
}

/// Clears the folder of what interrupted saves of the same target left behind; best effort.
void RemoveLeftovers(const TTempNames& names) {
    struct TCloseDir {
        void operator()(DIR* dir) const { ::closedir(dir); }
    };
    const std::unique_ptr<DIR, TCloseDir> dir(::opendir(names.Dir().c_str()));
    if (dir == nullptr) return;
    std::vector<std::string> found;  // not removed while the folder is being read
    while (const dirent* entry = ::readdir(dir.get()))
        if (names.IsOne(entry->d_name)) found.push_back(names.PathOf(entry->d_name));
    for (const std::string& path : found) RemoveIfLeftover(path);
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

    const TTempNames names(target);
    std::string temp;
    TFd fd(CreateLockedTemp(names, temp));
    if (fd.Get() < 0) throw EFCreateError(fileName);
    TTempFile tempFile(temp);
    if (::fchmod(fd.Get(), mode) != 0) throw EFCreateError(fileName);
    if (exists && ::fchown(fd.Get(), old.st_uid, old.st_gid) != 0) {
        // Only the owner's rights are ours to keep; another owner's group stays lost.
    }
    if (WriteFully(fd.Get(), data, size) != size) throw EWriteError();
    if (::fsync(fd.Get()) != 0) throw EWriteError();
    if (::rename(temp.c_str(), target.c_str()) != 0) throw EFCreateError(fileName);
    tempFile.Kept();
    // Unlocked only under the target's name, so that no clean-up can take it before; the
    // bytes are on the disk already, as fsync said.
    fd.Close();
    SyncDirectoryOf(names.Dir());
    RemoveLeftovers(names);
}
