#pragma once
#include <cstddef>
#include <cstdint>
#include <span>
#include <type_traits>
#include <string_view>
#include <vector>

namespace plat {
class File;
}

// The way every loader reads untrusted records: a cursor over a span of
// bytes that decodes little-endian fields and never reads past its end.
//
//   sc_ByteReader r = sc_ByteReader::FromPath("MAP\\m01.dat", kMaxBytes);
//   int32_t count;
//   if (!r.ReadCount(count, kItemBytes)) return Refuse(r); // negative, or more
//   for (int32_t i = 0; i < count; ++i) {                   // than the bytes left
//       int32_t x, y;
//       if (!r.Read(x, y)) return Refuse(r);                // whole record or nothing
//       ...
//   }
//   return r.Ok();
//
// Rules:
// - A read either completes in full or fails; a failed read leaves its
//   outputs unchanged and the position where it was.
// - Failure is sticky: after the first failure every read fails, so a loader
//   may read a whole record and test Ok() once at the end.
// - Counts and lengths go through ReadCount (or Has) before anything sized by
//   them is allocated.
// - A reader made over a span borrows it; FromFile and FromPath own a copy.
// - The reader never reports anything itself: the loader that gives up says
//   so once, through plat::Trace, and Why() gives it the reason.
class sc_ByteReader {
public:
    sc_ByteReader() = default;
    explicit sc_ByteReader(std::span<const uint8_t> bytes) : m_data(bytes.data()), m_size(bytes.size()) {}
    sc_ByteReader(const void* data, size_t size) : m_data(static_cast<const uint8_t*>(data)), m_size(size) {}
    sc_ByteReader(sc_ByteReader&& other) noexcept;
    sc_ByteReader& operator=(sc_ByteReader&& other) noexcept;
    sc_ByteReader(const sc_ByteReader&) = delete;
    sc_ByteReader& operator=(const sc_ByteReader&) = delete;

    // Files whose format sets no smaller bound: offsets are 32-bit.
    static constexpr size_t kMaxFileBytes = 0xFFFFFFFFu;

    // The bytes from the file's position to its end; the file is left at its
    // end. Failed when the file is closed, when more than maxBytes remain
    // (before anything is allocated) or when the read comes up short.
    static sc_ByteReader FromRest(plat::File& file, size_t maxBytes = kMaxFileBytes);
    // Exactly count bytes from the file's position, checked against what the
    // file holds before anything is allocated; failed (and the file position
    // kept) when fewer remain.
    static sc_ByteReader FromFile(plat::File& file, uint32_t count);
    // A whole regular file (a data path) of at most maxBytes; failed when it
    // does not open, is longer or cannot be read whole.
    static sc_ByteReader FromPath(std::string_view name, size_t maxBytes = kMaxFileBytes);
    // A failed reader, for loaders that must hand one back.
    static sc_ByteReader Failed(const char* why = "holds no bytes");

    bool Ok() const { return !m_failed; }
    explicit operator bool() const { return !m_failed; }
    // Marks the load failed, for checks of values the reader cannot know
    // (a kind out of range, a size word that does not match).
    void Fail(const char* why = "holds a value out of range") {
        if (!m_failed) m_why = why;
        m_failed = true;
    }
    // Why the first failure happened, for the loader's trace line; empty
    // while the reader is sound.
    std::string_view Why() const { return m_failed ? std::string_view(m_why) : std::string_view(); }

    size_t Size() const { return m_size; }
    // Every byte the reader covers, whatever its position.
    std::span<const uint8_t> Whole() const { return {m_data, m_size}; }
    size_t Position() const { return m_pos; }
    // Bytes left to read; 0 once failed.
    size_t Remaining() const { return m_failed ? 0 : m_size - m_pos; }
    bool AtEnd() const { return Remaining() == 0; }
    // True when n more bytes can be read; does not fail the reader.
    bool Has(size_t n) const { return n <= Remaining(); }

    // One or more little-endian integer fields, all or none.
    template <class... T>
        requires(sizeof...(T) > 0 && (std::is_integral_v<T> && ...) && (!std::is_same_v<T, bool> && ...))
    bool Read(T&... values) {
        constexpr size_t total = (sizeof(T) + ...);
        if (!Need(total)) return false;
        (Decode(values), ...);
        return true;
    }

    // A count of items read as a 32-bit field: fails when negative or when
    // count * itemBytes exceeds the bytes left (itemBytes is the least size
    // one item takes in the input; 0 means "check the sign only").
    bool ReadCount(int32_t& count, size_t itemBytes = 1);
    bool ReadCount(uint32_t& count, size_t itemBytes = 1);

    bool ReadBytes(void* dst, size_t n);
    bool ReadBytes(std::span<uint8_t> dst) { return ReadBytes(dst.data(), dst.size()); }
    // A fixed-size text field of dst.size() bytes; the last byte is forced
    // to 0 so the text always ends inside the field.
    bool ReadText(std::span<char> dst);
    // The next n bytes without copying; empty (and failed) when short.
    std::span<const uint8_t> Take(size_t n);
    bool Skip(size_t n);
    // Moves to an absolute offset within the bytes (the end included).
    bool Seek(size_t offset);
    // A reader over the next n bytes, borrowing them; this reader moves past
    // them. Fails both when fewer remain.
    sc_ByteReader Sub(size_t n);

private:
    bool Need(size_t n) {
        if (n > Remaining()) {
            Fail("ends early");
            return false;
        }
        return true;
    }
    template <class T> void Decode(T& value) {
        using U = std::make_unsigned_t<T>;
        U u = 0;
        for (size_t i = 0; i < sizeof(T); ++i) u = static_cast<U>(u | (static_cast<U>(m_data[m_pos + i]) << (8 * i)));
        value = static_cast<T>(u);
        m_pos += sizeof(T);
    }

    const uint8_t* m_data = nullptr;
    size_t m_size = 0;
    size_t m_pos = 0;
    bool m_failed = false;
    const char* m_why = "";
    std::vector<uint8_t> m_owned;
};

// The matching writer: appends little-endian fields to a growing block.
class sc_ByteWriter {
public:
    template <class... T>
        requires(sizeof...(T) > 0 && (std::is_integral_v<T> && ...) && (!std::is_same_v<T, bool> && ...))
    void Write(T... values) {
        (Encode(values), ...);
    }
    void WriteBytes(const void* src, size_t n);
    void WriteBytes(std::span<const uint8_t> src) { WriteBytes(src.data(), src.size()); }
    // Overwrites a 32-bit field written earlier (a size word known only at
    // the end of its record); ignored when it does not lie within the bytes.
    void Patch32(size_t offset, uint32_t value);

    size_t Size() const { return m_bytes.size(); }
    const std::vector<uint8_t>& Bytes() const { return m_bytes; }
    std::vector<uint8_t> Release() { return std::move(m_bytes); }
    void Clear() { m_bytes.clear(); }

    // Writes everything at the file's position; true when every byte went.
    bool bWriteTo(plat::File& file) const;

private:
    template <class T> void Encode(T value) {
        using U = std::make_unsigned_t<T>;
        const U u = static_cast<U>(value);
        for (size_t i = 0; i < sizeof(T); ++i) m_bytes.push_back(static_cast<uint8_t>(u >> (8 * i)));
    }
    std::vector<uint8_t> m_bytes;
};
