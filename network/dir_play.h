#pragma once
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/net/wire.h"

namespace plat::net {
class Session;
struct NamedId;
}

// The session layer of network battles: every machine of the local network
// shares one session named after the game; the rooms of the lobby are the
// session's groups; each machine makes one player named after its user.
// Keeps the tables the lobby shows, this machine's ids and the receive
// buffer. Names are shorter than 128 bytes; an operation given a null name
// or a longer one fails before anything is asked of the session.
class sc_DirPlay {
public:
    static constexpr int32_t kSessionSlots = 16;
    static constexpr int32_t kGroupSlots = 24;
    static constexpr int32_t kPlayerSlots = 4;
    static constexpr int32_t kNameSize = 128;
    static constexpr uint32_t kReceiveStep = 1'024'000;

    // An entry is free when its name is empty.
    struct ss_SessionEntry {
        plat::net::Guid oInstance;
        char szName[kNameSize];
    };
    struct ss_GroupEntry {
        uint32_t lId;
        char szName[kNameSize];
    };
    // An entry is free when its id is 0.
    struct ss_PlayerEntry {
        uint32_t lId;
        char szName[kNameSize];
    };

    // The game's identity in every session; the same on every machine.
    static const plat::net::Guid kApplicationGuid;

    sc_DirPlay();
    virtual ~sc_DirPlay();
    sc_DirPlay(const sc_DirPlay&) = delete;
    sc_DirPlay& operator=(const sc_DirPlay&) = delete;

    void vInit();
    bool bConnect(const char* pAddress);
    bool bInitializeConnection(const char* pAddress);
    bool bEnumSessions();
    bool bHostSession(const char* pName);
    bool bJoinSession(const plat::net::Guid& oInstance);
    bool bJoinSessionByName(const char* pName);
    bool bCreatePlayer(const char* pName);
    bool bEnumGroups();
    bool bCreateGroup(const char* pName);
    bool bAddPlayerToGroup(uint32_t lGroupId, uint32_t lPlayerId);
    bool bJoinGroupByName(const char* pName);
    bool bEnumGroupPlayers(uint32_t lGroupId);
    bool bSetGroupName(const char* pName);
    bool bSend(uint32_t lTo, const void* pData, uint32_t lSize);
    uint8_t* pReceive(uint32_t* plFrom, uint32_t* plSize);
    // A received message that is the session's own notice that this machine
    // has lost it (its host went silent or no member took over).
    static bool bSessionLost(uint32_t lFrom, const uint8_t* pMessage, uint32_t lSize);
    bool bLeaveGroup();
    bool bDestroyGroup(uint32_t lGroupId);
    void vClose();

    // Not used by the game.
    bool bHostOwnRoom();
    bool bEnumGroupsInSession(const plat::net::Guid& oInstance);
    bool bEnumGroupsInSessionByName(const char* pName);
    bool bEnumGroupPlayersByName(const char* pName);
    bool bDestroyGroupsByName(const char* pName);
    bool bDestroyOwnGroup();
    bool bDeletePlayerFromGroup(uint32_t lGroupId, uint32_t lPlayerId);
    bool bDestroyPlayer();

    std::unique_ptr<plat::net::Session> pSession; // null when not connected
    std::unique_ptr<uint8_t[]> pReceiveBuffer;
    uint32_t lReceiveSize = 0;
    std::array<ss_SessionEntry, kSessionSlots> oSessionTable{};
    std::array<ss_GroupEntry, kGroupSlots> oGroupTable{};
    std::array<ss_PlayerEntry, kPlayerSlots> oPlayerTable{};
    // Null outside a session; the joined session's instance, or the
    // application's id when this machine hosts.
    plat::net::Guid oSessionMarker;
    char szSessionName[kNameSize] = {};
    uint32_t lOwnGroupId = 0;
    char szOwnGroupName[kNameSize] = {};
    uint32_t lOwnPlayerId = 0;
    char szOwnPlayerName[kNameSize] = {};

private:
    void vFillGroups(const std::vector<plat::net::NamedId>& oGroups);
};

extern sc_DirPlay* g_pDirPlay;
