#pragma once
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "platform/file.h"

// Open modes: the four rows of the open table.
enum : int32_t {
    FILE_MODE_READ_SEQUENTIAL = 0, // existing file, read front to back
    FILE_MODE_READ_RANDOM = 1,     // existing file, read at any position
    FILE_MODE_CREATE = 2,          // read and write, emptied on opening
    FILE_MODE_OPEN_ALWAYS = 3,     // read and write, created when missing, never truncated
};

// Seek origins.
enum : int32_t { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };

// The one file class. Failures come back as counts: a file that did not open
// is simply closed, reads and writes on it give 0 and leave the caller's
// buffer alone, and its size is 0xFFFFFFFF.
//
// Raw lRead keeps the short-read rule (a read at the end gives the bytes that
// were there and touches nothing else). Loaders of untrusted records should
// not string lRead calls together: they read through sc_ByteReader
// (platform/byte_reader.h) over rFile(), which fails a record that does not
// arrive whole.
class sc_File {
public:
    // Names of this many characters or more are refused.
    static constexpr int32_t kNameSize = 32;

    sc_File() = default;
    // A null name opens nothing and leaves the name empty.
    sc_File(const char* name, int32_t mode);
    virtual ~sc_File();
    sc_File(const sc_File&) = delete;
    sc_File& operator=(const sc_File&) = delete;

    void vOpen(const char* name, int32_t mode); // keeps the name given to the constructor
    void vClose();
    bool bIsOpen() const { return m_file.IsOpen(); }
    const char* pGetName() const { return m_szName; }
    // The open file underneath, for the byte reader and writer.
    plat::File& rFile() { return m_file; }

    uint32_t lGetSize() const;              // 0xFFFFFFFF when closed
    uint32_t lTell() const;                 // 0xFFFFFFFF when closed
    void vSeek(int32_t offset, int32_t origin);
    // Bytes between the position and the end; 0 when closed.
    uint32_t lRemaining() const;

    uint32_t lRead(void* buffer, uint32_t count);
    // A count of 0 writes the zero-terminated text in buffer without its zero.
    uint32_t lWrite(const void* buffer, uint32_t count);

    // The whole file in a new block of exactly its size (no zero added).
    // Null with size 0 for an empty file, a closed file or a short read.
    std::unique_ptr<uint8_t[]> pReadAll(uint32_t* size);

    // One little-endian field of 1, 2 or 4 bytes. A short read changes only
    // the low-order bytes that arrived, as reading straight into the field did.
    template <class T> uint32_t lReadField(T& value) {
        static_assert(std::is_integral_v<T> && sizeof(T) <= 4);
        uint8_t b[sizeof(T)];
        Encode(value, b);
        const uint32_t n = lRead(b, sizeof(T));
        if (n) value = Decode<T>(b);
        return n;
    }
    template <class T> uint32_t lWriteField(T value) {
        static_assert(std::is_integral_v<T> && sizeof(T) <= 4);
        uint8_t b[sizeof(T)];
        Encode(value, b);
        return lWrite(b, sizeof(T));
    }

private:
    template <class T> static void Encode(T value, uint8_t* b) {
        using U = std::make_unsigned_t<T>;
        const U u = static_cast<U>(value);
        for (size_t i = 0; i < sizeof(T); ++i) b[i] = static_cast<uint8_t>(u >> (8 * i));
    }
    template <class T> static T Decode(const uint8_t* b) {
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (static_cast<U>(b[i]) << (8 * i)));
        return static_cast<T>(u);
    }

    plat::File m_file;
    char m_szName[kNameSize] = {};
};

class sc_CreateFileSquentialAccess : public sc_File {
public:
    explicit sc_CreateFileSquentialAccess(const char* name) : sc_File(name, FILE_MODE_READ_SEQUENTIAL) {}
};

class sc_CreateFileRandomAccess : public sc_File {
public:
    explicit sc_CreateFileRandomAccess(const char* name) : sc_File(name, FILE_MODE_READ_RANDOM) {}
};

class sc_CreateFileRandomWrite : public sc_File {
public:
    explicit sc_CreateFileRandomWrite(const char* name) : sc_File(name, FILE_MODE_OPEN_ALWAYS) {}
};
