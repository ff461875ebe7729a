#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace hollin {

using Sha1Digest = std::array<std::uint8_t, 20>;

// SHA-1 (FIPS 180-4), fed in pieces.
class Sha1 {
  public:
    void update(std::span<const std::uint8_t> bytes);
    // The digest of everything fed so far; the object is spent afterwards.
    Sha1Digest finish();

  private:
    friend struct Sha1Access;

    std::array<std::uint32_t, 5> state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0};
    std::array<std::uint8_t, 64> block_{};
    std::size_t blockUsed_ = 0;
    std::uint64_t totalBytes_ = 0;
};

Sha1Digest sha1(std::span<const std::uint8_t> bytes);

// HMAC-SHA1 (RFC 2104); a key longer than 64 bytes is hashed first.
Sha1Digest hmacSha1(std::span<const std::uint8_t> key, std::span<const std::uint8_t> message);

// PBKDF2 with HMAC-SHA1 (RFC 8018): fills all of `out`. Returns false, leaving `out` untouched, when
// `iterations` is 0.
bool pbkdf2HmacSha1(std::span<const std::uint8_t> password, std::span<const std::uint8_t> salt,
                    std::uint32_t iterations, std::span<std::uint8_t> out);

using WpaPsk = std::array<std::uint8_t, 32>;

// The IEEE 802.11i pass-phrase mapping: PBKDF2-HMAC-SHA1 of the pass phrase with the SSID as salt,
// 4096 iterations, 32 bytes. Both texts are taken as given; callers cut them to their fields first.
WpaPsk wpaPsk(std::string_view passphrase, std::string_view ssid);

// wpaPsk, derived once per distinct pass phrase and SSID for the life of the process (a fleet of
// printers shares one pair; each derivation is 4096 rounds of PBKDF2). Safe from several threads;
// it keeps at most a few hundred pairs.
WpaPsk rememberedWpaPsk(std::string_view passphrase, std::string_view ssid);

}  // namespace hollin
