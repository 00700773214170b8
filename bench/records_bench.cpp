// What a peer's records cost the machine that takes them: the record
// buffer's dispatch of one 1 MB message of 25,000 shots reaching the
// authority, and of 13,000 new bullets reaching another machine; and one
// frame's drawing of a lightning bullet whose ends lie far apart. Each
// should cost a frame's small part, whatever the record says.
#include <benchmark/benchmark.h>

#include <array>
#include <memory>
#include <vector>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "game/work.h"
#include "network/records.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "platform/backend.h"
#include "platform/display.h"
#include "platform/headless/headless_backend.h"
#include "platform/trace.h"
#include "platform/window.h"

namespace {

constexpr std::array<uint32_t, 4> kRoom = {1, 2, 3, 4};

// A battle of four with a work surface to draw on, without the data set:
// this machine is player 1; player 4 holds authority unless this one does.
class Battle {
public:
    explicit Battle(bool host) {
        plat::CloseDisplay();
        plat::ResetWindowSystem();
        plat::InstallBackend(std::make_unique<plat::HeadlessBackend>());
        m_work = std::make_unique<sc_Work>();
        if (m_work->bInit(0, 800, 600, 16, 100)) m_surface = m_work->pCreateSurface(800, 600, -1);
        if (m_surface && m_surface->pLock()) {
            g_pWorkSurface = m_surface;
            g_pWorkBuffer = m_surface->pGetBuffer();
        }
        g_lNowTick = 10'000'000;
        sc_Scene& s = m_work->oScene;
        s.oDirPlay.lOwnPlayerId = kRoom[0];
        s.oTransmit.vCreate(&s.oDirPlay);
        s.oAllObject.oAllBullet.vLoad(&s.oMap.oViewPoint);
        s.oAllObject.pView = &s.oMap.oViewPoint;
        for (int32_t i = 0; i < 4; ++i) s.oAllObject.oAllCharacter.pAdd()->lIndex = i;
        s.bHost = host ? 1 : 0;
        s.oTransmit.vBeginBattle(kRoom);
    }
    ~Battle() {
        m_work.reset();
        plat::CloseDisplay();
        plat::ResetWindowSystem();
        plat::ResetBackend();
    }
    sc_Scene& S() { return m_work->oScene; }
    template <class R> void Send(uint32_t from, const std::vector<R>& records) {
        sc_ByteWriter w;
        w.Write(kMessageRecords);
        for (const R& r : records) r.vWrite(w);
        w.Write(kRecordEnd);
        S().oTransmit.vDispatch(w.Bytes().data(), static_cast<uint32_t>(w.Size()), from);
    }

private:
    // The pictures are not there to be found: quietly.
    plat::ScopedTraceSink m_quiet{[](std::string_view, std::string_view) {}};
    std::unique_ptr<sc_Work> m_work;
    sc_DirSurface* m_surface = nullptr;
};

void ShotsReachingTheAuthority(benchmark::State& state) {
    Battle battle(true);
    ss_FireRecord fire;
    fire.lIndex = 1;
    fire.bFire = 1;
    fire.oAim = {1500, 1000};
    const std::vector<ss_FireRecord> flood(25'000, fire);
    for (auto _ : state) {
        battle.Send(2, flood);
        state.PauseTiming();
        g_lNowTick += 16;
        battle.S().oAllObject.oAllBullet.vLoad(&battle.S().oMap.oViewPoint);
        state.ResumeTiming();
    }
}
BENCHMARK(ShotsReachingTheAuthority)->Unit(benchmark::kMillisecond);

void NewBulletsReachingAnotherMachine(benchmark::State& state) {
    Battle battle(false);
    std::vector<ss_BulletRecord> flood(13'000);
    for (size_t i = 0; i < flood.size(); ++i) {
        flood[i].bNew = flood[i].bActive = 1;
        flood[i].lNetId = static_cast<int32_t>(i + 1);
        flood[i].oStart = flood[i].oPos = {1000, 1000};
        flood[i].oTarget = {1500, 1000};
    }
    for (auto _ : state) {
        battle.Send(4, flood);
        state.PauseTiming();
        battle.S().oAllObject.oAllBullet.vLoad(&battle.S().oMap.oViewPoint);
        state.ResumeTiming();
    }
}
BENCHMARK(NewBulletsReachingAnotherMachine)->Unit(benchmark::kMillisecond);

// Across the screen from x = -far to far: 536,000,000, 2^24 (as far as a
// record may place a bullet) and 400.
void LightningWithFarEnds(benchmark::State& state) {
    Battle battle(false);
    const int32_t far = static_cast<int32_t>(state.range(0));
    for (auto _ : state) battle.S().oAllObject.vDrawLightning(-far, 300, far, 300);
}
BENCHMARK(LightningWithFarEnds)->Arg(536'000'000)->Arg(1 << 24)->Arg(400)->Unit(benchmark::kMicrosecond);

} // namespace
