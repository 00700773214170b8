#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/net/identity.h"
#include "platform/net/socket.h"
#include "platform/net/wire.h"

namespace plat::net {

// One connected machine of a session: its key (kept across a change of
// host), the token of the process it runs in, and where it would host the
// session if it took over: the address its host saw it at and the port it
// keeps for that (0: none).
struct MemberEntry {
    PublicKey key{};
    uint64_t process = 0;
    Endpoint host;
};

struct PlayerEntry {
    Id id = 0;
    std::string name;
    PublicKey owner{}; // the member that created it
};

struct GroupEntry {
    Id id = 0;
    std::string name;
    std::vector<Id> players; // in the order they were added
    PublicKey maker{};       // the member that created it
};

// The session's names: members in join order, players and groups in
// creation order, group memberships in the order they were made. The host
// keeps the real one; every member keeps a copy that the host's changes are
// applied to in the same order, so all copies enumerate alike.
class NameTable {
public:
    static constexpr uint32_t kMaxMembers = 64;
    static constexpr uint32_t kMaxPlayers = 1024;
    static constexpr uint32_t kMaxGroups = 1024;
    static constexpr uint32_t kMaxMemberships = 4096;
    // A room holds four players; the game makes one player a machine, and a
    // member gets a few more than that.
    static constexpr uint32_t kMaxGroupPlayers = 4;
    static constexpr uint32_t kMaxPlayersPerMember = 4;
    // The longest a full table encodes to (a name takes at most kNameLimit
    // bytes with its terminator).
    static constexpr uint32_t kMaxEncodedBytes = static_cast<uint32_t>(
        4 + 4 + kMaxMembers * (32 + 8 + 4 + 2) + 4 + kMaxPlayers * (4 + 32 + kNameLimit) + 4 +
        kMaxGroups * (4 + 32 + kNameLimit + 4 + 4 * kMaxGroupPlayers));

    // The next id to hand out; ids are never reused.
    Id NextId() const { return m_nextId; }
    // A fresh id, or 0 when the id space is spent.
    Id TakeId();

    const std::vector<MemberEntry>& Members() const { return m_members; }
    const std::vector<PlayerEntry>& Players() const { return m_players; }
    const std::vector<GroupEntry>& Groups() const { return m_groups; }
    const PlayerEntry* FindPlayer(Id id) const;
    const GroupEntry* FindGroup(Id id) const;
    const MemberEntry* FindMember(const PublicKey& key) const;
    bool Full() const;
    bool MembershipsFull() const { return m_memberships >= kMaxMemberships; }

    // Each change fails (and changes nothing) when it would break the table:
    // a taken or zero id, an unknown one, an invalid name, a cap reached.
    bool AddMember(const MemberEntry& member);
    bool RemoveMember(const PublicKey& key);
    bool AddPlayer(Id id, const std::string& name, const PublicKey& owner);
    // Also takes the player out of every group.
    bool RemovePlayer(Id id);
    bool AddGroup(Id id, const std::string& name, const PublicKey& maker);
    bool RemoveGroup(Id id);
    // Fails on a full group.
    bool AddToGroup(Id group, Id player);
    bool RemoveFromGroup(Id group, Id player);
    bool RenameGroup(Id group, const std::string& name);

    // The players a member owns, in creation order.
    std::vector<Id> PlayersOf(const PublicKey& owner) const;

    // Removes a member with its players; the groups that this leaves empty
    // and that had one of them, or that the member made, are destroyed too.
    // Returns the removed player ids and destroyed group ids in the order
    // they went.
    void DropOwner(const PublicKey& owner, std::vector<Id>& players, std::vector<Id>& groups);

    void Encode(WireWriter& w) const;
    // Replaces the table; false (and the table empty) on any inconsistency.
    bool Decode(WireReader& r);
    void Clear() { *this = NameTable(); }

private:
    PlayerEntry* Player(Id id);
    GroupEntry* Group(Id id);
    bool IdTaken(Id id) const { return FindPlayer(id) || FindGroup(id); }
    void Observe(Id id);

    Id m_nextId = 1;
    uint32_t m_memberships = 0;
    std::vector<MemberEntry> m_members;
    std::vector<PlayerEntry> m_players;
    std::vector<GroupEntry> m_groups;
};

} // namespace plat::net
