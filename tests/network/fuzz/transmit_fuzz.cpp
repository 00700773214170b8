// Feeds untrusted bytes to the record buffer of a battle under way, as
// messages from the players of a room of four and from outside it, and
// plays one battle frame after each with the object families loaded from
// the generated data set, so that a value a reader takes but the show
// list, the drawing or the deaths cannot survive is found.
//
// An input is a byte of set-up (bit 0: this machine holds authority), then
// messages: a byte naming the sender (room slots 0 to 3, this machine in
// slot 0, or anyone else), a 16-bit length and that many bytes.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "engine/device/dir_surface.h"
#include "engine/device/frame_time.h"
#include "engine/sprite/memory_control.h"
#include "game/work.h"
#include "interface/loading.h"
#include "interface/menus.h"
#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/animal.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/backend.h"
#include "platform/headless/headless_backend.h"
#include "platform/random.h"
#include "platform/trace.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

constexpr std::array<uint32_t, 4> kRoom = {101, 102, 103, 104};
constexpr uint32_t kOutsider = 999;
constexpr int32_t kStart = 10'000'000;
constexpr int32_t kFrameMs = 16;
constexpr size_t kMaxMessages = 16;

namespace fs = std::filesystem;

// The suite's data set, made here when the suite has not made it yet.
fs::path DataSet() {
    const fs::path data = KRX_FUZZ_DATA;
    if (!fs::exists(data / "ATTRIB")) Check(std::system((KRX_DATAGEN " " + data.string() + " >/dev/null").c_str()) == 0);
    return data;
}

// The data set's folder is the current one while an input runs; the fuzzer
// keeps its own between them.
class InData {
public:
    explicit InData(const fs::path& data) : m_back(fs::current_path()) { fs::current_path(data); }
    ~InData() { fs::current_path(m_back); }

private:
    fs::path m_back;
};

// The scene of a battle of four on an open 4000 x 3000 map, with a work
// surface to draw on; every picture the families take stays in the cache.
class Battle {
public:
    Battle() : m_data(DataSet()) {
        InData here(m_data);
        plat::InstallBackend(std::make_unique<plat::HeadlessBackend>());
        m_work = std::make_unique<sc_Work>();
        Check(m_work->bInit(0, 800, 600, 16, 100));
        m_surface = m_work->pCreateSurface(800, 600, -1);
        Check(m_surface && m_surface->pLock());
        g_pWorkSurface = g_pTextSurface = m_surface;
        g_pWorkBuffer = m_surface->pGetBuffer();
        sc_Scene& s = S();
        s.oAttrib.vLoad();
        s.oMap.oBackground.oMapSize.oSet(4000, 3000);
        const std::vector<uint8_t> open(size_t{250} * 375, 0);
        s.oMap.oSetting.oMapLocate.oLocate.vSetCells(250, 375, open.data());
        s.oDirPlay.lOwnPlayerId = kRoom[0];
        s.oTransmit.vCreate(&s.oDirPlay);
        // Loading shows nothing here: its presents would cost every input.
        g_pLoading = nullptr;
        s.oInterFace.lNetPlayerCount = 4;
        s.oInterFace.lNetOwnIndex = 0;
        for (int32_t i = 0; i < 4; ++i) s.oInterFace.pNetCharacter[static_cast<size_t>(i)] = i;
        vReset(false);
        vHoldPictures();
    }

    sc_Scene& S() { return m_work->oScene; }
    const fs::path& Data() const { return m_data; }

    // The battle as it stands when it begins.
    void vReset(bool host) {
        plat::SeedRandom(1);
        g_lNowTick = kStart;
        sc_Scene& s = S();
        s.lState = sc_Scene::kStateNetPlay;
        s.bNetwork = 1;
        s.bHost = host ? 1 : 0;
        sc_Point* view = &s.oMap.oViewPoint;
        view->oSet(1000, 1000);
        s.oMap.oMapSort.vInit(view);
        s.oAllObject.vLoadNet(view);
        for (int32_t i = 0; i < 4; ++i) {
            sc_Character* c = s.oAllObject.oAllCharacter.pGetCharacter(i);
            c->oPosition.oSet(1300 + 150 * i, 1250 + 40 * i);
        }
        sc_Setting& placed = s.oMap.oSetting;
        placed.oAllThing.vSet(view);
        placed.oAllEnemy.vSet(view);
        placed.oAllAnimal.vSet(view);
        for (int32_t i = 0; i < 3; ++i) {
            const sc_Point at(1250 + 200 * i, 1500);
            sc_Thing* t = placed.oAllThing.pAdd();
            t->vCopyData(s.oAttrib.pGetThing(i));
            t->oPos = at;
            t->vLoadImage();
            sc_Enemy* e = placed.oAllEnemy.pAdd();
            e->vCopyData(s.oAttrib.pGetEnemy(i));
            e->oPos.oSet(at.x + 100, at.y - 200);
            e->vSet(view);
        }
        sc_Animal* a = placed.oAllAnimal.pAdd();
        a->vCopyData(s.oAttrib.pGetAnimal(0));
        a->oPos.oSet(1700, 1600);
        a->vSet(view);
        placed.oAllThing.vLoadImage();
        placed.oAllEnemy.vLoadImage();
        placed.oAllAnimal.vLoadImage();
        s.oTransmit.vBeginBattle(kRoom);
    }

