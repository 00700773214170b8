#pragma once
#include <array>
#include <cstdint>
#include <span>

namespace plat::net {

// A machine's name in a session is the public half of a signing key pair
// made when it enters the session; the secret half never leaves the
// process. What the machine says to prove it is itself is a signature over
// a challenge fresh to one connection, so nothing it sends can be replayed
// or passed on to make another machine it.
using PublicKey = std::array<uint8_t, 32>;
using Signature = std::array<uint8_t, 64>;
// Random bytes that make a handshake's signatures its own.
using Nonce = std::array<uint8_t, 32>;

class Identity {
public:
    // A fresh key pair.
    Identity();
    ~Identity();
    Identity(const Identity&) = delete;
    Identity& operator=(const Identity&) = delete;

    const PublicKey& Key() const { return m_public; }
    Signature Sign(std::span<const uint8_t> message) const;

private:
    PublicKey m_public{};
    std::array<uint8_t, 64> m_secret{};
};

bool Verify(const PublicKey& key, std::span<const uint8_t> message, const Signature& signature);
Nonce FreshNonce();
// Fills a key of this process's own from the system's source of randomness
// (the program ends without one, as no identity can be made then).
void FreshKey(std::span<uint8_t> key);

} // namespace plat::net
