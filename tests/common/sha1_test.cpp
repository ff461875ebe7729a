#include "common/sha1.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "common/bytes.h"
#include "common/hex.h"

namespace hollin {
namespace {

Bytes repeated(std::uint8_t byte, std::size_t count) {
    return Bytes(count, byte);
}

// Published vectors are written in lower case.
std::string lowerHex(std::span<const std::uint8_t> bytes) {
    std::string text = toHex(bytes);
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}

TEST(Sha1, Fips180Examples) {
    EXPECT_EQ(lowerHex(sha1(asBytes("abc"))), "a9993e364706816aba3e25717850c26c9cd0d89d");
    EXPECT_EQ(lowerHex(sha1(asBytes("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"))),
              "84983e441c3bd26ebaae4aa1f95129e5e54670f1");
    EXPECT_EQ(lowerHex(sha1(asBytes("abcdefghbcdefghicdefghijdefghijkefghijklfghijklmghijklmn"
                                    "hijklmnoijklmnopjklmnopqklmnopqrlmnopqrsmnopqrstnopqrstu"))),
              "a49b2446a02c645bf419f995b67091253a04a259");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 1000000))), "34aa973cd4c4daa4f61eeb2bdbad27316534016f");
    EXPECT_EQ(lowerHex(sha1({})), "da39a3ee5e6b4b0d3255bfef95601890afd80709");
}

TEST(Sha1, PaddingAtTheBlockEdges) {
    // 55 bytes leave room for the length in one block, 56 do not; 64 fill a block exactly.
    EXPECT_EQ(lowerHex(sha1(repeated('a', 55))), "c1c8bbdc22796e28c0e15163d20899b65621d65a");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 56))), "c2db330f6083854c99d4b5bfb6e8f29f201be699");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 63))), "03f09f5b158a7a8cdad920bddc29b81c18a551f5");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 64))), "0098ba824b5c16427bd7a1122a5a442a25ec644d");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 65))), "11655326c708d70319be2610e8a57d9a5b959d3b");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 119))), "ee971065aaa017e0632a8ca6c77bb3bf8b1dfc56");
    EXPECT_EQ(lowerHex(sha1(repeated('a', 120))), "f34c1488385346a55709ba056ddd08280dd4c6d6");
}

TEST(Sha1, PiecesGiveTheSameDigestAsTheWhole) {
    std::mt19937 rng(11);
    Bytes message(200);
    for (auto& b : message) {
        b = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t length = 0; length <= message.size(); ++length) {
        const auto whole = std::span(message).first(length);
        for (std::size_t piece : {1u, 3u, 63u, 64u, 65u}) {
            Sha1 h;
            for (std::size_t pos = 0; pos < length; pos += piece) {
                h.update(whole.subspan(pos, std::min(piece, length - pos)));
            }
            ASSERT_EQ(h.finish(), sha1(whole)) << "length " << length << " piece " << piece;
        }
    }
}

