// A short, deterministic stand-in for libFuzzer's driver, so that every fuzz target runs in the ordinary
// test suite: the starting inputs (files) of the target's corpus folder (when it exists), every one-byte
// input, then pseudo-random inputs from a fixed start, some of them built from the seeds. A crash or a
// sanitizer report fails the test.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

using Input = std::vector<std::uint8_t>;

std::vector<Input> seedsIn(const char* folder) {
    std::vector<Input> seeds;
    std::error_code error;
    if (folder == nullptr || !std::filesystem::is_directory(folder, error))
        return seeds;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        std::ifstream file(entry.path(), std::ios::binary);
        seeds.emplace_back(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    }
    return seeds;
}

// xorshift32: the same inputs on every run.
struct Random {
    std::uint32_t state = 0x9E3779B9u;
    std::uint32_t next() {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    }
};

void run(const Input& input) {
    LLVMFuzzerTestOneInput(input.data(), input.size());
}

}  // namespace

int main(int argc, char** argv) {
    constexpr int kRandomInputs = 3000;
    constexpr std::size_t kMaxLength = 2048;
    const std::vector<Input> seeds = seedsIn(argc > 1 ? argv[1] : nullptr);
    run({});
    for (const Input& start : seeds)
        run(start);
    for (int b = 0; b < 256; ++b)
        run({static_cast<std::uint8_t>(b)});
    Random random;
    for (int i = 0; i < kRandomInputs; ++i) {
        Input input;
        if (!seeds.empty() && i % 2 == 0) {
            // A starting input with a few bytes changed, cut or lengthened.
            input = seeds[random.next() % seeds.size()];
            const std::uint32_t changes = 1 + random.next() % 8;
            for (std::uint32_t c = 0; c < changes && !input.empty(); ++c)
                input[random.next() % input.size()] = static_cast<std::uint8_t>(random.next());
            input.resize(random.next() % (input.size() + 64));
        } else {
            input.resize(random.next() % kMaxLength);
            for (auto& byte : input)
                byte = static_cast<std::uint8_t>(random.next());
        }
        run(input);
    }
    std::printf("%zu seeds, 257 short inputs, %d random inputs\n", seeds.size(), kRandomInputs);
    return 0;
}