    // The object passes of one battle frame around the show list.
    void vFrame() {
        g_lNowTick += kFrameMs;
        sc_Scene& s = S();
        s.oMap.oViewPoint = s.oAllObject.oAllCharacter.oFollow;
        s.oAllObject.vPrevSortShow();
        s.oMap.oSetting.vShow();
        s.oAllObject.vShow();
        s.oMap.oMapSort.vShow();
        s.oAllObject.vNextSortShow();
    }

private:
    // One more count on every picture the families take, so that a reset's
    // giving them back does not make the next one read them again.
    void vHoldPictures() {
        sc_MemoryControl& cache = S().oMemoryControl;
        auto hold = [&](const char* pack, std::initializer_list<int32_t> objects) {
            const std::string str = std::string(pack) + ".STR", img = std::string(pack) + ".IMG";
            for (int32_t o : objects) cache.pGetObject(str.c_str(), img.c_str(), o);
        };
        hold("CHAR\\CHAR", {0, 1, 2, 3, 4, 5, 6, 7});
        hold("P_BULLET\\P_BULLET", {0});
        hold("P_SPRITY\\P_SPRITY", {0, 1, 2, 3, 4, 6, 7, 8});
        hold("P_MINE\\P_MINE", {0, 1, 2, 3, 4, 5, 6, 7});
        hold("P_OTHER\\P_OTHER", {1});
        for (int32_t i = 0; i < 3; ++i) {
            cache.pGetStatus("P_OTHER\\P_OTHER.STR", "P_OTHER\\P_OTHER.IMG", 0, i % 2);
            cache.pGetDir("P_PROP\\P_PROP.STR", "P_PROP\\P_PROP.IMG", 0, 0, i);
            const sc_Enemy* e = S().oMap.oSetting.oAllEnemy.pGetEnemy(i);
            cache.pGetObject(e->sPackStr.pGetText(), e->sPackImg.pGetText(), e->lObject);
            const sc_Thing* t = S().oMap.oSetting.oAllThing.pGetThing(i);
            cache.pGetDir(t->oStrFile.pGetText(), t->oImgFile.pGetText(), t->lObject, t->lStatus, t->lDirection);
        }
        const sc_Animal* a = S().oMap.oSetting.oAllAnimal.pGetAnimal(0);
        cache.pGetObject(a->sPackStr.pGetText(), a->sPackImg.pGetText(), a->lObject);
    }

    fs::path m_data;
    std::unique_ptr<sc_Work> m_work;
    sc_DirSurface* m_surface = nullptr;
};

// The walk hands on whole records of known kinds, one after the other,
// inside the message; the lobby's reader takes only a sound room state.
void CheckMessage(const uint8_t* p, size_t n) {
    size_t next = 4;
    int32_t seen = 0;
    const int32_t handed = l_WalkRecords({p, n}, [&](uint32_t kind, std::span<const uint8_t> record) {
        const size_t at = static_cast<size_t>(record.data() - p);
        Check(at >= next && at + record.size() <= n);
        Check(record.size() % 4 == 0 && record.size() >= l_RecordLength(kind) && l_RecordLength(kind) != 0);
        uint32_t first = 0;
        std::memcpy(&first, record.data(), 4);
        Check(first == kind);
        next = at + record.size();
        ++seen;
    });
    Check(handed == seen);

    ss_LobbyMessage lobby;
    lobby.pReady = {1, 0, 1, 0};
    lobby.lMap = 7;
    const ss_LobbyMessage before = lobby;
    if (lobby.bUnpack({p, n})) {
        const auto packed = lobby.oPack();
        Check(n == packed.size() && std::memcmp(packed.data(), p, n) == 0);
        Check(lobby.lMap >= 0 && lobby.lMap < ss_LobbyMessage::kMaps && (lobby.bStart & ~1) == 0);
        for (int32_t i = 0; i < ss_LobbyMessage::kSlots; ++i)
            Check((lobby.pReady[i] & ~1) == 0 && lobby.pCharacter[i] >= 0 &&
                  lobby.pCharacter[i] < ss_LobbyMessage::kCharacters);
    } else {
        Check(lobby.pReady == before.pReady && lobby.pCharacter == before.pCharacter &&
              lobby.lMap == before.lMap && lobby.bStart == before.bStart);
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    static plat::ScopedTraceSink quiet([](std::string_view, std::string_view) {});
    static Battle battle;
    if (n < 1) return 0;
    InData here(battle.Data());
    battle.vReset((p[0] & 1) != 0);
    size_t at = 1;
    for (size_t m = 0; m < kMaxMessages && at + 3 <= n; ++m) {
        const uint8_t who = p[at];
        const size_t size = std::min<size_t>(p[at + 1] | (size_t{p[at + 2]} << 8), n - at - 3);
        const std::span<const uint8_t> message(p + at + 3, size);
        at += 3 + size;
        const uint32_t from = who < kRoom.size() ? kRoom[who] : kOutsider;
        CheckMessage(message.data(), message.size());
        battle.S().oTransmit.vDispatch(message.data(), static_cast<uint32_t>(message.size()), from);
        battle.vFrame();
    }
    return 0;
}
