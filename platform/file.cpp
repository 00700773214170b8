#include "platform/file.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/paths.h"

namespace plat {

File::~File() { Close(); }

File::File(File&& other) noexcept : m_fd(other.m_fd) { other.m_fd = -1; }

File& File::operator=(File&& other) noexcept {
    if (this != &other) {
        Close();
        m_fd = other.m_fd;
        other.m_fd = -1;
    }
    return *this;
}

bool File::Open(std::string_view dataPath, FileMode mode) {
    Close();
    if (dataPath.empty()) return false;
    const std::string path = ResolvePath(dataPath);
    int flags = O_CLOEXEC;
    switch (mode) {
    case FileMode::ReadSequential:
    case FileMode::ReadRandom: flags |= O_RDONLY; break;
    case FileMode::CreateTruncate: flags |= O_RDWR | O_CREAT | O_TRUNC; break;
    case FileMode::OpenAlways: flags |= O_RDWR | O_CREAT; break;
    }
    // Opening a FIFO waits for its writer and opening a device may act on
    // it: the kind is checked before the open, and again on what was opened
    // (without waiting) in case the name changed in between.
    struct stat st;
    if (::stat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
    int fd;
    do {
        fd = ::open(path.c_str(), flags | O_NONBLOCK, 0644);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) return false;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK) != 0) {
        ::close(fd);
        return false;
    }
    ::posix_fadvise(fd, 0, 0, mode == FileMode::ReadRandom ? POSIX_FADV_RANDOM : POSIX_FADV_SEQUENTIAL);
    m_fd = fd;
    return true;
}

void File::Close() {
    if (m_fd >= 0) ::close(m_fd);
    m_fd = -1;
}

int64_t File::Read(void* buffer, size_t count) {
    if (m_fd < 0) return -1;
    auto* out = static_cast<unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::read(m_fd, out + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done ? static_cast<int64_t>(done) : -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Write(const void* buffer, size_t count) {
    if (m_fd < 0) return -1;
    const auto* in = static_cast<const unsigned char*>(buffer);
    size_t done = 0;
    while (done < count) {
        const ssize_t n = ::write(m_fd, in + done, count - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            return done ? static_cast<int64_t>(done) : -1;
        }
        if (n == 0) break;
        done += static_cast<size_t>(n);
    }
    return static_cast<int64_t>(done);
}

int64_t File::Seek(int64_t offset, SeekOrigin origin) {
    if (m_fd < 0) return -1;
    const int whence = origin == SeekOrigin::Begin ? SEEK_SET : origin == SeekOrigin::Current ? SEEK_CUR : SEEK_END;
    const off_t r = ::lseek(m_fd, static_cast<off_t>(offset), whence);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t File::Tell() const {
    if (m_fd < 0) return -1;
    const off_t r = ::lseek(m_fd, 0, SEEK_CUR);
    return r < 0 ? -1 : static_cast<int64_t>(r);
}

int64_t File::Size() const {
    if (m_fd < 0) return -1;
    struct stat st;
    if (::fstat(m_fd, &st) != 0) return -1;
    return static_cast<int64_t>(st.st_size);
}

namespace {

bool WriteAll(int fd, std::span<const uint8_t> bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        done += static_cast<size_t>(n);
    }
    return true;
}

// The folder's own entry is flushed too, so the rename itself survives a
// power cut; a folder that cannot be opened for it still has the rename.
void SyncFolder(const std::string& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

} // namespace

bool ReplaceFile(std::string_view dataPath, std::span<const uint8_t> bytes) {
    if (dataPath.empty()) return false;
    const std::string path = ResolvePath(dataPath);
    struct stat st;
    if (::lstat(path.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;

    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    if (name.empty()) return false;
    // Hidden and without the target's extension, so a listing by extension
    // never takes a left-over for a real file.
    std::string temp = (slash == std::string::npos ? std::string() : folder) + "." + name + ".XXXXXX";
    const int fd = ::mkostemp(temp.data(), O_CLOEXEC);
    if (fd < 0) return false;
    ::fchmod(fd, 0644);
    bool ok = WriteAll(fd, bytes) && ::fsync(fd) == 0;
    ok = (::close(fd) == 0) && ok;
    if (ok) ok = ::rename(temp.c_str(), path.c_str()) == 0;
    if (!ok) {
        ::unlink(temp.c_str());
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool RenameFile(std::string_view fromPath, std::string_view toPath) {
    if (fromPath.empty() || toPath.empty()) return false;
    const std::string from = ResolvePath(fromPath), to = ResolvePath(toPath);
    struct stat st;
    if (::lstat(from.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    if (::lstat(to.c_str(), &st) == 0 && !S_ISREG(st.st_mode)) return false;
    return ::rename(from.c_str(), to.c_str()) == 0;
}

bool RemoveFile(std::string_view dataPath) {
    if (dataPath.empty()) return false;
    const std::string path = ResolvePath(dataPath);
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
    return ::unlink(path.c_str()) == 0;
}

} // namespace plat
