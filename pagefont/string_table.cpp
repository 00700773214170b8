#include "pagefont/string_table.h"

#include <cstdlib>
#include <cstring>

#include "platform/byte_reader.h"
#include "platform/trace.h"

char* g_pStringTableText = nullptr;
char** g_ppStringTableLines = nullptr;
int32_t g_lStringTableLast = -1;

namespace {

// Files larger than this are refused, so that a size read from a corrupt
// file system cannot ask for an unbounded allocation.
constexpr size_t kMaxTableBytes = size_t{64} << 20;

} // namespace

void v_FreeStringTable() {
    std::free(g_pStringTableText);
    std::free(g_ppStringTableLines);
    g_pStringTableText = nullptr;
    g_ppStringTableLines = nullptr;
    g_lStringTableLast = -1;
}

int32_t l_LoadStringTable(const char* fileName) {
    v_FreeStringTable();
    if (!fileName) {
        plat::Trace("string table", "has no name");
        return 0;
    }
    const sc_ByteReader file = sc_ByteReader::FromPath(fileName, kMaxTableBytes);
    if (!file.Ok()) {
        plat::Trace(fileName, file.Why());
        return 0;
    }
    // Room for a CR LF that closes the last line.
    auto* text = static_cast<char*>(std::malloc(file.Size() + 2));
    if (!text) {
        plat::Trace(fileName, "does not fit in memory");
        return 0;
    }
    if (file.Size()) std::memcpy(text, file.Whole().data(), file.Size());
    size_t len = file.Size();

    if (len < 2) {
        len = 0; // too short to hold a line
    } else {
        if (text[len - 1] == 26) --len;
        const bool closed = (len >= 2 && text[len - 2] == 13) || (len >= 1 && text[len - 1] == 10);
        if (!closed) {
            text[len++] = 13;
            text[len++] = 10;
        }
    }

    size_t count = 0;
    for (size_t i = 0; i + 1 < len; ++i)
        if (text[i] == 13 && text[i + 1] == 10) {
            ++count;
            ++i;
        }
    auto** lines = static_cast<char**>(std::malloc((count ? count : 1) * sizeof(char*)));
    if (!lines) {
        std::free(text);
        plat::Trace(fileName, "does not fit in memory");
        return 0;
    }
    size_t n = 0;
    char* start = text;
    for (size_t i = 0; i + 1 < len; ++i)
        if (text[i] == 13 && text[i + 1] == 10) {
            text[i] = text[i + 1] = 0;
            lines[n++] = start;
            start = text + i + 2;
            ++i;
        }
    g_pStringTableText = text;
    g_ppStringTableLines = lines;
    g_lStringTableLast = static_cast<int32_t>(count) - 1;
    return 1;
}

const char* p_GetStringTableLine(int32_t line) {
    if (!g_ppStringTableLines || line < 0 || line > g_lStringTableLast) return nullptr;
    return g_ppStringTableLines[line];
}
