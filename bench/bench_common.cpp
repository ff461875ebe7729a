#include <benchmark/benchmark.h>
#include <openssl/evp.h>

#include <array>
#include <string_view>
#include <vector>

#include "common/crc16.h"
#include "common/rc4.h"
#include "common/sha1.h"

namespace hollin {
namespace {

constexpr std::string_view kPassphrase = "ThisIsAPassword";
constexpr std::string_view kSsid = "ThisIsASSID";

std::vector<std::uint8_t> patternBytes(std::size_t count) {
    std::vector<std::uint8_t> bytes(count);
    for (std::size_t i = 0; i < count; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 31 + 7);
    }
    return bytes;
}

void BM_ItemCrc1KiB(benchmark::State& state) {
    const auto bytes = patternBytes(1024);
    for (auto _ : state) {
        benchmark::DoNotOptimize(itemCrc(bytes));
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1024);
}
BENCHMARK(BM_ItemCrc1KiB);

void BM_Rc4Payload1460(benchmark::State& state) {
    const auto key = patternBytes(16);
    auto payload = patternBytes(1460);
    for (auto _ : state) {
        rc4Apply(key, payload);
        benchmark::DoNotOptimize(payload.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * 1460);
}
BENCHMARK(BM_Rc4Payload1460);

void BM_WpaPsk(benchmark::State& state) {
    for (auto _ : state) {
        benchmark::DoNotOptimize(wpaPsk(kPassphrase, kSsid));
    }
}
BENCHMARK(BM_WpaPsk)->Unit(benchmark::kMicrosecond);

// Comparison baseline only: the same derivation through OpenSSL.
void BM_WpaPskOpenSsl(benchmark::State& state) {
    std::array<unsigned char, 32> psk{};
    for (auto _ : state) {
        PKCS5_PBKDF2_HMAC_SHA1(kPassphrase.data(), static_cast<int>(kPassphrase.size()),
                               reinterpret_cast<const unsigned char*>(kSsid.data()),
                               static_cast<int>(kSsid.size()), 4096, static_cast<int>(psk.size()),
                               psk.data());
        benchmark::DoNotOptimize(psk.data());
    }
}
BENCHMARK(BM_WpaPskOpenSsl)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace hollin
