// Whole frames of the real program, headless, on the generated data set:
// mission 1 at its start, and the busiest battle map with four characters,
// 300 things and items in view and a blast, the view shaking. Each case plays its frames once
// and reports per frame the total and its parts (the rest is control, the
// cursor and sound), the peak resident memory and the load time; the
// /scalar cases draw the same frames with the reference blit kernels.
//
// The data set is the one the tests generate (build/testdata), or the
// folder named by KRX_DATA.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/blit/blit_draw.h"
#include "engine/device/frame_parts.h"
#include "engine/device/frame_time.h"
#include "game/work.h"
#include "objects/enemy.h"
#include "platform/clock.h"
#include "platform/display.h"
#include "platform/headless/headless_backend.h"
#include "platform/input.h"
#include "platform/paths.h"
#include "platform/window.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr int kWarmFrames = 60;
constexpr int kFrames = 2000;

fs::path DataDir() {
    if (const char* env = std::getenv("KRX_DATA")) return env;
#ifdef KRX_BENCH_DATA
    return KRX_BENCH_DATA;
#else
    return "data";
#endif
}

// A scratch folder with a link to every folder of the data set, the game's
// own folder for the run (it writes its trace log and saves there).
class GameFolder {
public:
    GameFolder() {
        m_path = fs::temp_directory_path() / ("krx_frame_bench_" + std::to_string(::getpid()));
        fs::create_directories(m_path);
        for (const auto& e : fs::directory_iterator(DataDir())) {
            if (!e.is_directory()) continue;
            if (plat::CaseInsensitiveEqual(e.path().filename().string(), "SAVE"))
                fs::create_directory(m_path / e.path().filename());
            else
                fs::create_directory_symlink(e.path(), m_path / e.path().filename());
        }
        m_old = fs::current_path();
        fs::current_path(m_path);
    }
    ~GameFolder() {
        std::error_code ec;
        fs::current_path(m_old, ec);
        fs::remove_all(m_path, ec);
    }

private:
    fs::path m_path, m_old;
};

int64_t PeakRssKb() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss;
}

int64_t NsSince(Clock::time_point t) {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(Clock::now() - t).count();
}

// The program with its idle pass timed: nothing is measured until the scene
// has played kWarmFrames frames of its play state.
class TimedWork : public sc_Work {
public:
    std::function<void(sc_Scene&)> onPlay;    // once, before the first play frame
    std::function<void(sc_Scene&)> eachFrame; // before every play frame after it
    bool bMenus = false;                      // time the menus' frames instead
    ss_FrameTimes parts;
    int64_t totalNs = 0, loadNs = 0;
    int measured = 0;

    void vOnIdle() override {
        const int32_t state = oScene.lState;
        const bool loading = state == sc_Scene::kStateLoad || state == sc_Scene::kStateNetLoad;
        const bool playing = bMenus ? state == sc_Scene::kStateMenus
                                    : state == sc_Scene::kStatePlay || state == sc_Scene::kStateNetPlay;
        if (!playing || m_played < kWarmFrames) {
            // A scene that never gets to play ends the run.
            if (++m_idles > 1000) b_PostClose(pGetHwnd());
            if (playing && m_played++ == 0 && onPlay) onPlay(oScene);
            if (playing && eachFrame) eachFrame(oScene);
            const Clock::time_point t = Clock::now();
            sc_Work::vOnIdle();
            if (loading) loadNs += NsSince(t);
            return;
        }
        if (eachFrame) eachFrame(oScene);
        g_pFrameTimes = &parts;
        const Clock::time_point t = Clock::now();
        sc_Work::vOnIdle();
        totalNs += NsSince(t);
        g_pFrameTimes = nullptr;
        if (++measured == kFrames) b_PostClose(pGetHwnd());
    }

private:
    int m_played = 0;
    int m_idles = 0;
};

struct Case {
    int32_t mission = 0; // 1-based; 0 for a battle
    int32_t battleMap = 0;
    int32_t characters = 0;
    int32_t objects = 0;
    bool menus = false; // the top menu, where the program waits after its movies
};

// A mission whose file places no enemy is won in its first frame; one
// blank enemy off the map keeps it playing.
void KeepPlaying() {
    if (g_pAllEnemy && g_pAllEnemy->lGetCount() == 0) g_pAllEnemy->pAdd();
}

