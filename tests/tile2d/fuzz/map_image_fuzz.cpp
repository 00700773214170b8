// Feeds untrusted bytes to the ground readers: one input is one whole load of
// map 1 (map information, animations, packed grid and the tile bank it
// names), the bank's conversion, a few animation steps and one 800 x 600 view
// drawn into a surface with guard bands on both sides.
//
// Input: [flags][view x: 16][view y: 16][lengths of .mi, .ani, .map, Zdat:
// 16 each][the five files one after another; Ztab takes what is left].
// Flags bits 0-4 say which files exist, bits 5-6 give the pixel mode and bit
// 7 has the .map read again as an unpacked grid before drawing.
//
// The layer opens fixed relative names, so the target goes into its folder
// for each load and back out after it: corpus folders given as relative
// paths stay valid. Give -artifact_prefix as an absolute path, as a crash
// inside a load happens in the scratch folder.
#include <fcntl.h>
#include <unistd.h>

#include <sys/stat.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/headless/headless_backend.h"
#include "tile2d/map_image.h"

namespace {

constexpr uint16_t kMapNumber = 1;
constexpr size_t kHeader = 13;
constexpr size_t kFiles = 5;
constexpr uint32_t kWidth = 800, kHeight = 600;
constexpr size_t kGuard = 256;
constexpr uint16_t kGuardValue = 0xDEAD;

std::string g_dir;
int g_home = -1; // the folder the fuzzer was started in
int g_work = -1;
std::vector<uint16_t> g_surface;
std::vector<std::string> g_written;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

uint32_t Le(const uint8_t* p, size_t bytes) {
    uint32_t v = 0;
    for (size_t i = 0; i < bytes; ++i)
        v |= static_cast<uint32_t>(p[i]) << (8 * i);
    return v;
}

void Write(const std::string& leaf, const uint8_t* p, size_t n) {
    const std::string path = g_dir + "/" + leaf;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    Check(f != nullptr);
    Check(std::fwrite(p, 1, n, f) == n);
    Check(std::fclose(f) == 0);
    g_written.push_back(path);
}

void RemoveWritten() {
    for (const std::string& path : g_written)
        std::remove(path.c_str());
    g_written.clear();
}

bool GuardsIntact() {
    for (size_t i = 0; i < kGuard; ++i)
        if (g_surface[i] != kGuardValue || g_surface[g_surface.size() - 1 - i] != kGuardValue) return false;
    return true;
}

void Cleanup() {
    RemoveWritten();
    l_FreeMapImage();
    for (const char* sub : {"/map", "/puzzle", ""})
        rmdir((g_dir + sub).c_str());
}

// Steps both animation kinds on the virtual clock; odd slots bounce.
void Animate(sc_MapImage& m) {
    for (uint32_t i = 0; i < m.bGetAnimationCount(); ++i)
        m.rGetAnimation(i).bMode = static_cast<uint8_t>(i & 1);
    for (int step = 0; step < 4; ++step) {
        plat::Sleep(180);
        m.vAnimateBounce();
        plat::Sleep(180);
        m.vAnimate();
    }
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/krxfm.XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    g_dir = dir;
    if (mkdir((g_dir + "/map").c_str(), 0700) != 0 || mkdir((g_dir + "/puzzle").c_str(), 0700) != 0) std::abort();
    g_home = open(".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    g_work = open(dir, O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (g_home < 0 || g_work < 0) std::abort();
    plat::InstallBackend(std::make_unique<plat::HeadlessBackend>());
    g_surface.assign(size_t{kWidth} * kHeight + 2 * kGuard, kGuardValue);
    std::atexit(Cleanup);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    if (n < kHeader) return 0;
    const uint8_t flags = p[0];
    const uint32_t viewX = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(Le(p + 1, 2))));
    const uint32_t viewY = static_cast<uint32_t>(static_cast<int32_t>(static_cast<int16_t>(Le(p + 3, 2))));

    const uint8_t* file[kFiles];
    size_t size[kFiles];
    size_t at = kHeader;
    for (size_t i = 0; i < kFiles; ++i) {
        const size_t left = n - at;
        size[i] = i + 1 < kFiles ? std::min<size_t>(Le(p + 5 + 2 * i, 2), left) : left;
        file[i] = p + at;
        at += size[i];
    }
    auto present = [flags](size_t i) { return (flags >> i & 1) != 0; };

    // The bank is named by the map information's puzzle number; a fresh map
    // image without a whole header asks for puzzle 0.
    int32_t puzzle = 0;
    if (present(0) && size[0] >= kMapInfoBytes) puzzle = static_cast<int32_t>(Le(file[0] + 4, 4));
    char name[64];
    const char* const mapExt[] = {"mi", "ani", "map"};
    for (size_t i = 0; i < 3; ++i) {
        if (!present(i)) continue;
        std::snprintf(name, sizeof name, "map/wrd%05d.%s", kMapNumber, mapExt[i]);
        Write(name, file[i], size[i]);
    }
    if (present(3)) {
        std::snprintf(name, sizeof name, "puzzle/Zdat%04d", puzzle);
        Write(name, file[3], size[3]);
    }
    if (present(4)) {
        std::snprintf(name, sizeof name, "puzzle/Ztab%04d", puzzle);
        Write(name, file[4], size[4]);
    }

    Check(fchdir(g_work) == 0);
    Check(l_InitMapImage(static_cast<uint8_t>(flags >> 5 & 3), g_surface.data() + kGuard, kWidth, kHeight) == 1);
    Check(l_LoadMapImage(kMapNumber) == (present(4) ? 1 : 0));
    sc_MapImage& m = *g_pMapImage;
    Check(m.pGetMap() != nullptr);
    if (present(1))
        Check(m.bGetAnimationCount() ==
              std::min<uint32_t>(static_cast<uint8_t>(size[1] / kMapAnimationBytes), kMapAnimationSlots));
    if (flags & 0x80) Check(m.bLoadMap(kMapNumber));
    Animate(m);
    v_SetMapImageView(viewX, viewY);
    v_ShowMapImage();
    l_GetMapImageWidth();
    l_GetMapImageHeight();
    v_DeleteMapImage();
    Check(fchdir(g_home) == 0);

    RemoveWritten();
    Check(GuardsIntact());
    return 0;
}
