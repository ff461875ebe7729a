#include "wificodec/settings_ini.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "wificodec/wifi_bands.h"

namespace hollin::wifi {
namespace {

TEST(WifiBands, CountriesChannelsAndTheThreeCharacterChannel) {
    ASSERT_EQ(countries().size(), 46u);
    EXPECT_EQ(countries()[0].code, "AT");
    EXPECT_EQ(countries()[45].name, "USA");
    EXPECT_EQ(countries()[kTaiwanRow].code, "TW");
    EXPECT_EQ(countries()[kTaiwanRow].channels[14], 149);
    EXPECT_EQ(countries()[countryRow("US")].channels.size(), 24u);  // L24
    EXPECT_EQ(countries()[countryRow("DE")].channels.back(), 140);  // L19
    EXPECT_EQ(countryRow("XX"), -1);
    EXPECT_EQ(countryRow("us"), -1);
    ASSERT_EQ(fiveGhzOptionChannels().size(), 31u);
    EXPECT_EQ(fiveGhzOptionChannels().back(), 196);
    const std::pair<int, std::string> fields[] = {
        {36, " 36"}, {149, "149"}, {11, " 11"}, {6, " 06"}, {1000, ""}};
    for (const auto& [channel, text] : fields)
        EXPECT_EQ(channelField(channel), text) << channel;
}

IniForm quatechForm() {
    IniForm f;
    f.version = "V1";
    f.mac = "00:1a:2b:3c:4d:5e";
    f.ssid = "HollinLab";
    f.dhcp = true;
    f.addresses = {Octets{192, 168, 1, 20}, Octets{255, 255, 255, 0}, Octets{192, 168, 1, 1}, std::nullopt};
    f.mode = 1;
    f.channel = 5;
    f.encryption = 0;
    f.authentication = 1;
    f.keyInUse = 2;
    f.wpaAuthentication = 1;
    f.wpaCipher = 0;
    f.wpaKey = "phrase";
    f.tcpPortField = "2328";
    return f;
}

std::string keysOf(const IniExport& out) {
    std::string s;
    for (const IniEntry& e : out.entries)
        s += e.key + "=" + e.value + ";";
    return s;
}

TEST(SettingsIni, TheFormsKeysInOrder) {
    EXPECT_EQ(
        keysOf(iniExportOf(quatechForm())),
        "Version=V1;MacAddress=001A2B3C4D5E;SSID=HollinLab;DHCP=1;IP=192.168.1.20;SUBNET=255.255.255.0;"
        "GATEWAY=192.168.1.1;DNS=0.0.0.0;MODE=1;CHANNEL=06;ENCRYPTION=0;AUTHENTICATION=1;USEKEY=3;WPA=1;"
        "WPAENC=0;WPAKEY=phrase;TCPPORT=9000;");
    IniForm noColons = quatechForm();
    noColons.mac = "001a2b3c4d5e";
    EXPECT_EQ(keysOf(iniExportOf(noColons)).find("MacAddress"), std::string::npos);
}

TEST(SettingsIni, TheKeyInUseAndTheStopRules) {
    struct Case {
        int encryption;
        int type;
        std::string key;
        std::string wpaKey;
        IniStop stop;
        std::string written;  // the KEY3 entry, or the last key written
    };
    const Case cases[] = {
        {2, 1, "abc", "", IniStop::None, "KEY3=616263"},
        {2, 0, std::string(26, 'A'), "", IniStop::None, "KEY3=" + std::string(26, 'A')},
        {2, 0, std::string(25, 'A'), "", IniStop::KeyLengthNotMatched, "USEKEY=3"},
        {1, 1, "abcdef", "", IniStop::KeyTooLong, "USEKEY=3"},
        {1, 0, "123456789", "", IniStop::KeyLengthNotMatched, "USEKEY=3"},
        {3, 0, "", std::string(33, 'w'), IniStop::WpaKeyTooLong, "USEKEY=3"},
        {3, 0, "", std::string(32, 'w'), IniStop::None, "WPAKEY=" + std::string(32, 'w')},
    };
    for (const Case& c : cases) {
        IniForm f = quatechForm();
        f.encryption = c.encryption;
        f.keyType = c.type;
        f.keyText = c.key;
        f.wpaKey = c.wpaKey;
        const IniExport out = iniExportOf(f);
        EXPECT_EQ(out.stop, c.stop) << c.key << c.wpaKey;
        const std::string all = keysOf(out);
        EXPECT_NE(all.find(c.written + ";"), std::string::npos) << all;
        if (c.stop != IniStop::None) {
            EXPECT_EQ(out.entries.back().key, "USEKEY");
        }
    }
}

TEST(SettingsIni, OnlyTheSectionsKeysChangeEveryOtherByteStays) {
    const std::string text =
        "; written by the label tool\r\n"
        "[Printer]\r\n"
        "SSID=not this one\r\n"
        "\r\n"
        "[wifiinfo]\r\n"
        "ssid = old\r\n"
        ";SSID=commented\r\n"
        "Other=kept\r\n"
        "\r\n"
        "[Last]\r\n"
        "x=1";
    const IniEntry entries[] = {{"SSID", "new\r\nline"}, {"MODE", "1"}};
    EXPECT_EQ(updateIniText(text, kExportSection, entries),
              "; written by the label tool\r\n"
              "[Printer]\r\n"
              "SSID=not this one\r\n"
              "\r\n"
              "[wifiinfo]\r\n"
              "ssid =newline\r\n"
              ";SSID=commented\r\n"
              "Other=kept\r\n"
              "MODE=1\r\n"
              "\r\n"
              "[Last]\r\n"
              "x=1");
    // No section: it is added at the end with the file's line ending; an empty file gets one too.
    EXPECT_EQ(updateIniText("[A]\nx=1", kExportSection, entries),
              "[A]\nx=1\n[WiFiInfo]\nSSID=newline\nMODE=1\n");
    EXPECT_EQ(updateIniText("", kExportSection, entries), "[WiFiInfo]\nSSID=newline\nMODE=1\n");
    // A section on the last line, without an ending.
    EXPECT_EQ(updateIniText("[WiFiInfo]", kExportSection, entries), "[WiFiInfo]\nSSID=newline\nMODE=1\n");
}

// The file on disk: replaced in one step with its permissions, never created, untouched on failure.
struct SettingsFileOnDisk : ::testing::Test {
    std::filesystem::path folder;
    std::filesystem::path path;
    void SetUp() override {
        char pattern[] = "/tmp/hollin-ini-XXXXXX";
        folder = ::mkdtemp(pattern);
        path = folder / "DU_RUVI.ini";
    }
    void TearDown() override { std::filesystem::remove_all(folder); }
    void write(const std::string& text) { std::ofstream(path, std::ios::binary) << text; }
    std::string contents() const {
        std::ifstream in(path, std::ios::binary);
        std::stringstream s;
        s << in.rdbuf();
        return s.str();
    }
};

TEST_F(SettingsFileOnDisk, ReplacedWithItsPermissionsNeverCreated) {
    auto file = makeSystemSettingsFile(path.string());
    EXPECT_FALSE(file->read());
    EXPECT_FALSE(file->replace("x"));
    EXPECT_FALSE(std::filesystem::exists(path));

    write("[WiFiInfo]\r\n");
    ::chmod(path.c_str(), 0640);
    ASSERT_EQ(file->read(), "[WiFiInfo]\r\n");
    ASSERT_TRUE(file->replace("[WiFiInfo]\r\nSSID=a\r\n"));
    EXPECT_EQ(contents(), "[WiFiInfo]\r\nSSID=a\r\n");
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 07777, 0640u);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(folder), {}), 1);  // no temporary left
}

TEST_F(SettingsFileOnDisk, AFolderThatTakesNoNewFileLeavesTheFileAsItWas) {
    write("[WiFiInfo]\nSSID=old\n");
    auto file = makeSystemSettingsFile(path.string());
    // The temporary cannot be made (as a read-only folder would refuse it, even to root).
    std::filesystem::create_directory(path.string() + ".part" + std::to_string(::getpid()));
    EXPECT_FALSE(file->replace("[WiFiInfo]\nSSID=new\n"));
    EXPECT_EQ(contents(), "[WiFiInfo]\nSSID=old\n");
}

}  // namespace
}  // namespace hollin::wifi