// Fills the view of a battle: copies of the map's things (too strong to
// break) and items laid on a grid over the screen, and the view shaking.
void Crowd(sc_Scene& s, const Case& c) {
    const sc_Point at = s.oAllObject.oAllCharacter.oFollow;
    sc_AllThing* things = g_pAllThing;
    const sc_Thing* proto = things && things->lGetCount() > 0 ? things->pGetThing(0) : nullptr;
    for (int32_t i = 0; i < c.objects; ++i) {
        const sc_Point p{at.x + 40 + (i % 20) * 36, at.y + 40 + (i / 20) * 34};
        if (proto && i % 2 == 0) {
            sc_Thing* t = things->pAdd();
            t->vCopyData(proto);
            t->oPos = p;
            t->lLife = 1'000'000;
            t->vLoadImage();
        } else {
            s.oAllObject.oAllProp.pAdd(i % 3, p);
        }
    }
    s.oAllObject.vStartShake();
}

void Frames(benchmark::State& state, const Case& c, bool scalar) {
    if (!fs::is_directory(DataDir())) {
        state.SkipWithError("no data set: run `ctest -R datagen` in the build folder or set KRX_DATA");
        return;
    }
    v_UseScalarBlits(scalar);
    GameFolder folder;
    plat::CloseDisplay();
    plat::ResetWindowSystem();
    auto owned = std::make_unique<plat::HeadlessBackend>();
    plat::HeadlessBackend& backend = *owned;
    plat::InstallBackend(std::move(owned));
    sc_Window::vRegister(0, "KRX", 0, 0);
    {
        TimedWork work;
        // Escape over the movies; the menus then start the mission or the battle.
        backend.At(1, [](plat::HeadlessBackend& b) { b.KeyDown(plat::key::Escape); });
        backend.At(5, [](plat::HeadlessBackend& b) { b.KeyUp(plat::key::Escape); });
        backend.At(7, [c](plat::HeadlessBackend&) {
            sc_Scene& s = g_pWork->oScene;
            if (c.menus) return;
            if (c.mission > 0) {
                s.oForm.lMission = c.mission - 1;
                s.oGate.vSetMission(&s.oForm);
                s.oInterFace.lScreen = sc_InterFace::kScreenStart;
                return;
            }
            s.oInterFace.lNetMap = c.battleMap;
            s.oInterFace.lNetPlayerCount = c.characters;
            for (int32_t i = 0; i < c.characters; ++i) s.oInterFace.pNetCharacter[i] = i;
            s.oInterFace.bNetStart = 1;
        });
        work.bMenus = c.menus;
        work.onPlay = [c](sc_Scene& s) {
            if (c.menus) return;
            KeepPlaying();
            if (c.mission == 0) Crowd(s, c);
        };
        // A blast in the middle of the screen all along: a new one as soon
        // as the last has burnt out.
        if (c.mission == 0 && !c.menus)
            work.eachFrame = [](sc_Scene& s) {
                s.oAllObject.oBomberTarget = s.oAllObject.oAllCharacter.oFollow;
                s.oAllObject.vStartBlast(1);
            };
        for (auto _ : state) {
            work.vCreate("KRX Project", 0, 0, 0);
            work.lRun();
            state.SetIterationTime(work.measured ? work.totalNs * 1e-9 / work.measured : 0);
        }
        if (work.measured == 0) {
            state.SkipWithError("the scene never reached its play state");
        } else {
            const double n = work.measured * 1e3; // ns per frame in microseconds
            auto part = [&](ss_FramePart p) { return work.parts.lNs(p) / n; };
            int64_t sum = 0;
            for (int64_t v : work.parts.aNs) sum += v;
            state.counters["total_us"] = work.totalNs / n;
            state.counters["ground_us"] = part(ss_FramePart::kGround);
            state.counters["showlist_us"] = part(ss_FramePart::kShowList);
            state.counters["objects_us"] = part(ss_FramePart::kObjects);
            state.counters["panel_us"] = part(ss_FramePart::kPanel);
            state.counters["text_us"] = part(ss_FramePart::kText);
            state.counters["present_us"] = part(ss_FramePart::kPresent);
            state.counters["rest_us"] = (work.totalNs - sum) / n;
            state.counters["load_ms"] = work.loadNs * 1e-6;
            state.counters["peak_rss_MB"] = PeakRssKb() / 1024.0;
            state.counters["frames"] = work.measured;
        }
    }
    plat::CloseDisplay();
    plat::ResetWindowSystem();
    plat::ResetBackend();
    v_UseScalarBlits(false);
}

void Register(const std::string& name, const Case& c) {
    for (const bool scalar : {false, true}) {
        benchmark::RegisterBenchmark(("Frame/" + name + (scalar ? "/scalar" : "/sse2")).c_str(),
                                     [c, scalar](benchmark::State& st) { Frames(st, c, scalar); })
            ->Iterations(1)
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

const bool registered = [] {
    Register("Mission1", Case{1, 0, 0, 0});
    // 03004, the battle map with the most buildings and things.
    Register("Battle4x300", Case{0, 3, 4, 300});
    Register("TopMenu", Case{0, 0, 0, 0, true});
    return true;
}();

} // namespace
