// The binary protocol's items, payloads, sealing and text frames, byte for byte.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "common/crc16.h"
#include "common/hex.h"
#include "netcfg/device_record.h"
#include "netcfg/packet.h"
#include "netcfg/text_frame.h"

namespace hollin::netcfg {
namespace {

Bytes item(std::uint8_t type, std::uint8_t index, Bytes data) {
    Bytes out;
    appendItem(out, type, index, data);
    return out;
}

Bytes cat(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& part : parts)
        out.insert(out.end(), part.begin(), part.end());
    return out;
}

TEST(NetcfgItems, SizesPaddingTerminatorAndAddressItem) {
    EXPECT_EQ(item(1, 0, {}).size(), 8u);
    EXPECT_EQ(item(1, 0, {1}).size(), 8u);
    EXPECT_EQ(item(1, 0, {1, 2}).size(), 8u);
    EXPECT_EQ(item(1, 0, {1, 2, 3}).size(), 12u);
    EXPECT_EQ(toHex(item(0, 0, {}), " "), "00 00 08 00 00 00 FD B4");
    EXPECT_EQ(toHex(item(3, 0, {192, 168, 1, 10}), " "), "03 00 0C 00 C0 A8 01 0A 00 00 8D 03");
}

TEST(NetcfgHeader, RequestsAndParse) {
    std::string zeros;
    for (int i = 0; i < 24; ++i)
        zeros += " 00";
    EXPECT_EQ(toHex(buildHeader(searchRequestHeader(false)), " "), "2A 76 4E 01 10 01 01 00" + zeros);
    const auto directed = buildHeader(searchRequestHeader(true));
    EXPECT_EQ(directed[5], 0x03);
    EXPECT_EQ(directed[6], 0x02);
    PacketHeader write = writeRequestHeader(true, {1, 2, 3, 4, 5, 6});
    write.payloadCrc = 0x86CE;
    const auto bytes = buildHeader(write);
    EXPECT_EQ(toHex(std::span(bytes).first(16), " "), "2A 76 4E 01 10 03 03 00 CE 86 01 02 03 04 05 06");
    EXPECT_EQ(buildHeader(*parseHeader(bytes)), bytes);
    EXPECT_FALSE(parseHeader(std::span(bytes).first(31)));
}

TEST(NetcfgSeal, KnownVectorSealsAndOpensBack) {
    const Bytes payload = decodeHexLenient("02 01 08 00 00 00 EC 95 02 00 08 00 15 00 3B C3");
    PacketHeader header = writeRequestHeader(false, {});
    const Bytes datagram = sealPacket(header, payload, kDefaultKeyConstant);
    ASSERT_EQ(datagram.size(), 48u);
    EXPECT_EQ(datagram[8], 0xCE);
    EXPECT_EQ(datagram[9], 0x86);
    EXPECT_EQ(toHex(std::span(datagram).subspan(32), " "), "84 08 99 36 6F 28 8A 8C E3 5A AD 77 6A A2 2F 9D");
    Bytes reply = datagram;
    reply[5] |= kFlagReply;
    const auto opened = openReply(reply, kDefaultKeyConstant);
    ASSERT_TRUE(opened);
    EXPECT_EQ(opened->payload, payload);
    EXPECT_FALSE(openReply(datagram, kDefaultKeyConstant)) << "a request is no reply";
    EXPECT_FALSE(openReply(std::span(reply).first(31), kDefaultKeyConstant));
}

TEST(NetcfgSeal, KeyConstantFromEnvironmentText) {
    std::string note;
    const auto sink = [&](std::string_view t) { note += t; };
    EXPECT_EQ(keyConstantFromText(std::nullopt, sink), kDefaultKeyConstant);
    EXPECT_EQ(keyConstantFromText("00112233445566778899AABBCCDD", sink)[13], 0xDD);
    EXPECT_TRUE(note.empty());
    EXPECT_EQ(keyConstantFromText("secretsecret", sink), kDefaultKeyConstant);
    EXPECT_NE(note.find("HOLLIN_NETCFG_KEY"), std::string::npos);
    EXPECT_EQ(note.find("secretsecret"), std::string::npos);
}

DeviceRecord wifiRecord() {
    DeviceRecord record;
    record.productCode = 21;
    record.hasWifi = 1;
    record.ipAddress = {192, 168, 1, 10};
    record.netmask = {255, 255, 255, 0};
    std::memcpy(record.ssid.data(), "IEEE", 4);
    setPassphrase(record, "password");
    return record;
}

TEST(NetcfgPayload, WifiProductDerivesPskFillsExtraAndRoundTrips) {
    const DeviceRecord record = wifiRecord();
    const Bytes payload = buildPayload(record);
    DeviceRecord parsed;
    ASSERT_TRUE(parsePayload(payload, parsed));
    EXPECT_EQ(toHex(parsed.wpaPsk()), "F42C6FC52DF0EBEF9EBB4B90B38A5F902E83FE1B135A70E23AED762E9710A12E");
    EXPECT_EQ(std::string(parsed.wifiExtra.begin(), parsed.wifiExtra.begin() + 14), "HollinWiFiExt0");
    EXPECT_EQ(parsed.productCode, 21);
    EXPECT_EQ(parsed.hasWifi, 1u) << "product flags follow item 2";
    EXPECT_EQ(parsed.ipAddress, record.ipAddress);
    EXPECT_EQ(passphraseOf(parsed), "password");
    EXPECT_EQ(record.wpaPsk()[0], 0) << "the caller's record is not changed";
}

TEST(NetcfgPayload, TheKeyComesFromTheGivenDerivation) {
    int calls = 0;
    const auto derive = [&calls](std::string_view passphrase, std::string_view ssid) {
        ++calls;
        EXPECT_EQ(passphrase, "password");
        EXPECT_EQ(ssid, "IEEE");
        WpaPsk psk;
        psk.fill(0xA5);
        return psk;
    };
    DeviceRecord parsed;
    ASSERT_TRUE(parsePayload(buildPayload(wifiRecord(), kDefaultWifiExtra, derive), parsed));
    EXPECT_EQ(calls, 1);
    std::string expected;
    for (int i = 0; i < 32; ++i)
        expected += "A5";
    EXPECT_EQ(toHex(parsed.wpaPsk()), expected);
}

TEST(NetcfgPayload, SetPassphraseWritesTheWholeArea) {
    DeviceRecord record;
    record.passPhraseArea.fill('k');  // an old key
    setPassphrase(record, std::string(32, 'p'));
    EXPECT_EQ(passphraseOf(record), std::string(32, 'p'));
}

TEST(NetcfgPayload, TerminatorOnMultiplesOf256Only) {
    DeviceRecord record;
    record.options = 4u << 21;  // no alternative text
    record.hasWifi = record.hasIo = 1;
    record.inputCount = 1;
    const Bytes payload = buildPayload(record);
    ASSERT_EQ(payload.size(), 768u + 8u);
    EXPECT_EQ(toHex(std::span(payload).last(8)), "000008000000FDB4");
    for (std::size_t size : {256u, 512u, 300u}) {
        Bytes body(size, 0);
        closePayload(body);
        EXPECT_EQ(body.size(), size % 256 == 0 ? size + 8 : size) << size;
    }
}

TEST(NetcfgPayload, MalformedPayloadsAreRejected) {
    const Bytes good = item(3, 0, {10, 0, 0, 1});
    Bytes badSecond = item(3, 1, {255, 0, 0, 0});
    badSecond.back() ^= 1;
    Bytes zeroLength = item(3, 0, {1, 2, 3, 4});
    zeroLength[2] = 0;
    Bytes fourLength = zeroLength, tenLength = zeroLength, pastEnd = zeroLength;
    fourLength[2] = 4;
    tenLength[2] = 10;
    pastEnd[2] = 16;
    const Bytes huge = item(48, 0, Bytes(1401, 7));
    const Bytes cases[] = {cat({good, badSecond}),  cat({good, pastEnd}),   cat({good, zeroLength}),
                           cat({good, fourLength}), cat({good, tenLength}), huge,
                           cat({good, Bytes(4, 0)})};
    for (const Bytes& payload : cases) {
        std::string note;
        DeviceRecord record;
        EXPECT_FALSE(parsePayload(payload, record, [&](std::string_view t) { note += t; }))
            << toHex(payload, " ");
        EXPECT_TRUE(note == "CRC fail...\n" || note == "What ENV???\n") << note;
    }
    DeviceRecord record;
    EXPECT_TRUE(parsePayload(item(48, 0, Bytes(1398, 7)), record)) << "1398 data bytes fill the scratch area";
}

TEST(NetcfgPayload, SkipRulesAndItem35ByPosition) {
    const Bytes payload =
        cat({item(16, 4, Bytes(12, 9)), item(36, 8, Bytes(32, 9)), item(32, 2, Bytes(20, 1)),
             item(35, 2, Bytes(64, 'c')), item(35, 2, Bytes(64, 'b')), item(49, 12, Bytes(24, 1)),
             item(16, 3, Bytes(12, 3)), item(35, 3, Bytes(64, 'x'))});
    DeviceRecord record;
    ASSERT_TRUE(parsePayload(payload, record));
    EXPECT_EQ(record.channels[2].text[0], 'c');
    EXPECT_EQ(record.block35_2[0], 'b');
    EXPECT_EQ(record.block35_3[0], 'x') << "after item 16, not 32, index 3 is the block";
    EXPECT_EQ(record.channels[2].valid, 1u);
    EXPECT_EQ(record.channels[3].valid, 1u);
    EXPECT_EQ(record.macros, DeviceRecord{}.macros);
    // A built channel 2 sends its text right after its item 32 and reads back the same way.
    DeviceRecord built;
    built.channels[2].valid = 1;
    built.channels[2].text[0] = 't';
    built.block35_2[0] = 'b';
    built.hasIo = 1;
    DeviceRecord back;
    ASSERT_TRUE(parsePayload(buildPayload(built), back));
    EXPECT_EQ(back.channels[2].text[0], 't');
    EXPECT_EQ(back.block35_2[0], 'b');
}

TEST(NetcfgPayload, MergeKeepsUnknownReplacesKnownAndAppendsMissing) {
    const Bytes stored =
        cat({item(2, 1, {0, 0}), item(41, 0, {'v', 'e', 'n', 'd', 'o', 'r'}), item(3, 0, {10, 0, 0, 1}),
             item(8, 0, Bytes(48, 'o')), item(42, 0, Bytes(200, 1))});
    const Bytes built = cat({item(2, 1, {5, 0}), item(3, 0, {10, 0, 0, 9}), item(8, 0, Bytes(20, 'n')),
                             item(5, 0, {1, 0, 0, 0})});
    const Bytes merged = mergePayload(stored, built);
    EXPECT_EQ(merged,
              cat({item(2, 1, {5, 0}), item(41, 0, {'v', 'e', 'n', 'd', 'o', 'r'}), item(3, 0, {10, 0, 0, 9}),
                   item(8, 0, Bytes(20, 'n')), item(42, 0, Bytes(200, 1)), item(5, 0, {1, 0, 0, 0})}));
    EXPECT_EQ(mergePayload(stored, stored), stored);
    EXPECT_EQ(mergePayload(cat({stored, stored}), built).size() % 4, 0u);
}

// The I/O products carry item 35 index 2 (and 3) twice: a channel's text and a block of its own.
TEST(NetcfgPayload, MergeReplacesChannelTextAndBlockOfItem35Apart) {
    for (std::uint8_t index : {2, 3}) {
        const Bytes stored =
            cat({item(32, index, Bytes(20, 1)), item(35, index, Bytes(64, 'c')), item(38, 0, Bytes(24, 0)),
                 item(35, index, Bytes(64, 'b')), item(42, 0, Bytes(200, 1))});
        const Bytes built = cat({item(32, index, Bytes(20, 2)), item(35, index, Bytes(64, 'C')),
                                 item(35, index, Bytes(64, 'B'))});
        EXPECT_EQ(
            mergePayload(stored, built),
            cat({item(32, index, Bytes(20, 2)), item(35, index, Bytes(64, 'C')), item(38, 0, Bytes(24, 0)),
                 item(35, index, Bytes(64, 'B')), item(42, 0, Bytes(200, 1))}))
            << int(index);
    }
}

// A pass phrase that fills its 32-byte field has no zero byte: the device's key follows it.
TEST(NetcfgPayload, StoredPassphraseEndsWithItsField) {
    for (const std::size_t length : {31u, 32u, 40u}) {
        DeviceRecord record = wifiRecord();
        setPassphrase(record, std::string(length, 'p'));
        DeviceRecord parsed;
        ASSERT_TRUE(parsePayload(buildPayload(record), parsed));
        EXPECT_EQ(storedPassphrase(parsed), std::string(std::min<std::size_t>(length, 32), 'p')) << length;
    }
}

TEST(NetcfgVersionRules, WebPortAndVersionBits) {
    DeviceRecord record;
    record.options = (1u << 18) | (1u << 19);
    applyVersionRules(record, 17, 1, 1, 0);
    EXPECT_EQ(record.options, 0u);
    EXPECT_EQ(record.channels[0].firstWord() & (1u << 18), 0u);
    applyVersionRules(record, 17, 1, 2, 4);
    EXPECT_EQ(record.options, 1u << 25);
    EXPECT_NE(record.channels[1].firstWord() & (1u << 18), 0u);
    applyVersionRules(record, 16, 0, 0, 0);
    EXPECT_EQ(record.webPortDefault, 80);
}

TEST(NetcfgText, FramesAndClassification) {
    const TextFrame search = buildSearchFrame();
    EXPECT_EQ(search[0], 2);
    EXPECT_EQ(std::string(search.begin() + 1, search.begin() + 6), "11111");
    EXPECT_EQ(search[1021], '\r');
    EXPECT_EQ(search[1023], 3);
    EXPECT_EQ(classifyTextDatagram(std::span(search).first(512)).kind, TextDatagramKind::OwnSearch);
    TextRecord record;
    record.fill(' ');
    std::memcpy(record.data(), "00000030F9ABCDEF", 16);
    const TextFrame save = buildSaveFrame(record);
    EXPECT_EQ(classifyTextDatagram(std::span(save).first(512)).kind, TextDatagramKind::OwnSave);
    // A device answer whose record begins "00000" is still an answer.
    TextFrame answer{};
    answer[0] = 2;
    std::copy(record.begin(), record.end(), answer.begin() + 1);
    answer[1021] = '\r';
    answer[1022] = '\n';
    answer[1023] = 3;
    const TextDatagram got = classifyTextDatagram(answer);
    EXPECT_EQ(got.kind, TextDatagramKind::Answer);
    EXPECT_EQ(got.record, record);
    EXPECT_EQ(macTextOf(got.record), "000030F9ABCD");
    EXPECT_TRUE(isSaveAnswerFor(answer, "000030F9ABCD"));
    EXPECT_FALSE(isSaveAnswerFor(answer, "000030F9ABCE"));
    EXPECT_NE(classifyTextDatagram(std::span(answer).first(1023)).kind, TextDatagramKind::Answer);
    EXPECT_EQ(classifyTextDatagram({}).kind, TextDatagramKind::Ignored);
}

}  // namespace
}  // namespace hollin::netcfg
