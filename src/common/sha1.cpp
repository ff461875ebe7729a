#include "common/sha1.h"

#include <algorithm>
#include <bit>

#include "common/bytes.h"

namespace hollin {

using Sha1State = std::array<std::uint32_t, 5>;

// What the key-derivation loop needs from inside the hash: its chaining state.
struct Sha1Access {
    static Sha1State& state(Sha1& h) { return h.state_; }
};

namespace {

constexpr std::size_t kBlockSize = 64;

std::uint32_t loadBe32(const std::uint8_t* p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void storeBe32(std::uint32_t v, std::uint8_t* p) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}

// One compression of a block given as 16 big-endian words.
void compressWords(Sha1State& h, const std::uint32_t* words) {
    std::uint32_t w[16];
    std::copy(words, words + 16, w);
    std::uint32_t a = h[0], b = h[1], c = h[2], d = h[3], e = h[4];
    auto round = [&](int t, std::uint32_t f, std::uint32_t k) {
        if (t >= 16) {
            w[t & 15] = std::rotl(w[(t + 13) & 15] ^ w[(t + 8) & 15] ^ w[(t + 2) & 15] ^ w[t & 15], 1);
        }
        const std::uint32_t next = std::rotl(a, 5) + f + e + k + w[t & 15];
        e = d;
        d = c;
        c = std::rotl(b, 30);
        b = a;
        a = next;
    };
    for (int t = 0; t < 20; ++t) {
        round(t, (b & c) | (~b & d), 0x5A827999);
    }
    for (int t = 20; t < 40; ++t) {
        round(t, b ^ c ^ d, 0x6ED9EBA1);
    }
    for (int t = 40; t < 60; ++t) {
        round(t, (b & c) | (b & d) | (c & d), 0x8F1BBCDC);
    }
    for (int t = 60; t < 80; ++t) {
        round(t, b ^ c ^ d, 0xCA62C1D6);
    }
    h[0] += a;
    h[1] += b;
    h[2] += c;
    h[3] += d;
    h[4] += e;
}

void compressBytes(Sha1State& h, const std::uint8_t* block) {
    std::uint32_t words[16];
    for (int i = 0; i < 16; ++i) {
        words[i] = loadBe32(block + 4 * i);
    }
    compressWords(h, words);
}

// The two hashes of an HMAC key with their pad blocks already absorbed, reused for every message.
struct HmacKey {
    Sha1 inner;
    Sha1 outer;
};

HmacKey makeHmacKey(std::span<const std::uint8_t> key) {
    std::array<std::uint8_t, kBlockSize> padded{};
    if (key.size() > kBlockSize) {
        const Sha1Digest hashed = sha1(key);
        std::copy(hashed.begin(), hashed.end(), padded.begin());
    } else {
        std::copy(key.begin(), key.end(), padded.begin());
    }
    HmacKey result;
    std::array<std::uint8_t, kBlockSize> pad;
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        pad[i] = padded[i] ^ 0x36;
    }
    result.inner.update(pad);
    for (std::size_t i = 0; i < kBlockSize; ++i) {
        pad[i] = padded[i] ^ 0x5C;
    }
    result.outer.update(pad);
    return result;
}

Sha1Digest finishHmac(const HmacKey& key, Sha1 inner) {
    const Sha1Digest innerDigest = inner.finish();
    Sha1 outer = key.outer;
    outer.update(innerDigest);
    return outer.finish();
}

// Padding words of a message that is one 64-byte pad block plus a 20-byte digest: the digest fills
// words 0 to 4, then the 0x80 marker, zeros, and the bit length 84 * 8.
void setDigestPadding(std::uint32_t* words) {
    words[5] = 0x80000000u;
    std::fill(words + 6, words + 15, 0u);
    words[15] = (kBlockSize + 20) * 8;
}

// Block `index` (from 1) of PBKDF2: U1 = HMAC(salt || index), Uj = HMAC(Uj-1), T = U1 ^ ... ^ Uc.
// After U1 every HMAC hashes exactly one block for the inner and one for the outer hash, done here on
// words with the pad states taken once, without allocation or byte shuffling.
void pbkdf2Block(const HmacKey& key, std::span<const std::uint8_t> salt, std::uint32_t index,
                 std::uint32_t iterations, std::uint8_t* out, std::size_t outLen) {
    std::uint8_t indexBytes[4];
    storeBe32(index, indexBytes);
    Sha1 inner = key.inner;
    inner.update(salt);
    inner.update(indexBytes);
    const Sha1Digest first = finishHmac(key, inner);

    std::uint32_t u[16];
    for (int i = 0; i < 5; ++i) {
        u[i] = loadBe32(first.data() + 4 * i);
    }
    setDigestPadding(u);
    Sha1State t{u[0], u[1], u[2], u[3], u[4]};

    Sha1 innerCopy = key.inner;
    Sha1 outerCopy = key.outer;
    const Sha1State innerStart = Sha1Access::state(innerCopy);
    const Sha1State outerStart = Sha1Access::state(outerCopy);
    for (std::uint32_t j = 1; j < iterations; ++j) {
        Sha1State s = innerStart;
        compressWords(s, u);
        std::copy(s.begin(), s.end(), u);
        s = outerStart;
        compressWords(s, u);
        std::copy(s.begin(), s.end(), u);
        for (int i = 0; i < 5; ++i) {
            t[i] ^= u[i];
        }
    }

    std::uint8_t block[20];
    for (int i = 0; i < 5; ++i) {
        storeBe32(t[i], block + 4 * i);
    }
    std::copy(block, block + std::min<std::size_t>(outLen, 20), out);
}

}  // namespace

