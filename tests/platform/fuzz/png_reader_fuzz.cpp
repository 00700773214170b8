// Feeds untrusted bytes to the PNG reader through a file, as it is used.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>
#include <zlib.h>

#include "platform/png.h"
#include "platform/trace.h"

namespace {

std::string g_path, g_dir;

void Cleanup() {
    std::remove(g_path.c_str());
    rmdir(g_dir.c_str());
}

// Pictures may legally be large (up to the reader's limit) while the input is
// tiny; they are skipped here to keep every run fast. Only a header in its
// required place is looked at: anywhere else the file is refused anyway.
constexpr uint64_t kPixelBudget = 1 << 16;

uint32_t Be32(const uint8_t* p) {
    return uint32_t{p[0]} << 24 | uint32_t{p[1]} << 16 | uint32_t{p[2]} << 8 | p[3];
}

bool TooBig(const uint8_t* p, size_t n) {
    return n >= 24 && uint64_t{Be32(p + 16)} * Be32(p + 20) > kPixelBudget;
}

// Mutations would almost never keep a chunk's check sum right, so the file
// would be refused before its contents were looked at: every whole chunk's
// sum is made right before the file is written.
void FixChunkSums(std::vector<uint8_t>& b) {
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    if (b.size() < 8 || !std::equal(kSignature, kSignature + 8, b.begin())) return;
    for (size_t at = 8; b.size() - at >= 12;) {
        const uint64_t len = Be32(b.data() + at);
        if (len > b.size() - at - 12) return;
        const uLong sum = crc32(0, b.data() + at + 4, static_cast<uInt>(len + 4));
        uint8_t* out = b.data() + at + 8 + len;
        for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(sum >> (24 - 8 * i));
        at += 12 + len;
    }
}

void Check(bool ok) {
    if (!ok) __builtin_trap();
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
    g_path = g_dir + "/p.png";
    std::atexit(Cleanup);
    // Refusals are expected here, not output.
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (TooBig(p, n)) return 0;
    std::vector<uint8_t> bytes(p, p + n);
    FixChunkSums(bytes);
    std::FILE* f = std::fopen(g_path.c_str(), "wb");
    if (!f) return 0;
    const bool written = std::fwrite(bytes.data(), 1, n, f) == n;
    if (std::fclose(f) != 0 || !written) return 0;

    std::vector<uint16_t> pixels(3, 0x7FFF);
    int w = -1, h = -1;
    if (plat::ReadPng555(g_path, pixels, w, h)) {
        Check(w > 0 && h > 0 && pixels.size() == static_cast<size_t>(w) * static_cast<size_t>(h));
        for (uint16_t px : pixels) Check(px < 0x8000);
        // What was read writes back and reads again unchanged.
        Check(plat::WritePng555(g_path, pixels.data(), w, h, w));
        std::vector<uint16_t> again;
        int w2 = 0, h2 = 0;
        Check(plat::ReadPng555(g_path, again, w2, h2) && w2 == w && h2 == h && again == pixels);
    } else {
        Check(pixels.empty() && w == 0 && h == 0);
    }
    return 0;
}