TEST(HmacSha1, Rfc2202) {
    struct Case {
        Bytes key;
        Bytes data;
        std::string_view mac;
    };
    auto text = [](std::string_view s) { return Bytes(s.begin(), s.end()); };
    Bytes key25(25);
    for (std::size_t i = 0; i < key25.size(); ++i) {
        key25[i] = static_cast<std::uint8_t>(i + 1);
    }
    const Case cases[] = {
        {repeated(0x0b, 20), text("Hi There"), "b617318655057264e28bc0b6fb378c8ef146be00"},
        {text("Jefe"), text("what do ya want for nothing?"), "effcdf6ae5eb2fa2d27416d5f184df9c259a7c79"},
        {repeated(0xaa, 20), repeated(0xdd, 50), "125d7342b9ac11cd91a39af48aa17b4f63f175d3"},
        {key25, repeated(0xcd, 50), "4c9007f4026250c6bc8414f9bf50c86c2d7235da"},
        {repeated(0x0c, 20), text("Test With Truncation"), "4c1a03424b55e07fe7f27be1d58bb9324a9a5a04"},
        // Keys longer than a block are hashed first.
        {repeated(0xaa, 80), text("Test Using Larger Than Block-Size Key - Hash Key First"),
         "aa4ae5e15272d00e95705637ce8a3b55ed402112"},
        {repeated(0xaa, 80),
         text("Test Using Larger Than Block-Size Key and Larger Than One Block-Size Data"),
         "e8e99d0f45237d786d6bbaa7965c7808bbff1a91"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(lowerHex(hmacSha1(c.key, c.data)), c.mac);
    }
}

std::string pbkdf2Hex(std::string_view password, std::string_view salt, std::uint32_t iterations,
                      std::size_t length) {
    Bytes out(length);
    EXPECT_TRUE(pbkdf2HmacSha1(asBytes(password), asBytes(salt), iterations, out));
    return lowerHex(out);
}

TEST(Pbkdf2HmacSha1, Rfc6070) {
    EXPECT_EQ(pbkdf2Hex("password", "salt", 1, 20), "0c60c80f961f0e71f3a9b524af6012062fe037a6");
    EXPECT_EQ(pbkdf2Hex("password", "salt", 2, 20), "ea6c014dc72d6f8ccd1ed92ace1d41f0d8de8957");
    EXPECT_EQ(pbkdf2Hex("password", "salt", 4096, 20), "4b007901b765489abead49d926f721d065a429c1");
    EXPECT_EQ(pbkdf2Hex("passwordPASSWORDpassword", "saltSALTsaltSALTsaltSALTsaltSALTsalt", 4096, 25),
              "3d2eec4fe41c849b80c8d83662c0e44a8b291a964cf2f07038");
    using namespace std::string_view_literals;
    EXPECT_EQ(pbkdf2Hex("pass\0word"sv, "sa\0lt"sv, 4096, 16), "56fa6aa75548099dcc37d7f03425e0c3");
}

TEST(Pbkdf2HmacSha1, LongerOutputsRunOnThroughTheBlockIndexes) {
    // Reference values from Python's hashlib.pbkdf2_hmac: three blocks, and four with a partial last.
    const std::string four = pbkdf2Hex("password", "salt", 3, 65);
    EXPECT_EQ(four,
              "6b4e26125c25cf21ae35ead955f479ea2e71f6ff9e400029f04810eece31355533bb2ed348e604da707cc456"
              "2f85fe120c5c3f28ae007805d5e5fa11c0aa19fbfd");
    EXPECT_EQ(pbkdf2Hex("password", "salt", 3, 45), four.substr(0, 90));
}

// Takes over a minute in a debug build: run with --gtest_also_run_disabled_tests.
TEST(Pbkdf2HmacSha1, DISABLED_Rfc6070SixteenMillionIterations) {
    EXPECT_EQ(pbkdf2Hex("password", "salt", 16777216, 20), "eefe3d61cd4da4e4e9945b3d6ba2158c2634e984");
}

TEST(Pbkdf2HmacSha1, ZeroIterationsIsRefusedAndEmptyOutputIsFine) {
    Bytes out(20, 0x5A);
    EXPECT_FALSE(pbkdf2HmacSha1(asBytes("password"), asBytes("salt"), 0, out));
    EXPECT_EQ(out, repeated(0x5A, 20));
    EXPECT_TRUE(pbkdf2HmacSha1(asBytes("password"), asBytes("salt"), 1, {}));
}

TEST(WpaPsk, Ieee80211iAnnexH4) {
    EXPECT_EQ(lowerHex(wpaPsk("password", "IEEE")),
              "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e");
    EXPECT_EQ(lowerHex(wpaPsk("ThisIsAPassword", "ThisIsASSID")),
              "0dc0d6eb90555ed6419756b9a15ec3e3209b63df707dd508d14581f8982721af");
}

// The remembered key is the derived one, asked again or not, and a pair split differently ("pass" +
// "wordIEEE" against "password" + "IEEE") is another pair, from several threads at once.
TEST(WpaPsk, RememberedKeyIsTheDerivedOnePerPair) {
    const std::string ieee = "f42c6fc52df0ebef9ebb4b90b38a5f902e83fe1b135a70e23aed762e9710a12e";
    std::vector<std::thread> threads;
    std::vector<std::string> seen(8);
    for (std::size_t t = 0; t < seen.size(); ++t)
        threads.emplace_back([&seen, t] {
            seen[t] =
                lowerHex(t % 2 ? rememberedWpaPsk("pass", "wordIEEE") : rememberedWpaPsk("password", "IEEE"));
        });
    for (std::thread& thread : threads)
        thread.join();
    for (std::size_t t = 0; t < seen.size(); ++t)
        EXPECT_EQ(seen[t], t % 2 ? lowerHex(wpaPsk("pass", "wordIEEE")) : ieee) << t;
    EXPECT_EQ(lowerHex(rememberedWpaPsk("password", "IEEE")), ieee);
}

// --- Cross-check against wpa_supplicant's wpa_passphrase, an independent implementation. ---

std::string shellQuoted(std::string_view text) {
    std::string quoted = "'";
    for (char c : text) {
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    }
    return quoted + "'";
}

std::string runCommand(const std::string& command) {
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr) {
        return output;
    }
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        output += buffer;
    }
    pclose(pipe);
    return output;
}

std::string wpaPassphraseOracle(std::string_view passphrase, std::string_view ssid) {
    const std::string output =
        runCommand("wpa_passphrase " + shellQuoted(ssid) + " " + shellQuoted(passphrase) + " 2>&1");
    const std::string marker = "\tpsk=";
    const auto at = output.find(marker);
    if (at == std::string::npos) {
        ADD_FAILURE() << "wpa_passphrase gave no key for '" << passphrase << "' / '" << ssid << "':\n"
                      << output;
        return {};
    }
    return output.substr(at + marker.size(), 64);
}

std::string randomText(std::mt19937& rng, std::size_t minLength, std::size_t maxLength) {
    std::uniform_int_distribution<std::size_t> length(minLength, maxLength);
    std::uniform_int_distribution<int> printable(0x20, 0x7E);
    std::string text(length(rng), ' ');
    for (char& c : text) {
        c = static_cast<char>(printable(rng));
    }
    return text;
}

TEST(WpaPsk, AgreesWithWpaPassphrase) {
    ASSERT_FALSE(runCommand("command -v wpa_passphrase").empty())
        << "wpa_passphrase is missing: scripts/bootstrap installs it (Debian package wpasupplicant)";
    std::mt19937 rng(2024);
    // Pass phrases of 8 to 63 characters are all wpa_passphrase accepts; SSIDs of 1 to 32.
    for (int i = 0; i < 6; ++i) {
        const std::string passphrase = randomText(rng, 8, 63);
        const std::string ssid = randomText(rng, 1, 32);
        EXPECT_EQ(lowerHex(wpaPsk(passphrase, ssid)), wpaPassphraseOracle(passphrase, ssid))
            << "pass phrase '" << passphrase << "', SSID '" << ssid << "'";
    }
}

}  // namespace
}  // namespace hollin
