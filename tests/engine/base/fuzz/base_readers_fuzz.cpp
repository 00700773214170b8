// Feeds untrusted bytes to the delimited text reader (lines, fields, trimmed
// fields and finds) and to the member string records, read from a byte
// reader and from a file. The first byte picks the reader.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <unistd.h>

#include "engine/base/discript.h"
#include "engine/base/file.h"
#include "engine/base/member.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

namespace {

// sc_File refuses names of 32 characters or more: the folder is short.
std::string g_dir;

std::string PathOf(const char* leaf) {
    return g_dir + "/" + leaf;
}

void Cleanup() {
    for (const char* leaf : {"d", "m"}) std::remove(PathOf(leaf).c_str());
    rmdir(g_dir.c_str());
}

bool WriteFile(const std::string& path, const uint8_t* p, size_t n) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return false;
    const bool ok = std::fwrite(p, 1, n, f) == n;
    return std::fclose(f) == 0 && ok;
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

// A field handed out lies inside the current line's buffer and ends there.
void CheckField(const sc_Discript& d, const char* field) {
    if (!field) return;
    const char* text = d.pGetText();
    Check(field >= text && field < text + sc_Str::kBufferSize);
    Check(std::strlen(field) < static_cast<size_t>(text + sc_Str::kBufferSize - field));
}

// Walks up to 512 lines and their fields with the cursor, as table readers
// do. A text that ended stays ended; one with more lines goes on.
void WalkLines(sc_Discript& d) {
    bool ended = false;
    for (int lines = 0; lines < 512; ++lines) {
        if (!d.bNextLine()) {
            ended = true;
            break;
        }
        Check(d.lGetLength() >= 1 && d.lGetLength() <= sc_Str::kBufferSize);
        Check(std::strlen(d.pGetText()) < static_cast<size_t>(sc_Discript::kMaxLine + 1));
        int32_t fields = 0;
        while (const char* f = d.pNextToken()) {
            CheckField(d, f);
            Check(++fields <= d.lGetTokenCount());
        }
    }
    if (ended) Check(!d.bNextLine());
}

// [skip count, bit 3: step lines][two pattern bytes][file]
void Discript(const uint8_t* p, size_t n) {
    if (n < 3) return;
    const int32_t skip = p[0] & 7;
    const char pattern[3] = {static_cast<char>(p[1]), static_cast<char>(p[2]), 0};
    const std::string path = PathOf("d");
    if (!WriteFile(path, p + 3, n - 3)) return;
    Check(path.size() < static_cast<size_t>(sc_File::kNameSize));

    sc_Discript d(path.c_str());
    Check(d.bHasData());
    Check(d.lGetSize() == static_cast<int32_t>(n - 3));
    Check(d.cGetSeparator() == (n > 3 ? static_cast<char>(p[3]) : 0));
    WalkLines(d);

    d.vLoad(path.c_str());
    std::unique_ptr<char[]> field;
    for (int i = 0; i < 256; ++i) {
        const int32_t next = (p[0] >> 3) & 1 ? i & 1 : 0;
        char* f = d.pGetField(i % (skip + 1), next);
        if (!f) break;
        CheckField(d, f);
        d.lGetField(0, 0);
        if (const char* t = d.pNewField(field, skip & 1, 0)) {
            const size_t len = std::strlen(t);
            Check(t == field.get() && (len == 0 || (t[0] != ' ' && t[len - 1] != ' ')));
        }
    }

    d.vLoad(path.c_str());
    for (int i = 0; i < 256; ++i) {
        const char* at = d.pFind(pattern, i & 1, 1);
        if (!at) break;
        Check(std::strncmp(at, pattern, std::strlen(pattern)) == 0);
        Check(d.lGetPosition() >= 0 && d.lGetPosition() <= d.lGetSize());
        d.pGetField(0, 0);
    }
    d.pFind(pattern, 1, 0);
    d.pFind("\n", 0, 1);
    d.pFind("", 1, 1);
    WalkLines(d);
    d.vFree();
    Check(!d.bHasData() && !d.pGetField(0, 1) && !d.pFind(pattern, 1, 0));
}

// Every record read is checked by writing it back and reading that again.
void RoundTrip(const sc_MemberString& m) {
    sc_ByteWriter w;
    m.vSave(w);
    sc_ByteReader r(w.Bytes().data(), w.Bytes().size());
    sc_MemberString again;
    Check(again.bLoad(r) && r.AtEnd());
    Check((m.pGetText() == nullptr) == (again.pGetText() == nullptr));
    if (m.pGetText()) Check(std::strcmp(m.pGetText(), again.pGetText()) == 0);
}

// [records]: one after another until a record fails.
void Members(const uint8_t* p, size_t n) {
    sc_ByteReader in(p, n);
    sc_MemberString joined("");
    for (int i = 0; i < 64 && !in.AtEnd(); ++i) {
        sc_MemberString m;
        const size_t before = in.Position();
        const bool ok = m.bLoad(in);
        if (!ok) {
            Check(m.pGetText() == nullptr);
            break;
        }
        if (m.pGetText()) Check(std::strlen(m.pGetText()) < in.Position() - before - 3);
        RoundTrip(m);
        sc_MemberString copy(m);
        copy.pAppendString(&m);
        joined.pAppendString(&m);
        copy.vCopyData(&joined);
    }

    const std::string path = PathOf("m");
    if (!WriteFile(path, p, n)) return;
    sc_CreateFileRandomAccess file(path.c_str());
    Check(file.bIsOpen());
    for (int i = 0; i < 64 && file.lRemaining() > 0; ++i) {
        sc_MemberString m;
        if (!m.bLoad(file)) {
            Check(m.pGetText() == nullptr);
            break;
        }
        RoundTrip(m);
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // Each input is written to a file: in memory where the system has a
    // folder for it, which spares a disk write an input.
    char shm[] = "/dev/shm/krxfz.XXXXXX", tmp[] = "/tmp/krxfz.XXXXXX";
    const char* dir = mkdtemp(shm);
    if (!dir) dir = mkdtemp(tmp);
    if (!dir) std::abort();
    g_dir = dir;
    std::atexit(Cleanup);
    // Refusals are expected here, not output.
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < 1) return 0;
    if (p[0] & 1)
        Members(p + 1, n - 1);
    else
        Discript(p + 1, n - 1);
    return 0;
}