void Sha1::update(std::span<const std::uint8_t> bytes) {
    totalBytes_ += bytes.size();
    std::size_t pos = 0;
    if (blockUsed_ > 0) {
        const std::size_t take = std::min(kBlockSize - blockUsed_, bytes.size());
        std::copy_n(bytes.begin(), take, block_.begin() + static_cast<std::ptrdiff_t>(blockUsed_));
        blockUsed_ += take;
        pos = take;
        if (blockUsed_ < kBlockSize) {
            return;
        }
        compressBytes(state_, block_.data());
        blockUsed_ = 0;
    }
    for (; bytes.size() - pos >= kBlockSize; pos += kBlockSize) {
        compressBytes(state_, bytes.data() + pos);
    }
    std::copy(bytes.begin() + static_cast<std::ptrdiff_t>(pos), bytes.end(), block_.begin());
    blockUsed_ = bytes.size() - pos;
}

Sha1Digest Sha1::finish() {
    const std::uint64_t bitLength = totalBytes_ * 8;
    block_[blockUsed_++] = 0x80;
    if (blockUsed_ > kBlockSize - 8) {
        std::fill(block_.begin() + static_cast<std::ptrdiff_t>(blockUsed_), block_.end(), 0);
        compressBytes(state_, block_.data());
        blockUsed_ = 0;
    }
    std::fill(block_.begin() + static_cast<std::ptrdiff_t>(blockUsed_), block_.end() - 8, 0);
    for (int i = 0; i < 8; ++i) {
        block_[kBlockSize - 1 - i] = static_cast<std::uint8_t>(bitLength >> (8 * i));
    }
    compressBytes(state_, block_.data());
    blockUsed_ = 0;
    Sha1Digest digest;
    for (int i = 0; i < 5; ++i) {
        storeBe32(state_[i], digest.data() + 4 * i);
    }
    return digest;
}

Sha1Digest sha1(std::span<const std::uint8_t> bytes) {
    Sha1 h;
    h.update(bytes);
    return h.finish();
}

Sha1Digest hmacSha1(std::span<const std::uint8_t> key, std::span<const std::uint8_t> message) {
    const HmacKey k = makeHmacKey(key);
    Sha1 inner = k.inner;
    inner.update(message);
    return finishHmac(k, inner);
}

bool pbkdf2HmacSha1(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
                    std::uint32_t iterations, std::span<std::uint8_t> out) {
    if (iterations == 0) {
        return false;
    }
    const HmacKey key = makeHmacKey(password);
    std::uint32_t index = 1;
    for (std::size_t pos = 0; pos < out.size(); pos += 20, ++index) {
        pbkdf2Block(key, salt, index, iterations, out.data() + pos, out.size() - pos);
    }
    return true;
}

WpaPsk wpaPsk(std::string_view passphrase, std::string_view ssid) {
    WpaPsk psk{};
    pbkdf2HmacSha1(asBytes(passphrase), asBytes(ssid), 4096, psk);
    return psk;
}

}  // namespace hollin
