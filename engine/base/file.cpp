#include "engine/base/file.h"

#include <cstring>

namespace {

bool NameFits(const char* name) {
    return name && *name && std::strlen(name) < static_cast<size_t>(sc_File::kNameSize);
}

} // namespace

sc_File::sc_File(const char* name, int32_t mode) {
    if (NameFits(name)) std::strcpy(m_szName, name);
    vOpen(name, mode);
}

sc_File::~sc_File() { vClose(); }

void sc_File::vOpen(const char* name, int32_t mode) {
    vClose();
    if (!NameFits(name)) return;
    plat::FileMode m;
    switch (mode) {
    case FILE_MODE_READ_SEQUENTIAL: m = plat::FileMode::ReadSequential; break;
    case FILE_MODE_READ_RANDOM: m = plat::FileMode::ReadRandom; break;
    case FILE_MODE_CREATE: m = plat::FileMode::CreateTruncate; break;
    case FILE_MODE_OPEN_ALWAYS: m = plat::FileMode::OpenAlways; break;
    default: return;
    }
    m_file.Open(name, m);
}

void sc_File::vClose() { m_file.Close(); }

uint32_t sc_File::lGetSize() const {
    const int64_t s = m_file.Size();
    return s < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(s);
}

uint32_t sc_File::lTell() const {
    const int64_t p = m_file.Tell();
    return p < 0 ? 0xFFFFFFFFu : static_cast<uint32_t>(p);
}

void sc_File::vSeek(int32_t offset, int32_t origin) {
    plat::SeekOrigin o;
    switch (origin) {
    case FILE_BEGIN: o = plat::SeekOrigin::Begin; break;
    case FILE_CURRENT: o = plat::SeekOrigin::Current; break;
    case FILE_END: o = plat::SeekOrigin::End; break;
    default: return;
    }
    m_file.Seek(offset, o);
}

uint32_t sc_File::lRemaining() const {
    const int64_t size = m_file.Size();
    const int64_t pos = m_file.Tell();
    if (size < 0 || pos < 0 || pos >= size) return 0;
    const int64_t rest = size - pos;
    return rest > 0xFFFFFFFF ? 0xFFFFFFFFu : static_cast<uint32_t>(rest);
}

uint32_t sc_File::lRead(void* buffer, uint32_t count) {
    if (!buffer || count == 0) return 0;
    const int64_t n = m_file.Read(buffer, count);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

uint32_t sc_File::lWrite(const void* buffer, uint32_t count) {
    if (!buffer) return 0;
    if (count == 0) {
        const size_t len = std::strlen(static_cast<const char*>(buffer));
        if (len == 0) return 0;
        count = static_cast<uint32_t>(len);
    }
    const int64_t n = m_file.Write(buffer, count);
    return n < 0 ? 0 : static_cast<uint32_t>(n);
}

std::unique_ptr<uint8_t[]> sc_File::pReadAll(uint32_t* size) {
    uint32_t s = bIsOpen() ? lGetSize() : 0;
    if (s == 0xFFFFFFFFu) s = 0;
    std::unique_ptr<uint8_t[]> block;
    if (s) {
        block = std::make_unique_for_overwrite<uint8_t[]>(s);
        vSeek(0, FILE_BEGIN);
        if (lRead(block.get(), s) != s) {
            block.reset();
            s = 0;
        }
    }
    if (size) *size = s;
    return block;
}
