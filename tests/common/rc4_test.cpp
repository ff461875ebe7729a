#include "common/rc4.h"

#include <gtest/gtest.h>

#include <string_view>
#include <vector>

#include "common/bytes.h"
#include "common/hex.h"

namespace hollin {
namespace {

struct KeystreamAt {
    std::size_t offset;
    std::string_view bytes;
};

// RFC 6229: 16 keystream bytes at each offset.
void expectKeystream(std::string_view keyHex, std::initializer_list<KeystreamAt> expected) {
    const Bytes key = decodeHexLenient(keyHex);
    Bytes stream(4096 + 16, 0);
    ASSERT_TRUE(rc4Apply(key, stream));
    for (const auto& at : expected) {
        const Bytes got(stream.begin() + static_cast<std::ptrdiff_t>(at.offset),
                        stream.begin() + static_cast<std::ptrdiff_t>(at.offset + 16));
        EXPECT_EQ(got, decodeHexLenient(at.bytes)) << "key " << keyHex << " offset " << at.offset;
    }
}

TEST(Rc4, Rfc6229With40BitKey) {
    expectKeystream("0102030405", {{0, "b2396305f03dc027ccc3524a0a1118a8"},
                                   {16, "6982944f18fc82d589c403a47a0d0919"},
                                   {240, "28cb1132c96ce286421dcaadb8b69eae"},
                                   {256, "1cfcf62b03eddb641d77dfcf7f8d8c93"},
                                   {496, "42b7d0cdd918a8a33dd51781c81f4041"},
                                   {512, "6459844432a7da923cfb3eb4980661f6"},
                                   {752, "ec10327bde2beefd18f9277680457e22"},
                                   {768, "eb62638d4f0ba1fe9fca20e05bf8ff2b"},
                                   {1008, "45129048e6a0ed0b56b490338f078da5"},
                                   {1024, "30abbcc7c20b01609f23ee2d5f6bb7df"},
                                   {1520, "3294f744d8f9790507e70f62e5bbceea"},
                                   {1536, "d8729db41882259bee4f825325f5a130"},
                                   {2032, "1eb14a0c13b3bf47fa2a0ba93ad45b8b"},
                                   {2048, "cc582f8ba9f265e2b1be9112e975d2d7"},
                                   {3056, "f2e30f9bd102ecbf75aaade9bc35c43c"},
                                   {3072, "ec0e11c479dc329dc8da7968fe965681"},
                                   {4080, "068326a2118416d21f9d04b2cd1ca050"},
                                   {4096, "ff25b58995996707e51fbdf08b34d875"}});
    expectKeystream("833222772a", {{0, "80ad97bdc973df8a2e879e92a497efda"},
                                   {1520, "adb89cea9a15fbe617295bd04b8ca05c"},
                                   {4096, "bf42c3018c2f7c66bfde524975768115"}});
}

TEST(Rc4, Rfc6229With128BitKey) {
    expectKeystream("0102030405060708090a0b0c0d0e0f10", {{0, "9ac7cc9a609d1ef7b2932899cde41b97"},
                                                         {16, "5248c4959014126a6e8a84f11d1a9e1c"},
                                                         {240, "065902e4b620f6cc36c8589f66432f2b"},
                                                         {256, "d39d566bc6bce3010768151549f3873f"},
                                                         {496, "b6d1e6c4a5e4771cad79538df295fb11"},
                                                         {512, "c68c1d5c559a974123df1dbc52a43b89"},
                                                         {752, "c5ecf88de897fd57fed301701b82a259"},
                                                         {768, "eccbe13de1fcc91c11a0b26c0bc8fa4d"},
                                                         {1008, "e7a72574f8782ae26aabcf9ebcd66065"},
                                                         {1024, "bdf0324e6083dcc6d3cedd3ca8c53c16"},
                                                         {1520, "b40110c4190b5622a96116b0017ed297"},
                                                         {1536, "ffa0b514647ec04f6306b892ae661181"},
                                                         {2032, "d03d1bc03cd33d70dff9fa5d71963ebd"},
                                                         {2048, "8a44126411eaa78bd51e8d87a8879bf5"},
                                                         {3056, "fabeb76028ade2d0e48722e46c4615a3"},
                                                         {3072, "c05d88abd50357f935a63c59ee537623"},
                                                         {4080, "ff38265c1642c1abe8d3c2fe5e572bf8"},
                                                         {4096, "a36a4c301ae8ac13610ccbc12256cacc"}});
    expectKeystream("ebb46227c6cc8b37641910833222772a", {{0, "720c94b63edf44e131d950ca211a5a30"},
                                                         {2048, "5865fdbb5b48064104e830b380f2aede"},
                                                         {4096, "5bbeb4787d59e5373fdbea6c6f75c29b"}});
}

TEST(Rc4, EveryCallStartsAFreshKeyStream) {
    const Bytes key = decodeHexLenient("0102030405");
    Bytes first(16, 0);
    Bytes second(16, 0);
    ASSERT_TRUE(rc4Apply(key, first));
    ASSERT_TRUE(rc4Apply(key, second));
    EXPECT_EQ(first, second);
    EXPECT_EQ(first, decodeHexLenient("b2396305f03dc027ccc3524a0a1118a8"));

    // Deciphering is the same call.
    Bytes text{'p', 'a', 'y', 'l', 'o', 'a', 'd'};
    const Bytes plain = text;
    ASSERT_TRUE(rc4Apply(key, text));
    EXPECT_NE(text, plain);
    ASSERT_TRUE(rc4Apply(key, text));
    EXPECT_EQ(text, plain);
}

TEST(Rc4, EmptyKeyIsRefusedAndEmptyDataIsFine) {
    Bytes data{1, 2, 3};
    EXPECT_FALSE(rc4Apply({}, data));
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
    const std::uint8_t key[] = {0x42};
    EXPECT_TRUE(rc4Apply(key, {}));
}

}  // namespace
}  // namespace hollin
