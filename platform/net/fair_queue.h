#pragma once
#include <cstddef>
#include <cstdint>
#include <deque>
#include <map>
#include <optional>
#include <vector>

#include "platform/net/wire.h"

namespace plat::net {

// Received messages waiting for the game, held per sender (a key: the
// machine behind a player). Senders take turns: one message of each sender
// with messages waiting, then the next round, so a sender that floods waits
// behind itself only. At the bounds the sender holding the most loses its
// oldest message, so each sender keeps at least its fair share of the room.
// Key 0 (the session's own notices) is never dropped.
class FairQueue {
public:
    struct Message {
        Id from = 0;
        std::vector<uint8_t> bytes;
    };

    FairQueue(size_t maxCount, size_t maxBytes) : m_maxCount(maxCount), m_maxBytes(maxBytes) {}

    // The sender whose message went to make room, if any did (perhaps this
    // one's own older message, or this message when alone it is too big).
    std::optional<Id> Push(uint64_t key, Id from, std::vector<uint8_t> bytes);
    // The message whose turn it is; stays until Pop.
    const Message* Front() const;
    void Pop();
    void Clear();

    size_t Count() const { return m_count; }
    size_t Bytes() const { return m_bytes; }
    size_t Waiting(uint64_t key) const;

private:
    struct Sender {
        std::deque<Message> messages;
        size_t bytes = 0;
    };
    // The sender with the most waiting, by count or by bytes; 0 for none.
    std::optional<uint64_t> Hog(bool byBytes) const;
    void DropOldest(uint64_t key);

    size_t m_maxCount, m_maxBytes;
    size_t m_count = 0, m_bytes = 0;
    std::map<uint64_t, Sender> m_senders;
    std::deque<uint64_t> m_turns; // senders with messages, the one due first
};

} // namespace plat::net
