#include "platform/net/name_table.h"

#include <algorithm>

namespace plat::net {

Id NameTable::TakeId() {
    if (m_nextId == 0) return 0; // wrapped: every id has been used
    return m_nextId++;
}

void NameTable::Observe(Id id) {
    // A copy learns ids from the host; the next one it would hand out (after
    // taking over as host) must be past all of them.
    if (m_nextId != 0 && id >= m_nextId) m_nextId = id + 1;
}

const PlayerEntry* NameTable::FindPlayer(Id id) const {
    for (const auto& p : m_players)
        if (p.id == id) return &p;
    return nullptr;
}

const GroupEntry* NameTable::FindGroup(Id id) const {
    for (const auto& g : m_groups)
        if (g.id == id) return &g;
    return nullptr;
}

const MemberEntry* NameTable::FindMember(const PublicKey& key) const {
    for (const auto& m : m_members)
        if (m.key == key) return &m;
    return nullptr;
}

PlayerEntry* NameTable::Player(Id id) { return const_cast<PlayerEntry*>(FindPlayer(id)); }
GroupEntry* NameTable::Group(Id id) { return const_cast<GroupEntry*>(FindGroup(id)); }

bool NameTable::Full() const { return m_players.size() + m_groups.size() >= kMaxPlayers + kMaxGroups; }

bool NameTable::AddMember(const MemberEntry& member) {
    if (FindMember(member.key) || m_members.size() >= kMaxMembers) return false;
    m_members.push_back(member);
    return true;
}

bool NameTable::RemoveMember(const PublicKey& key) {
    const auto it = std::find_if(m_members.begin(), m_members.end(), [&](const MemberEntry& m) { return m.key == key; });
    if (it == m_members.end()) return false;
    m_members.erase(it);
    return true;
}

bool NameTable::AddPlayer(Id id, const std::string& name, const PublicKey& owner) {
    if (id == 0 || IdTaken(id) || !ValidName(name) || m_players.size() >= kMaxPlayers) return false;
    m_players.push_back({id, name, owner});
    Observe(id);
    return true;
}

bool NameTable::RemovePlayer(Id id) {
    const auto it = std::find_if(m_players.begin(), m_players.end(), [&](const PlayerEntry& p) { return p.id == id; });
    if (it == m_players.end()) return false;
    m_players.erase(it);
    for (auto& g : m_groups) {
        const auto before = g.players.size();
        std::erase(g.players, id);
        m_memberships -= static_cast<uint32_t>(before - g.players.size());
    }
    return true;
}

bool NameTable::AddGroup(Id id, const std::string& name, const PublicKey& maker) {
    if (id == 0 || IdTaken(id) || !ValidName(name) || m_groups.size() >= kMaxGroups) return false;
    m_groups.push_back({id, name, {}, maker});
    Observe(id);
    return true;
}

bool NameTable::RemoveGroup(Id id) {
    const auto it = std::find_if(m_groups.begin(), m_groups.end(), [&](const GroupEntry& g) { return g.id == id; });
    if (it == m_groups.end()) return false;
    m_memberships -= static_cast<uint32_t>(it->players.size());
    m_groups.erase(it);
    return true;
}

bool NameTable::AddToGroup(Id group, Id player) {
    GroupEntry* g = Group(group);
    if (!g || !FindPlayer(player) || MembershipsFull() || g->players.size() >= kMaxGroupPlayers) return false;
    if (std::find(g->players.begin(), g->players.end(), player) != g->players.end()) return false;
    g->players.push_back(player);
    ++m_memberships;
    return true;
}

bool NameTable::RemoveFromGroup(Id group, Id player) {
    GroupEntry* g = Group(group);
    if (!g) return false;
    const auto it = std::find(g->players.begin(), g->players.end(), player);
    if (it == g->players.end()) return false;
    g->players.erase(it);
    --m_memberships;
    return true;
}

bool NameTable::RenameGroup(Id group, const std::string& name) {
    GroupEntry* g = Group(group);
    if (!g || !ValidName(name)) return false;
    g->name = name;
    return true;
}

std::vector<Id> NameTable::PlayersOf(const PublicKey& owner) const {
    std::vector<Id> ids;
    for (const auto& p : m_players)
        if (p.owner == owner) ids.push_back(p.id);
    return ids;
}

void NameTable::DropOwner(const PublicKey& owner, std::vector<Id>& players, std::vector<Id>& groups) {
    RemoveMember(owner);
    for (Id id : PlayersOf(owner)) {
        std::vector<Id> emptied;
        for (const auto& g : m_groups)
            if (g.players.size() == 1 && g.players[0] == id) emptied.push_back(g.id);
        RemovePlayer(id);
        players.push_back(id);
        for (Id g : emptied) {
            RemoveGroup(g);
            groups.push_back(g);
        }
    }
    // Rooms it made that nobody is in go with it: a machine cannot leave
    // them behind to fill the list.
    std::vector<Id> unused;
    for (const auto& g : m_groups)
        if (g.maker == owner && g.players.empty()) unused.push_back(g.id);
    for (Id g : unused) {
        RemoveGroup(g);
        groups.push_back(g);
    }
}

void NameTable::Encode(WireWriter& w) const {
    w.U32(m_nextId);
    w.U32(static_cast<uint32_t>(m_members.size()));
    for (const auto& m : m_members) {
        w.Array(m.key);
        w.U64(m.process);
        w.U32(m.host.address);
        w.U16(m.host.port);
    }
    w.U32(static_cast<uint32_t>(m_players.size()));
    for (const auto& p : m_players) {
        w.U32(p.id);
        w.Array(p.owner);
        w.Name(p.name);
    }
    w.U32(static_cast<uint32_t>(m_groups.size()));
    for (const auto& g : m_groups) {
        w.U32(g.id);
        w.Array(g.maker);
        w.Name(g.name);
        w.U32(static_cast<uint32_t>(g.players.size()));
        for (Id id : g.players) w.U32(id);
    }
}

bool NameTable::Decode(WireReader& r) {
    Clear();
    NameTable t;
    const Id next = r.U32();
    const uint32_t members = r.Count(46, kMaxMembers);
    for (uint32_t i = 0; i < members && r.Ok(); ++i) {
        MemberEntry m;
        m.key = r.Array<32>();
        m.process = r.U64();
        m.host.address = r.U32();
        m.host.port = r.U16();
        if (r.Ok() && !t.AddMember(m)) r.Fail();
    }
    const uint32_t players = r.Count(37, kMaxPlayers);
    for (uint32_t i = 0; i < players && r.Ok(); ++i) {
        const Id id = r.U32();
        const PublicKey owner = r.Array<32>();
        const std::string name = r.Name();
        if (r.Ok() && !t.AddPlayer(id, name, owner)) r.Fail();
    }
    const uint32_t groups = r.Count(41, kMaxGroups);
    for (uint32_t i = 0; i < groups && r.Ok(); ++i) {
        const Id id = r.U32();
        const PublicKey maker = r.Array<32>();
        const std::string name = r.Name();
        if (r.Ok() && !t.AddGroup(id, name, maker)) r.Fail();
        const uint32_t count = r.Count(4, kMaxGroupPlayers);
        for (uint32_t k = 0; k < count && r.Ok(); ++k)
            if (!t.AddToGroup(id, r.U32())) r.Fail();
    }
    // The host's next id must lie past every id it has handed out.
    if (!r.Ok() || (next != 0 && next < t.m_nextId)) return false;
    t.m_nextId = next;
    *this = std::move(t);
    return true;
}

} // namespace plat::net
