#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QtGlobal>

#include <array>
#include <memory>

struct XXH3_state_s;

// What makes two files the same replay: a 128-bit XXH3 digest of the bytes of
// the compressed stream (name and comment behind it do not count). XXH3 is
// chosen over a cryptographic digest because it costs next to nothing beside
// the inflating, and 128 bits leave no practical chance of a collision among
// a player's files; anything deleted as a duplicate is compared byte for byte
// first anyway. A null identity means "not known" (no replay was read).
struct ReplayIdentity {
    static constexpr int Size = 16;
    std::array<quint8, Size> bytes{};

    bool isNull() const;
    // The 16 bytes in the digest's canonical (big-endian) order.
    QByteArray toByteArray() const;
    // From toByteArray(); a null identity when the size is wrong.
    static ReplayIdentity fromByteArray(QByteArrayView bytes);
    QByteArray toHex() const { return toByteArray().toHex(); }

    friend bool operator==(const ReplayIdentity &, const ReplayIdentity &) = default;
};

size_t qHash(const ReplayIdentity &identity, size_t seed = 0) noexcept;

// Digests a stream handed over in pieces (ReadReplayStream's stream bytes).
class ReplayIdentityDigest {
public:
    ReplayIdentityDigest();
    ~ReplayIdentityDigest();
    ReplayIdentityDigest(const ReplayIdentityDigest &) = delete;
    ReplayIdentityDigest &operator=(const ReplayIdentityDigest &) = delete;

    void add(QByteArrayView bytes);
    ReplayIdentity result() const;

    // The identity of a whole stream given at once.
    static ReplayIdentity of(QByteArrayView stream);

private:
    struct Free {
        void operator()(XXH3_state_s *state) const;
    };
    std::unique_ptr<XXH3_state_s, Free> m_state;
};
