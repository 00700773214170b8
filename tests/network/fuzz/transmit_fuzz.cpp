// Feeds untrusted bytes to the dispatch of a received game-record message,
// with every object family alive so that their readers take what the walk
// hands on; then walks the message again and checks each record it hands
// on: inside the message, one after the other, a whole number of words at
// least as long as its kind. The same bytes go to the lobby's reader of a
// room's state, which takes only a sound message and then holds exactly what
// it would send.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "network/dir_play.h"
#include "network/transmit.h"
#include "objects/all_object.h"
#include "objects/enemy.h"
#include "objects/thing.h"
#include "platform/trace.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* p, size_t n) {
    static plat::ScopedTraceSink quiet([](std::string_view, std::string_view) {});
    static sc_DirPlay session;
    static sc_Transmit transmit;
    if (!transmit.pDirPlay) transmit.vCreate(&session);
    // The families are made afresh for each input: records add bullets and
    // mines, which would pile up over a run and slow every later input, and
    // an input must do the same whatever ran before it. Records name
    // characters, things and enemies by index: some exist.
    sc_AllObject objects;
    sc_AllThing things;
    sc_AllEnemy enemies;
    for (int i = 0; i < 4; ++i) objects.oAllCharacter.pAdd();
    for (int i = 0; i < 3; ++i) {
        things.pAdd();
        enemies.pAdd();
    }
    transmit.vDispatch(p, static_cast<uint32_t>(n));

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
    return 0;
}
