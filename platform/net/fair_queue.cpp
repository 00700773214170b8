#include "platform/net/fair_queue.h"

#include <algorithm>

namespace plat::net {

std::optional<Id> FairQueue::Push(uint64_t key, Id from, std::vector<uint8_t> bytes) {
    std::optional<Id> dropped;
    if (key != 0 && bytes.size() > m_maxBytes) return from;
    Sender& s = m_senders[key];
    if (s.messages.empty()) m_turns.push_back(key);
    s.bytes += bytes.size();
    m_bytes += bytes.size();
    s.messages.push_back({from, std::move(bytes)});
    ++m_count;
    for (;;) {
        const bool overCount = m_count > m_maxCount, overBytes = m_bytes > m_maxBytes;
        if (!overCount && !overBytes) break;
        const auto hog = Hog(overBytes);
        if (!hog) break;
        dropped = m_senders[*hog].messages.front().from;
        DropOldest(*hog);
    }
    return dropped;
}

std::optional<uint64_t> FairQueue::Hog(bool byBytes) const {
    std::optional<uint64_t> hog;
    size_t most = 0;
    for (const auto& [key, s] : m_senders) {
        const size_t held = byBytes ? s.bytes : s.messages.size();
        if (key != 0 && held > most) {
            most = held;
            hog = key;
        }
    }
    return hog;
}

void FairQueue::DropOldest(uint64_t key) {
    Sender& s = m_senders[key];
    s.bytes -= s.messages.front().bytes.size();
    m_bytes -= s.messages.front().bytes.size();
    s.messages.pop_front();
    --m_count;
    if (s.messages.empty()) {
        m_senders.erase(key);
        std::erase(m_turns, key);
    }
}

const FairQueue::Message* FairQueue::Front() const {
    if (m_turns.empty()) return nullptr;
    return &m_senders.at(m_turns.front()).messages.front();
}

void FairQueue::Pop() {
    if (m_turns.empty()) return;
    const uint64_t key = m_turns.front();
    m_turns.pop_front();
    DropOldest(key);
    // Still waiting: its next message comes after everyone else's.
    if (m_senders.count(key)) m_turns.push_back(key);
}

void FairQueue::Clear() {
    m_senders.clear();
    m_turns.clear();
    m_count = m_bytes = 0;
}

size_t FairQueue::Waiting(uint64_t key) const {
    const auto it = m_senders.find(key);
    return it == m_senders.end() ? 0 : it->second.messages.size();
}

} // namespace plat::net
