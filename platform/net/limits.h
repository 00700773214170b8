#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <list>
#include <unordered_map>
#include <utility>
#include <vector>

namespace plat::net {

// So much a second on average and `burst` at once. Kept in millionths, so
// that what fills in over a time is the same however the time was split:
// however often it is asked in between, the same takes succeed (a rate is
// exact to a thousandth a second).
class Allowance {
public:
    Allowance(double rate, double burst, uint64_t nowMs);
    // Takes `cost` unless less than `floor` would be left. Nothing changes
    // when it does not.
    bool Take(double cost, uint64_t nowMs, double floor = 0);
    // `amount` more at once, over the burst too: what is over is spent
    // first and does not fill in again.
    void Give(double amount, uint64_t nowMs);
    double Left(uint64_t nowMs) const;

private:
    int64_t Filled(uint64_t nowMs) const;

    int64_t m_perMs, m_burst, m_left;
    uint64_t m_lastMs;
};

// A hash of addresses under a key of its own, drawn anew for each: nobody
// can choose addresses that fall together.
class AddressHash {
public:
    AddressHash();
    size_t operator()(uint32_t address) const;

private:
    std::array<uint8_t, 16> m_key;
};

// What a host hands out to machines that have proved nothing yet (its
// signatures, its answers to searches), rationed by source address and in
// all. Keyed by address, not port: a machine has as many ports as it likes.
// The addresses are their senders' own: a connection's, or a query's that
// carries the cookie of its address (queries.h).
//
// Each address has an allowance of its own, and all of them share one whose
// last `reserve` is kept for addresses not shut out of it. Where going over
// its own allowance is more than the machines of one address ever ask
// (`proven`: their hellos), it shuts the address out of the reserve at once,
// as a machine's few tries never do; otherwise a word past it is refused and
// not heard: it neither makes the address any less new to the host nor keeps
// its refusals from being forgotten. An address is also shut out of the
// reserve for a while once it has had more refused by the shared allowance
// than a machine's own few tries since it was last quiet: a flood's
// addresses, refused as soon as it asks more than the host hands out, are
// kept out of the reserve but for a word each now and then, however many
// there are, and an address it does not come from keeps its turn. The last
// `fresh` of the reserve are kept for addresses the host has not heard from
// lately: while a flood's addresses are still new to it, a joiner's first
// word is not lumped with theirs, and a joiner taken for one of them then
// has its turn again later however often it tried meanwhile.
//
// `tracked` addresses are kept apart, found by a keyed hash (AddressHash).
// An address is forgotten only once nothing it did would count at its next
// word: its allowance has filled again, it is not shut out, and it is new
// to the host with no refusal (quiet for a while, or never heard), so that
// no number of others coming and going hands one a fresh burst, a clean
// slate of refusals or a turn in the reserve. One that cannot be forgotten
// yet waits its turn again behind the others rather than holding up the
// rest. While none of those looked at can be forgotten (more addresses
// heard from within a while than are kept apart), an address with no entry
// of its own is held to that of its bucket: `buckets` entries shared by
// another keyed hash of the address. An address given an entry of its own
// takes everything its bucket knew along, which holds it at least as short
// as an entry it had kept would. One address, or a few, never takes more
// than its own allowance, however the table was filled.
class AddressLimits {
public:
    struct Rates {
        double own, ownBurst;
        double all, allBurst, reserve, fresh;
        bool proven = false;
    };
    enum class Verdict { Taken, OverOwn, OverAll };

    AddressLimits(const Rates& rates, size_t tracked, size_t buckets, uint64_t nowMs);
    Verdict Take(uint32_t address, uint64_t nowMs);
    // A word of the address turned away without taking anything (a
    // connection pushed out before its hello): counted as a refusal.
    void Refuse(uint32_t address, uint64_t nowMs);
    // Outside the reserve: shut out of it, itself or with its bucket.
    bool ShutOut(uint32_t address, uint64_t nowMs) const;
    // A word nobody is known to have sent: it takes the address's own
    // allowance and nothing else of it, and is not heard.
    bool TakeOwn(uint32_t address, uint64_t nowMs);
    // From the shared allowance only, while more than the reserve is left.
    bool TakeOutsideReserve(uint64_t nowMs);

private:
    struct Entry {
        Allowance own;
        uint64_t heardMs;
        uint64_t shutUntilMs = 0; // out of the reserve until then
        uint32_t refusals = 0;    // of the shared allowance, since it was last quiet for a while
        bool fresh = true;
        bool ShutOut(uint64_t nowMs) const { return nowMs < shutUntilMs; }
        // Nothing it did would count at its next word.
        bool Forgettable(uint64_t nowMs, double burst) const;
        void Shut(uint64_t nowMs);
        // Heard from now: forgets what it did before it was last quiet.
        // Whether it is new to the host.
        bool Heard(uint64_t nowMs);
        void Refused(uint64_t nowMs);
    };
    using Order = std::list<std::pair<uint32_t, Entry>>;
    // The address's own entry, made when there is room, else its bucket.
    Entry& Of(uint32_t address, uint64_t nowMs);
    size_t BucketOf(uint32_t address) const;

    const Rates m_rates;
    const size_t m_tracked;
    Allowance m_all;
    Order m_order; // the next to be looked at for forgetting first
    std::unordered_map<uint32_t, Order::iterator, AddressHash> m_index;
    std::vector<Entry> m_buckets;
    AddressHash m_bucketHash;
};

} // namespace plat::net
