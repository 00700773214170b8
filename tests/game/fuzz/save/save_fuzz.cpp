// Feeds untrusted bytes to the save reader, in memory and as a file in the
// save folder: only twelve bytes read, the progress always a mission that
// exists, and a refused file leaves the form as it was.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "game/gate.h"
#include "interface/form.h"
#include "platform/byte_reader.h"
#include "platform/trace.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

std::string g_dir;

void Cleanup() {
    std::remove((g_dir + "/SAVE/F.SAV").c_str());
    rmdir((g_dir + "/SAVE").c_str());
    rmdir(g_dir.c_str());
}

struct Before {
    int32_t progress, kills, money, mission;
    explicit Before(const sc_Form& f) : progress(f.lProgress), kills(f.lKills), money(f.lMoney), mission(f.lMission) {}
    bool Same(const sc_Form& f) const {
        return f.lProgress == progress && f.lKills == kills && f.lMoney == money && f.lMission == mission;
    }
};

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char dir[] = "/tmp/krx_save_fuzz_XXXXXX";
    if (!mkdtemp(dir)) std::abort();
    g_dir = dir;
    if (mkdir((g_dir + "/SAVE").c_str(), 0700) != 0) std::abort();
    std::atexit(Cleanup);
    plat::SetTraceSink([](std::string_view, std::string_view) {});
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    // One form and gate for the whole run: building them costs far more
    // than reading a save.
    static sc_Form form, fromFile;
    static sc_Gate gate;
    for (sc_Form* f : {&form, &fromFile}) {
        f->lProgress = f->lMission = 3;
        f->lKills = 7;
        f->lMoney = 9;
    }
    const Before before(form);
    sc_ByteReader in(p, n);
    const bool ok = gate.bLoad(in, form);
    Check(ok == (n == sc_Gate::kSaveBytes));
    if (!ok) Check(before.Same(form) && !in.Why().empty());
    if (ok) {
        Check(form.lProgress >= 0 && form.lProgress < sc_Gate::kMissions && form.lMission == form.lProgress);
        int32_t kills = 0;
        std::memcpy(&kills, p + 4, 4);
        Check(form.lKills == kills);
    }

    // The loader in front of it: the same outcome from the same bytes.
    const std::string path = g_dir + "/SAVE/F.SAV";
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    const bool written = std::fwrite(p, 1, n, f) == n;
    if (std::fclose(f) != 0 || !written) std::abort();
    g_pForm = &fromFile;
    gate.vLoad(path.c_str());
    if (ok)
        Check(fromFile.lProgress == form.lProgress && fromFile.lKills == form.lKills && fromFile.lMoney == form.lMoney);
    else
        Check(before.Same(fromFile));
    return 0;
}
