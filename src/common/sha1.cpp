#include "common/sha1.h"

#include <algorithm>
#include <bit>
#include <map>
#include <mutex>
#include <string>
#include <utility>

#include "common/bytes.h"

namespace hollin {

using Sha1State = std::array<std::uint32_t, 5>;

// What the key-derivation loop needs from inside the hash: its chaining state.
struct Sha1Access {
    static const Sha1State& state(const Sha1& h) { return h.state_; }
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

using Sha1Words = std::array<std::uint32_t, 16>;

// N independent compressions, each of a block given as 16 big-endian words, run round by round side
// by side so that the processor can overlap their dependency chains.
template <std::size_t N>
void compressLanes(std::array<Sha1State, N>& h, const std::array<Sha1Words, N>& words) {
    std::array<Sha1Words, N> w = words;
    std::uint32_t a[N], b[N], c[N], d[N], e[N];
    for (std::size_t l = 0; l < N; ++l) {
        a[l] = h[l][0];
        b[l] = h[l][1];
        c[l] = h[l][2];
        d[l] = h[l][3];
        e[l] = h[l][4];
    }
    auto round = [&](int t, auto f, std::uint32_t k) {
        for (std::size_t l = 0; l < N; ++l) {
            auto& wl = w[l];
            if (t >= 16) {
                wl[t & 15] =
                    std::rotl(wl[(t + 13) & 15] ^ wl[(t + 8) & 15] ^ wl[(t + 2) & 15] ^ wl[t & 15], 1);
            }
            const std::uint32_t next = std::rotl(a[l], 5) + f(b[l], c[l], d[l]) + e[l] + k + wl[t & 15];
            e[l] = d[l];
            d[l] = c[l];
            c[l] = std::rotl(b[l], 30);
            b[l] = a[l];
            a[l] = next;
        }
    };
    auto choose = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return (x & y) | (~x & z); };
    auto parity = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) { return x ^ y ^ z; };
    auto majority = [](std::uint32_t x, std::uint32_t y, std::uint32_t z) {
        return (x & y) | (x & z) | (y & z);
    };
    // Fully unrolled, the 16-word schedule stays in registers: about twice as fast.
#pragma GCC unroll 20
    for (int t = 0; t < 20; ++t) {
        round(t, choose, 0x5A827999);
    }
#pragma GCC unroll 20
    for (int t = 20; t < 40; ++t) {
        round(t, parity, 0x6ED9EBA1);
    }
#pragma GCC unroll 20
    for (int t = 40; t < 60; ++t) {
        round(t, majority, 0x8F1BBCDC);
    }
#pragma GCC unroll 20
    for (int t = 60; t < 80; ++t) {
        round(t, parity, 0xCA62C1D6);
    }
    for (std::size_t l = 0; l < N; ++l) {
        h[l][0] += a[l];
        h[l][1] += b[l];
        h[l][2] += c[l];
        h[l][3] += d[l];
        h[l][4] += e[l];
    }
}

void compressBytes(Sha1State& h, const std::uint8_t* block) {
    std::array<Sha1Words, 1> words;
    for (int i = 0; i < 16; ++i) {
        words[0][i] = loadBe32(block + 4 * i);
    }
    std::array<Sha1State, 1> state{h};
    compressLanes(state, words);
    h = state[0];
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
void setDigestPadding(Sha1Words& words) {
    words[5] = 0x80000000u;
    std::fill(words.begin() + 6, words.end() - 1, 0u);
    words[15] = (kBlockSize + 20) * 8;
}

// N blocks of PBKDF2 from `firstIndex` on, into `out` (at most 20 * N bytes): for block i,
// U1 = HMAC(salt || i), Uj = HMAC(Uj-1), T = U1 ^ ... ^ Uc. After U1 every HMAC hashes exactly one
// block for the inner and one for the outer hash: done here on words, from the pad states taken once,
// without allocation or byte shuffling, and N blocks side by side.
template <std::size_t N>
void pbkdf2Blocks(const HmacKey& key, std::span<const std::uint8_t> salt, std::uint32_t firstIndex,
                  std::uint32_t iterations, std::span<std::uint8_t> out) {
    std::array<Sha1Words, N> u;
    std::array<Sha1State, N> t;
    for (std::size_t l = 0; l < N; ++l) {
        std::uint8_t indexBytes[4];
        storeBe32(firstIndex + static_cast<std::uint32_t>(l), indexBytes);
        Sha1 inner = key.inner;
        inner.update(salt);
        inner.update(indexBytes);
        const Sha1Digest first = finishHmac(key, inner);
        for (int i = 0; i < 5; ++i) {
            t[l][i] = u[l][i] = loadBe32(first.data() + 4 * i);
        }
        setDigestPadding(u[l]);
    }

    const Sha1State innerStart = Sha1Access::state(key.inner);
    const Sha1State outerStart = Sha1Access::state(key.outer);
    std::array<Sha1State, N> s;
    for (std::uint32_t j = 1; j < iterations; ++j) {
        s.fill(innerStart);
        compressLanes(s, u);
        for (std::size_t l = 0; l < N; ++l) {
            std::copy(s[l].begin(), s[l].end(), u[l].begin());
        }
        s.fill(outerStart);
        compressLanes(s, u);
        for (std::size_t l = 0; l < N; ++l) {
            std::copy(s[l].begin(), s[l].end(), u[l].begin());
            for (int i = 0; i < 5; ++i) {
                t[l][i] ^= s[l][i];
            }
        }
    }

    std::array<std::uint8_t, 20 * N> blocks;
    for (std::size_t l = 0; l < N; ++l) {
        for (int i = 0; i < 5; ++i) {
            storeBe32(t[l][i], blocks.data() + 20 * l + 4 * i);
        }
    }
    std::copy_n(blocks.begin(), std::min(out.size(), blocks.size()), out.begin());
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
    // Blocks go in pairs (a WPA key is exactly one pair); a last lone block goes alone.
    std::uint32_t index = 1;
    for (std::size_t pos = 0; pos < out.size(); pos += 40, index += 2) {
        const auto rest = out.subspan(pos);
        if (rest.size() > 20) {
            pbkdf2Blocks<2>(key, salt, index, iterations, rest);
        } else {
            pbkdf2Blocks<1>(key, salt, index, iterations, rest);
        }
    }
    return true;
}

WpaPsk wpaPsk(std::string_view passphrase, std::string_view ssid) {
    WpaPsk psk{};
    pbkdf2HmacSha1(asBytes(passphrase), asBytes(ssid), 4096, psk);
    return psk;
}

WpaPsk rememberedWpaPsk(std::string_view passphrase, std::string_view ssid) {
    constexpr std::size_t kMostPairs = 256;
    static std::mutex lock;
    static std::map<std::pair<std::string, std::string>, WpaPsk> known;
    auto key = std::make_pair(std::string(passphrase), std::string(ssid));
    {
        const std::lock_guard guard(lock);
        if (const auto found = known.find(key); found != known.end())
            return found->second;
    }
    const WpaPsk psk = wpaPsk(passphrase, ssid);  // outside the lock: other pairs go on meanwhile
    const std::lock_guard guard(lock);
    if (known.size() >= kMostPairs)
        known.clear();
    known.emplace(std::move(key), psk);
    return psk;
}

}  // namespace hollin
