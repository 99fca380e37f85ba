#include "replay/ReplayIdentity.h"

#include <QHashFunctions>

#include <xxhash.h>

#include <cstring>

bool ReplayIdentity::isNull() const
{
    for (quint8 b : bytes) {
        if (b != 0)
            return false;
    }
    return true;
}

QByteArray ReplayIdentity::toByteArray() const
{
    return QByteArray(reinterpret_cast<const char *>(bytes.data()), Size);
}

ReplayIdentity ReplayIdentity::fromByteArray(QByteArrayView data)
{
    ReplayIdentity identity;
    if (data.size() == Size)
        std::memcpy(identity.bytes.data(), data.data(), Size);
    return identity;
}

size_t qHash(const ReplayIdentity &identity, size_t seed) noexcept
{
    return qHashBits(identity.bytes.data(), identity.bytes.size(), seed);
}

void ReplayIdentityDigest::Free::operator()(XXH3_state_s *state) const
{
    XXH3_freeState(state);
}

ReplayIdentityDigest::ReplayIdentityDigest()
    : m_state(XXH3_createState())
{
    if (m_state)
        XXH3_128bits_reset(m_state.get());
}

ReplayIdentityDigest::~ReplayIdentityDigest() = default;

void ReplayIdentityDigest::add(QByteArrayView bytes)
{
    if (m_state && !bytes.isEmpty())
        XXH3_128bits_update(m_state.get(), bytes.data(), size_t(bytes.size()));
}

namespace {

ReplayIdentity fromHash(XXH128_hash_t hash)
{
    XXH128_canonical_t canonical;
    XXH128_canonicalFromHash(&canonical, hash);
    ReplayIdentity identity;
    static_assert(sizeof(canonical.digest) == ReplayIdentity::Size);
    std::memcpy(identity.bytes.data(), canonical.digest, ReplayIdentity::Size);
    return identity;
}

} // namespace

ReplayIdentity ReplayIdentityDigest::result() const
{
    // Without a state (no memory) the identity stays unknown.
    if (!m_state)
        return {};
    return fromHash(XXH3_128bits_digest(m_state.get()));
}

ReplayIdentity ReplayIdentityDigest::of(QByteArrayView stream)
{
    return fromHash(XXH3_128bits(stream.data(), size_t(stream.size())));
}
