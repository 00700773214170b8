#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace plat {

// How a file is opened. The two read modes differ only in the access hint
// given to the system; both need the file to exist.
enum class FileMode {
    ReadSequential, // read only, front to back
    ReadRandom,     // read only, at any position
    CreateTruncate, // read and write; created, or emptied when present
    OpenAlways,     // read and write; created when missing, kept when present
};

enum class SeekOrigin { Begin, Current, End };

// One open POSIX file descriptor, closed with the object. Paths are data
// paths: they go through ResolvePath, so '\' and a wrong case still find the
// file, and a new file keeps the name as given.
class File {
public:
    File() = default;
    ~File();
    File(File&& other) noexcept;
    File& operator=(File&& other) noexcept;
    File(const File&) = delete;
    File& operator=(const File&) = delete;

    // Closes any file held first. Refuses anything but a regular file, and
    // never waits on a FIFO or a device to find that out.
    bool Open(std::string_view dataPath, FileMode mode);
    void Close();
    bool IsOpen() const { return m_fd >= 0; }

    // Bytes transferred; fewer than asked only at the end of the file (read)
    // or on an error after some bytes went through. -1 when nothing could be
    // transferred because of an error or a closed file.
    int64_t Read(void* buffer, size_t count);
    int64_t Write(const void* buffer, size_t count);

    // The new position, or -1 (position unchanged) when it would be negative
    // or the file is closed.
    int64_t Seek(int64_t offset, SeekOrigin origin);
    int64_t Tell() const;
    // -1 when closed.
    int64_t Size() const;

private:
    int m_fd = -1;
};

// Replaces a file's whole content (a data path; the folder must exist): the
// bytes go to a new file in the same folder, reach the disk, and that file is
// renamed over the old one. Whatever stops the program on the way, the file
// holds its old bytes or all the new ones. False, with the old file as it
// was, when anything fails or the name is not a regular file.
bool ReplaceFile(std::string_view dataPath, std::span<const uint8_t> bytes);

// Gives a regular file a new name (data paths; the folder must exist),
// replacing a regular file of that name. False, nothing changed, otherwise.
bool RenameFile(std::string_view fromPath, std::string_view toPath);

// Deletes a regular file; false when there is none or it stays.
bool RemoveFile(std::string_view dataPath);

} // namespace plat
