#include "platform/net/relay.h"

#include <algorithm>
#include <utility>

#include "platform/net/connection.h"

namespace plat::net {

RelayQueue::RelayQueue(Holdings& holdings, size_t share, const Stream* stream, Connection* member)
    : m_holdings(holdings), m_share(share), m_stream(stream), m_member(member) {
    m_holdings.m_queues.push_back(this);
}

RelayQueue::~RelayQueue() { std::erase(m_holdings.m_queues, this); }

bool RelayQueue::Fits(const PublicKey& from, size_t size) const {
    if (m_bytes + size <= m_share) return true;
    const auto it = m_from.find(from);
    const size_t senders = m_from.size() + (it == m_from.end() ? 1 : 0);
    return (it == m_from.end() ? 0 : it->second.bytes) + size <= m_share / senders;
}

void RelayQueue::Push(Parcel parcel) {
    Sender& sender = m_from[parcel.from];
    const bool joins = sender.waiting.empty();
    const PublicKey from = parcel.from;
    sender.bytes += parcel.Size();
    m_bytes += parcel.Size();
    parcel.place = ++m_pushed;
    sender.waiting.push_back(std::move(parcel));
    if (!joins) return;
    if (m_turns.empty()) {
        m_turns.push_back(from);
        return Begin();
    }
    m_turns.insert(m_turns.begin() + static_cast<std::ptrdiff_t>(1 + m_fresh), from);
    ++m_fresh;
}

void RelayQueue::Pass() {
    m_turns.pop_front();
    if (m_fresh > 0) --m_fresh;
}

void RelayQueue::Rotate() {
    const PublicKey from = m_turns.front();
    m_turns.pop_front();
    Sender& sender = m_from.at(from);
    if (sender.waiting.front().place > sender.hurry) sender.hurry = 0;
    m_turns.insert(sender.hurry ? m_turns.begin() + static_cast<std::ptrdiff_t>(m_fresh) : m_turns.end(), from);
    if (m_fresh > 0) --m_fresh;
}

void RelayQueue::Hurry(const PublicKey& from, uint64_t mark) {
    const auto it = m_from.find(from);
    if (it == m_from.end()) return;
    it->second.hurry = std::max(it->second.hurry, mark);
    const auto at = static_cast<size_t>(std::find(m_turns.begin(), m_turns.end(), from) - m_turns.begin());
    if (at <= m_fresh) return;
    m_turns.erase(m_turns.begin() + static_cast<std::ptrdiff_t>(at));
    m_turns.insert(m_turns.begin() + static_cast<std::ptrdiff_t>(1 + m_fresh), from);
}

void RelayQueue::Begin() {
    if (m_turns.empty()) return;
    m_from.at(m_turns.front()).turn += kTurnBytes;
    Settle();
}

void RelayQueue::Settle() {
    // A sender's turn ends once its next message is more than its turns
    // cover; what is left of them it keeps for its next.
    while (!m_turns.empty()) {
        const Sender& sender = m_from.at(m_turns.front());
        if (sender.waiting.front().Size() <= sender.turn) return;
        Rotate();
        m_from.at(m_turns.front()).turn += kTurnBytes;
    }
}

Parcel RelayQueue::Pop() {
    const auto it = m_from.find(m_turns.front());
    Sender& sender = it->second;
    Parcel p = std::move(sender.waiting.front());
    sender.waiting.pop_front();
    sender.bytes -= p.Size();
    sender.turn -= p.Size();
    m_bytes -= p.Size();
    if (!sender.waiting.empty()) {
        Settle();
        return p;
    }
    m_from.erase(it);
    Pass();
    Begin();
    return p;
}

void RelayQueue::Remove(const PublicKey& from) {
    const auto it = m_from.find(from);
    if (it == m_from.end()) return;
    m_bytes -= it->second.bytes;
    m_from.erase(it);
    const auto at = static_cast<size_t>(std::find(m_turns.begin(), m_turns.end(), from) - m_turns.begin());
    if (at == 0) {
        Pass();
        Begin();
    } else {
        m_turns.erase(m_turns.begin() + static_cast<std::ptrdiff_t>(at));
        if (at <= m_fresh) --m_fresh;
    }
}

uint64_t RelayQueue::Mark(const PublicKey& from) const {
    const auto it = m_from.find(from);
    return it == m_from.end() ? 0 : it->second.waiting.back().place;
}

bool RelayQueue::Past(const PublicKey& from, uint64_t mark) const {
    const auto it = m_from.find(from);
    return mark == 0 || it == m_from.end() || it->second.waiting.front().place > mark;
}

void RelayQueue::Clear() {
    m_from.clear();
    m_turns.clear();
    m_fresh = 0;
    m_bytes = 0;
}

void RelayQueue::Append(RelayQueue& other) {
    while (!other.Empty()) Push(other.Pop());
}

uint64_t RelayQueue::SinceMs() const {
    uint64_t since = m_stream ? m_stream->OldestMs() : 0;
    for (const auto& [key, sender] : m_from)
        if (since == 0 || sender.waiting.front().readMs < since) since = sender.waiting.front().readMs;
    return since;
}

size_t RelayQueue::HeldFor() const { return m_bytes + (m_stream ? m_stream->Kept() : 0); }

Parcel Holdings::Frame(std::vector<uint8_t> frame, const PublicKey& from, uint64_t nowMs) {
    const size_t size = frame.size();
    m_frames += size;
    m_senders[from] += size;
    // Let go by whichever holder takes it last, on the host's thread.
    const auto release = [this, from, size](const std::vector<uint8_t>* f) {
        delete f;
        m_frames -= size;
        const auto it = m_senders.find(from);
        if ((it->second -= size) == 0) m_senders.erase(it);
    };
    return {std::shared_ptr<const std::vector<uint8_t>>(new std::vector<uint8_t>(std::move(frame)), release), from,
            nowMs};
}

size_t Holdings::Held() const {
    size_t held = m_frames;
    for (const RelayQueue* q : m_queues)
        if (q->m_stream) held += q->m_stream->Own();
    return held;
}

size_t Holdings::Of(const PublicKey& sender) const {
    const auto it = m_senders.find(sender);
    return it == m_senders.end() ? 0 : it->second;
}

void Holdings::Await(const PublicKey& key) { m_awaited.try_emplace(key, std::make_unique<RelayQueue>(*this, kAwaitedOut)); }

RelayQueue* Holdings::Awaited(const PublicKey& key) {
    const auto it = m_awaited.find(key);
    return it == m_awaited.end() ? nullptr : it->second.get();
}

void Holdings::Withdraw(const PublicKey& sender) {
    for (RelayQueue* q : m_queues) q->Remove(sender);
}

Connection* Holdings::FirstToGo(size_t bytes, uint64_t nowMs) const {
    if (Held() + bytes <= kMaxHeldAll) return nullptr;
    // The oldest frame held, and of two as old the most held: a member
    // expected back is not let go for it (its queue has a bound of its own).
    const RelayQueue* first = nullptr;
    const auto before = [](const RelayQueue& a, const RelayQueue& b) {
        return a.SinceMs() != b.SinceMs() ? a.SinceMs() < b.SinceMs() : a.HeldFor() > b.HeldFor();
    };
    for (const RelayQueue* q : m_queues) {
        const uint64_t since = q->SinceMs();
        if (!q->m_member || !q->m_member->Member() || since == 0 || nowMs < since + kLetGoAfterMs) continue;
        if (!first || before(*q, *first)) first = q;
    }
    return first ? first->m_member : nullptr;
}

bool Holdings::WithinShare(const PublicKey& sender, size_t bytes) const {
    const size_t senders = m_senders.size() + (m_senders.contains(sender) ? 0 : 1);
    return Of(sender) + bytes <= kMaxHeldAll / senders;
}

} // namespace plat::net
