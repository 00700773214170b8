#pragma once
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <vector>

#include "platform/net/member.h"
#include "platform/net/wire.h"

namespace plat::net {

// A session of the local network as the game sees it: found by a search,
// hosted or joined, with players and groups (rooms) in one id space and
// messages sent from a player to everyone, a group or one player.
//
// The host runs inside the process that created the session; every
// machine, the host's own included, is a member connected to it. Name
// changes are requests the host acknowledges after telling every member,
// so enumerations answer from this machine's copy, in the same order on
// every machine. A drop of the network of a few seconds is carried over
// unseen but for the pause (stream.h). When the host's process ends, or the
// host is silent for longer, the oldest remaining member takes over and the
// others come back to it keeping their ids; a system message (sender 0)
// tells each of it, or tells that the session is lost.

struct SessionInfo {
    Guid instance;
    Guid app;
    std::string name;
};

struct NamedId {
    Id id = 0;
    std::string name;
};

// This process's token: members with it go down with a host it runs.
uint64_t ProcessToken();

class Session {
public:
    // `machine` stands for the process unless a test plays several machines
    // in one.
    explicit Session(uint64_t machine = ProcessToken());
    ~Session();
    Session(const Session&) = delete;
    Session& operator=(const Session&) = delete;

    // Where sessions are searched for: "" is the configured target (see
    // discovery.h), otherwise an IPv4 address queried on the same port.
    bool Initialize(const std::string& address);
    bool Initialized() const { return m_initialized; }

    // Sessions of any application, oldest first; takes about durationMs.
    bool EnumSessions(std::vector<SessionInfo>& sessions, int durationMs = 1000);
    bool Host(const std::string& name, const Guid& app);
    // A session of the last search.
    bool Join(const Guid& instance, const Guid& app);
    // The first to welcome this machine of the last search's sessions of
    // that name, all tried side by side; the instance joined, or null.
    Guid JoinNamed(const std::string& name, const Guid& app);
    // The name table of a session of the last search, without joining it.
    bool PeekGroups(const Guid& instance, std::vector<NamedId>& groups);
    // Leaves the session. A host here lives on while other members remain.
    void Close();

    bool InSession() const;
    bool IsHost() const;

    bool CreatePlayer(const std::string& name, Id& id);
    bool DestroyPlayer(Id player);
    bool CreateGroup(const std::string& name, Id& id);
    bool DestroyGroup(Id group);
    bool AddPlayerToGroup(Id group, Id player);
    bool DeletePlayerFromGroup(Id group, Id player);
    bool SetGroupName(Id group, const std::string& name);

    // Groups in creation order; a group's players in the order they joined.
    bool EnumGroups(std::vector<NamedId>& groups) const;
    bool EnumGroupPlayers(Id group, std::vector<NamedId>& players) const;

    // `to` 0 is every player of the session, a group id its players. Each
    // other machine concerned gets it once; the sending machine never.
    bool Send(Id from, Id to, std::span<const uint8_t> data);
    // Never blocks. BufferTooSmall leaves the message waiting and sets size
    // to what it needs.
    ReceiveStatus Receive(std::span<uint8_t> buffer, Id& from, uint32_t& size);

private:
    Guid JoinAny(const Guid& app, const std::function<bool(const Advert&)>& wanted);

    uint64_t m_machine;
    bool m_initialized = false;
    DiscoveryTarget m_target;
    std::vector<Advert> m_found;
    std::unique_ptr<Member> m_member;
};

} // namespace plat::net
