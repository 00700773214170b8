#include "platform/net/identity.h"

#include <cstdlib>
#include <sodium.h>

namespace plat::net {

namespace {

static_assert(crypto_sign_PUBLICKEYBYTES == sizeof(PublicKey) && crypto_sign_BYTES == sizeof(Signature) &&
              crypto_sign_SECRETKEYBYTES == 64);

void Ready() {
    // Safe to call from any thread, any number of times; it fails only when
    // the system has no source of randomness, and then no key can be made.
    static const bool ready = sodium_init() >= 0;
    if (!ready) std::abort();
}

} // namespace

Identity::Identity() {
    Ready();
    crypto_sign_keypair(m_public.data(), m_secret.data());
}

Identity::~Identity() { sodium_memzero(m_secret.data(), m_secret.size()); }

Signature Identity::Sign(std::span<const uint8_t> message) const {
    Signature s{};
    crypto_sign_detached(s.data(), nullptr, message.data(), message.size(), m_secret.data());
    return s;
}

bool Verify(const PublicKey& key, std::span<const uint8_t> message, const Signature& signature) {
    Ready();
    return crypto_sign_verify_detached(signature.data(), message.data(), message.size(), key.data()) == 0;
}

Nonce FreshNonce() {
    Nonce n{};
    FreshKey(n);
    return n;
}

void FreshKey(std::span<uint8_t> key) {
    Ready();
    randombytes_buf(key.data(), key.size());
}

} // namespace plat::net
