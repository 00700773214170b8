#include "platform/net/frame.h"

namespace plat::net {

namespace {

bool KnownType(uint8_t t) {
    return (t >= static_cast<uint8_t>(FrameType::Hello) && t <= static_cast<uint8_t>(FrameType::Beat)) ||
           (t >= static_cast<uint8_t>(FrameType::Welcome) && t <= static_cast<uint8_t>(FrameType::MoveOn));
}

bool Finish(WireReader& r, const char*& why) {
    if (!r.Ok()) {
        why = "truncated field or bad name";
        return false;
    }
    if (!r.AtEnd()) {
        why = "bytes after the last field";
        return false;
    }
    return true;
}

} // namespace

const char* RefusalText(Refusal refusal) {
    switch (refusal) {
    case Refusal::Full: return "the session has no member place left";
    case Refusal::AddressShare: return "the session holds as many machines of one address as it takes";
    case Refusal::Silent: return "the host heard nothing from this machine for too long and took it for gone";
    case Refusal::Alone: return "no other member came back to this machine as host: it was cut off from them";
    case Refusal::Late: return "the session's host no longer keeps this machine's place: it came back too late";
    case Refusal::Elsewhere: return "a member's place is carried on only from the address it was held from";
    case Refusal::CutOff: return "the session went on under another host without this machine: it was cut off from the others";
    case Refusal::SteppedDown: return "the old host yields to the member taking over";
    case Refusal::AloneToo: return "the old host was cut off from the others too";
    case Refusal::NotYet: return "the old host waits for the others that moved on to say so too";
    case Refusal::Unproven:
        return "the old host hears from others that did not move on, or nobody else says so: it keeps the session";
    }
    return "refused";
}

bool ValidHelloFlags(uint8_t flags) {
    if ((flags & ~(kHelloRejoin | kHelloPeek | kHelloResume | kHelloMoved | kHelloWithOthers | kHelloAlone)) != 0)
        return false;
    // A resume and a notice of a move each stand alone; only a notice says
    // whether others are back, or nobody.
    const uint8_t side = flags & (kHelloWithOthers | kHelloAlone);
    const uint8_t kind = flags & ~side;
    if ((kind & (kHelloResume | kHelloMoved)) != 0 && kind != kHelloResume && kind != kHelloMoved) return false;
    return side == 0 || (kind == kHelloMoved && side != (kHelloWithOthers | kHelloAlone));
}

ParseStatus ParseFrame(std::span<const uint8_t> stream, Frame& frame, size_t& consumed, const char*& why,
                       uint32_t limit) {
    if (stream.size() < 4) return ParseStatus::NeedMore;
    const uint32_t length = uint32_t{stream[0]} | uint32_t{stream[1]} << 8 | uint32_t{stream[2]} << 16 |
                            uint32_t{stream[3]} << 24;
    if (length == 0) {
        why = "empty frame";
        return ParseStatus::Bad;
    }
    if (length - 1 > limit) {
        why = "frame too long";
        return ParseStatus::Bad;
    }
    // The type is judged as soon as it is there, before waiting for a
    // payload that may never come.
    if (stream.size() >= 5 && !KnownType(stream[4])) {
        why = "unknown frame type";
        return ParseStatus::Bad;
    }
    if (stream.size() - 4 < length) return ParseStatus::NeedMore;
    frame.type = static_cast<FrameType>(stream[4]);
    frame.payload = stream.subspan(5, length - 1);
    consumed = size_t{4} + length;
    return ParseStatus::Frame;
}

bool DecodeRequest(const Frame& frame, Message& m, const char*& why) {
    m = Message{};
    m.type = frame.type;
    WireReader r(frame.payload);
    switch (frame.type) {
    case FrameType::Hello:
        if (r.U32() != kMagic || r.U32() != kVersion) {
            why = "bad magic or version";
            return false;
        }
        m.app = r.Guid();
        m.instance = r.Guid();
        m.key = r.Array<32>();
        m.process = r.U64();
        m.flags = r.U8();
        m.nonce = r.Array<32>();
        m.host.port = r.U16();
        m.count = r.U64();
        m.movedTo = r.Array<32>();
        // Only a notice of a member back with others names where it is.
        if (r.Ok() && (!ValidHelloFlags(m.flags) || (m.movedTo == PublicKey{}) == bool(m.flags & kHelloWithOthers))) {
            why = "bad hello";
            return false;
        }
        break;
    case FrameType::Proof:
        m.signature = r.Array<64>();
        break;
    case FrameType::Beat:
        m.count = r.U64();
        break;
    case FrameType::CreatePlayer:
    case FrameType::CreateGroup:
        m.seq = r.U32();
        m.name = r.Name();
        break;
    case FrameType::DestroyPlayer:
    case FrameType::DestroyGroup:
        m.seq = r.U32();
        m.id = r.U32();
        break;
    case FrameType::AddToGroup:
    case FrameType::RemoveFromGroup:
        m.seq = r.U32();
        m.id = r.U32();
        m.other = r.U32();
        break;
    case FrameType::RenameGroup:
        m.seq = r.U32();
        m.id = r.U32();
        m.name = r.Name();
        break;
    case FrameType::Send:
        m.id = r.U32();
        m.other = r.U32();
        m.number = r.U64();
        m.data = r.Rest();
        break;
    default:
        why = "not a request";
        return false;
    }
    return Finish(r, why);
}

bool DecodeEvent(const Frame& frame, Message& m, const char*& why) {
    m = Message{};
    m.type = frame.type;
    WireReader r(frame.payload);
    switch (frame.type) {
    case FrameType::Welcome:
        if (r.U32() != kMagic || r.U32() != kVersion) {
            why = "bad magic or version";
            return false;
        }
        m.app = r.Guid();
        m.instance = r.Guid();
        m.name = r.Name();
        m.age = r.U32();
        m.process = r.U64();
        if (r.Ok() && !m.table.Decode(r)) {
            why = "inconsistent name table";
            return false;
        }
        break;
    case FrameType::Ack:
        m.seq = r.U32();
        m.ok = r.U8() != 0;
        m.id = r.U32();
        break;
    case FrameType::PlayerAdded:
    case FrameType::GroupAdded:
        m.id = r.U32();
        m.key = r.Array<32>();
        m.name = r.Name();
        break;
    case FrameType::GroupRenamed:
        m.id = r.U32();
        m.name = r.Name();
        break;
    case FrameType::PlayerRemoved:
    case FrameType::GroupRemoved:
        m.id = r.U32();
        break;
    case FrameType::AddedToGroup:
    case FrameType::RemovedFromGroup:
        m.id = r.U32();
        m.other = r.U32();
        break;
    case FrameType::Deliver:
        m.id = r.U32();
        m.other = r.U32();
        m.number = r.U64();
        m.data = r.Rest();
        break;
    case FrameType::MemberJoined:
        m.key = r.Array<32>();
        m.process = r.U64();
        m.host.address = r.U32();
        m.host.port = r.U16();
        break;
    case FrameType::MemberLeft:
        m.key = r.Array<32>();
        break;
    case FrameType::Challenge:
        m.key = r.Array<32>();
        m.nonce = r.Array<32>();
        m.signature = r.Array<64>();
        break;
    case FrameType::Refused: {
        const uint8_t refusal = r.U8();
        if (r.Ok() &&
            (refusal < static_cast<uint8_t>(Refusal::Full) || refusal > static_cast<uint8_t>(Refusal::Unproven))) {
            why = "unknown refusal";
            return false;
        }
        m.refusal = static_cast<Refusal>(refusal);
        break;
    }
    case FrameType::HostBeat:
    case FrameType::Resumed:
        m.count = r.U64();
        break;
    case FrameType::MoveOn:
        break;
    default:
        why = "not an event";
        return false;
    }
    return Finish(r, why);
}

FrameWriter::FrameWriter(std::vector<uint8_t>& out, FrameType type) : m_out(out), m_start(out.size()), m_writer(out) {
    m_writer.U32(0);
    m_writer.U8(static_cast<uint8_t>(type));
}

FrameWriter::~FrameWriter() {
    const auto length = static_cast<uint32_t>(m_out.size() - m_start - 4);
    for (size_t i = 0; i < 4; ++i) m_out[m_start + i] = static_cast<uint8_t>(length >> (8 * i));
}

bool ApplyNameEvent(NameTable& table, const Message& m) {
    switch (m.type) {
    case FrameType::PlayerAdded: return table.AddPlayer(m.id, m.name, m.key);
    case FrameType::PlayerRemoved: return table.RemovePlayer(m.id);
    case FrameType::GroupAdded: return table.AddGroup(m.id, m.name, m.key);
    case FrameType::GroupRemoved: return table.RemoveGroup(m.id);
    case FrameType::AddedToGroup: return table.AddToGroup(m.id, m.other);
    case FrameType::RemovedFromGroup: return table.RemoveFromGroup(m.id, m.other);
    case FrameType::GroupRenamed: return table.RenameGroup(m.id, m.name);
    case FrameType::MemberJoined: return table.AddMember({m.key, m.process, m.host});
    case FrameType::MemberLeft: return table.RemoveMember(m.key);
    default: return false;
    }
}

} // namespace plat::net
