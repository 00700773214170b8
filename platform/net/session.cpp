#include "platform/net/session.h"

#include <algorithm>

#include "platform/net/host.h"
#include "platform/trace.h"

namespace plat::net {

namespace {
constexpr int kHostEndMs = 2000;
} // namespace

uint64_t ProcessToken() {
    static const uint64_t token = RandomToken();
    return token;
}

Session::Session(uint64_t machine) : m_machine(machine) {}

Session::~Session() { Close(); }

bool Session::Initialize(const std::string& address) {
    Close();
    m_initialized = false;
    m_target = CurrentDiscoveryTarget();
    if (!address.empty()) {
        uint32_t ip = 0;
        if (!ParseIpv4(address, ip)) {
            Trace("net", "the session address is not an IPv4 address");
            return false;
        }
        m_target.addresses = {ip};
    }
    m_initialized = true;
    return true;
}

bool Session::EnumSessions(std::vector<SessionInfo>& sessions, int durationMs) {
    sessions.clear();
    if (!m_initialized) return false;
    m_found = Discover(m_target, durationMs);
    // One entry a session, however many hosts answered for it.
    for (const Advert& a : m_found)
        if (std::none_of(sessions.begin(), sessions.end(), [&](const SessionInfo& s) { return s.instance == a.instance; }))
            sessions.push_back({a.instance, a.app, a.name});
    return true;
}

bool Session::Host(const std::string& name, const Guid& app) {
    if (!m_initialized || !ValidName(name) || app.IsNull()) return false;
    Close();
    const SessionIdentity identity{app, NewGuid(), name, 0};
    auto member = std::make_unique<Member>(app, m_machine, m_target);
    auto host = net::Host::Start(identity, m_machine, member->Signer());
    if (!host) return false;
    const Advert own{.app = app, .instance = identity.instance, .name = name, .age = 0, .tcpPort = host->Port(),
                     .host = {kLoopback, host->Port()}};
    if (!member->Connect({own}, true)) {
        host->Stop();
        return false;
    }
    m_member = std::move(member);
    return true;
}

bool Session::Join(const Guid& instance, const Guid& app) {
    return JoinAny(app, [&](const Advert& a) { return a.instance == instance; }) == instance;
}

Guid Session::JoinNamed(const std::string& name, const Guid& app) {
    return JoinAny(app, [&](const Advert& a) { return a.name == name; });
}

Guid Session::JoinAny(const Guid& app, const std::function<bool(const Advert&)>& wanted) {
    if (!m_initialized) return {};
    std::vector<Advert> sessions;
    for (const Advert& a : m_found)
        if (a.app == app && wanted(a)) sessions.push_back(a);
    if (sessions.empty()) return {};
    Close();
    auto member = std::make_unique<Member>(app, m_machine, m_target);
    if (!member->Connect(sessions, false)) return {};
    m_member = std::move(member);
    return m_member->Instance();
}

bool Session::PeekGroups(const Guid& instance, std::vector<NamedId>& groups) {
    groups.clear();
    const auto it = std::find_if(m_found.begin(), m_found.end(), [&](const Advert& a) { return a.instance == instance; });
    NameTable table;
    if (it == m_found.end() || !Member::Peek(it->host, it->app, instance, table)) return false;
    for (const auto& g : table.Groups()) groups.push_back({g.id, g.name});
    return true;
}

void Session::Close() {
    if (!m_member) return;
    const bool hosting = m_member->Hosting();
    m_member.reset();
    // The host here ends once its last member has gone; a search made before
    // it had gone would find the session and fail to join it.
    if (hosting && !AwaitHostsSettled(m_machine, kHostEndMs))
        Trace("net", "the session's host here did not settle after this machine left");
}

bool Session::InSession() const { return m_member && m_member->Connected(); }

bool Session::IsHost() const { return m_member && m_member->Hosting(); }

bool Session::CreatePlayer(const std::string& name, Id& id) {
    if (!m_member || !ValidName(name)) return false;
    return m_member->Request(FrameType::CreatePlayer, [&](WireWriter& w) { w.Name(name); }, &id);
}

bool Session::DestroyPlayer(Id player) {
    return m_member && m_member->Request(FrameType::DestroyPlayer, [&](WireWriter& w) { w.U32(player); });
}

bool Session::CreateGroup(const std::string& name, Id& id) {
    if (!m_member || !ValidName(name)) return false;
    return m_member->Request(FrameType::CreateGroup, [&](WireWriter& w) { w.Name(name); }, &id);
}

bool Session::DestroyGroup(Id group) {
    return m_member && m_member->Request(FrameType::DestroyGroup, [&](WireWriter& w) { w.U32(group); });
}

bool Session::AddPlayerToGroup(Id group, Id player) {
    return m_member && m_member->Request(FrameType::AddToGroup, [&](WireWriter& w) {
        w.U32(group);
        w.U32(player);
    });
}

bool Session::DeletePlayerFromGroup(Id group, Id player) {
    return m_member && m_member->Request(FrameType::RemoveFromGroup, [&](WireWriter& w) {
        w.U32(group);
        w.U32(player);
    });
}

bool Session::SetGroupName(Id group, const std::string& name) {
    if (!m_member || !ValidName(name)) return false;
    return m_member->Request(FrameType::RenameGroup, [&](WireWriter& w) {
        w.U32(group);
        w.Name(name);
    });
}

bool Session::EnumGroups(std::vector<NamedId>& groups) const {
    groups.clear();
    if (!InSession()) return false;
    m_member->WithTable([&](const NameTable& t) {
        for (const auto& g : t.Groups()) groups.push_back({g.id, g.name});
    });
    return true;
}

bool Session::EnumGroupPlayers(Id group, std::vector<NamedId>& players) const {
    players.clear();
    if (!InSession()) return false;
    bool found = false;
    m_member->WithTable([&](const NameTable& t) {
        const GroupEntry* g = t.FindGroup(group);
        if (!g) return;
        found = true;
        for (Id id : g->players)
            if (const PlayerEntry* p = t.FindPlayer(id)) players.push_back({p->id, p->name});
    });
    return found;
}

bool Session::Send(Id from, Id to, std::span<const uint8_t> data) { return m_member && m_member->Send(from, to, data); }

ReceiveStatus Session::Receive(std::span<uint8_t> buffer, Id& from, uint32_t& size) {
    if (!m_member) return ReceiveStatus::Empty;
    return m_member->Receive(buffer, from, size);
}

} // namespace plat::net
