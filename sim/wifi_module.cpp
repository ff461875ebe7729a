#include "sim/wifi_module.h"

#include <algorithm>
#include <cctype>
#include <string_view>

#include "common/crc16.h"
#include "common/hex.h"
#include "wificodec/module_protocol.h"

namespace hollin::sim {
namespace {

using Body = std::span<const std::uint8_t>;
using Kind = WifiModuleState::Kind;
using wifi::Param;

std::string_view asText(Body bytes) {
    return {reinterpret_cast<const char*>(bytes.data()), bytes.size()};
}

std::pair<int, int> key(Param param) {
    const auto& p = wifi::moduleParameter(param);
    return {p.group, p.item};
}

Bytes padded(std::string_view text, std::size_t size) {
    Bytes out(text.begin(), text.end());
    out.resize(size, 0);
    return out;
}

void loadSollaeDefaults(WifiModuleState& s) {
    s.current.clear();
    const auto set = [&s](Param param, Bytes value) {
        value.resize(wifi::valueLength(wifi::moduleParameter(param)), 0);
        s.current[key(param)] = std::move(value);
    };
    set(Param::Ip, {192, 168, 1, 10});
    set(Param::Netmask, {255, 255, 255, 0});
    set(Param::Gateway, {192, 168, 1, 1});
    set(Param::Dns, {192, 168, 1, 1});
    set(Param::WifiOptions, {0x61, 0x40, 0x14});  // infrastructure, channel 6, Open System, WPA2-PSK, AES
    set(Param::Ssid, padded("HollinLab", 32));
    set(Param::Wep40, {0x12, 0x34, 0x56, 0x78, 0x9A});
    set(Param::Wep104, {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF, 0x01, 0x23, 0x45, 0x67, 0x89});
    set(Param::WpaKey, padded("hollin-module-phrase", 32));
    set(Param::WpaPsk, {});
    set(Param::WpaKeyExtension, {});
    set(Param::TcpOptions, {0x02, 0x00, 0x02});
    Bytes port(20, 0);
    port[8] = 0x8C;  // 9100
    port[9] = 0x23;
    set(Param::TcpPort, port);
    s.flashed = s.current;
}

void loadRecordDefaults(WifiModuleState& s) {
    using namespace wifi::field;
    wifi::WifiSettingsRecord& r = s.record;
    r = wifi::WifiSettingsRecord();
    r.setText(kPacketVersion, "01");
    r.setText(kMacAddress, "0030F9123456");
    r.setLine(kSsid, "HollinLab");
    r.setDigit(kDhcp, '0');
    r.setAddress(kIp, {192, 168, 1, 20});
    r.setAddress(kSubnet, {255, 255, 255, 0});
    r.setAddress(kGateway, {192, 168, 1, 1});
    r.setAddress(kDns, {192, 168, 1, 1});
    r.setDigit(kMode, '1');
    r.setText(kChannel, "06");
    r.setDigit(kEncryption, '3');
    r.setDigit(kAuthentication, '1');
    r.setDigit(kUseKey, '1');
    r.setText(kKey1, "1234567890");
    r.setText(kKey2, "");
    r.setText(kKey3, "");
    r.setText(kKey4, "");
    r.setDigit(kWpa, '2');
    r.setDigit(kWpaEnc, '1');
    r.setText(kWpaKey, "hollin-module-phrase");
    r.setText(kTcpPort, "238C");
    r.setDigit(kGeneration, s.kind == Kind::Inc ? '3' : '2');
    r.setDigit(kEapMethod, '0');
    r.setText(kEapId, "");
    r.setText(kEapPassword, "");
    r.setText(kCaCertificate, "");
    r.setText(kClientCertificate, "");
    r.setText(kPrivateKey, "");
    r.setDigit(kFastProvisioning, '0');
    r.setText(kFastMaxServers, "001");
    r.setDigit(kLpdEnable, '1');
    r.setLine(kLpdQueue, s.kind == Kind::Quatech ? "lpq1" : " ");
    r.setText(kChannel3, " 06");
    r.setDigit(kBand, s.kind == Kind::Inc ? '2' : '1');
    r.setText(kCountry, "US");
}

// The record text of a read reply: the record's pairs, CRC included, ended CR LF.
std::string recordReply(std::span<const std::uint8_t> record) {
    return "701\r\n" + toHex(record, " ") + "\r\n";
}

// "<hidden, N characters>" for a secret of N characters.
std::string hidden(std::size_t n) {
    return "<hidden, " + std::to_string(n) + " characters>";
}

std::string_view identificationOf(Kind kind) {
    switch (kind) {
        case Kind::Sollae:
            return "Sollae Systems WiFi module\r\n";
        case Kind::Quatech:
            return "QUATECH AirborneM2M\r\n";
        case Kind::Inc:
            return "Wireless INC module\r\n";
        default:
            return "WLAN module\r\n";
    }
}

}  // namespace

std::optional<Kind> parseModuleKind(std::string_view name) {
    std::string lower;
    for (char c : name)
        lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (Kind k : {Kind::None, Kind::Sollae, Kind::Quatech, Kind::Inc, Kind::Other}) {
        std::string label(moduleKindLabel(k));
        std::transform(label.begin(), label.end(), label.begin(),
                       [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); });
        if (label == lower)
            return k;
    }
    return std::nullopt;
}

std::string_view moduleKindLabel(Kind kind) {
    switch (kind) {
        case Kind::None:
            return "none";
        case Kind::Sollae:
            return "Sollae";
        case Kind::Quatech:
            return "QUATECH";
        case Kind::Inc:
            return "INC";
        case Kind::Other:
            return "other";
    }
    return "other";
}

void loadModuleDefaults(WifiModuleState& state) {
    if (state.kind == Kind::Sollae)
        loadSollaeDefaults(state);
    else
        loadRecordDefaults(state);
}

void writeState(JsonObject& out, const WifiModuleState& s) {
    JsonObject module;
    module.text("kind", moduleKindLabel(s.kind)).flag("isp_mode", s.ispMode);
    if (s.kind == Kind::Sollae) {
        JsonObject current;
        for (const auto& [gi, value] : s.current) {
            const wifi::ModuleParameter* p = wifi::findParameter(static_cast<std::uint8_t>(gi.first),
                                                                 static_cast<std::uint8_t>(gi.second));
            const std::string name = p ? std::string(p->name) : "unknown";
            current.text(name, p && p->secret ? hidden(value.size()) : toHex(value, " "));
        }
        module.text("version", std::to_string(s.versionMajor) + "." + std::to_string(s.versionMinor))
            .flag("basic_set", s.basicSet)
            .flag("unlocked", s.unlocked)
            .flag("flashed_matches_current", s.flashed == s.current)
            .number("writes", s.writes)
            .number("flashes", s.flashes)
            .object("current", current);
    } else if (s.kind != Kind::None) {
        using namespace wifi::field;
        const auto& r = s.record;
        module.text("ssid", r.line(kSsid))
            .text("ip", std::string(r.raw(kIp)))
            .text("mode", std::string(1, r.digit(kMode)))
            .text("encryption", std::string(1, r.digit(kEncryption)))
            .text("wpa", std::string(1, r.digit(kWpa)))
            .text("wpaenc", std::string(1, r.digit(kWpaEnc)))
            .text("wpakey", hidden(r.text(kWpaKey).size()))
            .text("tcpport", std::string(r.raw(kTcpPort)))
            .number("resets", s.resets)
            .number("wps_presses", s.wpsPresses);
    }
    out.object("wifi_module", module);
}

WifiModule::WifiModule(VirtualPrinter& printer, Kind kind) {
    state.kind = kind;
    loadModuleDefaults(state);

    // ESC [ M 01 / 00: ISP mode on and off.
    printer.addCommand(
        {"", {0x1B, 0x5B, 0x4D}, fixedBody(1), [this](Body body, CommandContext& p) {
             const bool on = body[0] == 0x01;
             p.log(on ? "wifi: enter ISP mode" : "wifi: leave ISP mode");
             if (state.kind == Kind::None)
                 return p.note("no module");
             state.ispMode = on;
             state.unlocked = false;
             if (on && state.misbehaviour != WifiModuleState::Misbehaviour::Silent)
                 p.reply(Bytes(identificationOf(state.kind).begin(), identificationOf(state.kind).end()));
         }});
    // ESC [ D 'S': the settings reset of QUATECH and INC modules.
    printer.addCommand(
        {"wifi: settings reset", {0x1B, 0x5B, 0x44, 0x53}, fixedBody(0), [this](Body, CommandContext& p) {
             if (!state.ispMode || (state.kind != Kind::Quatech && state.kind != Kind::Inc))
                 return p.note("ignored");
             loadRecordDefaults(state);
             ++state.resets;
         }});
    // ESC [ W P: an INC module starts Wi-Fi Protected Setup (no answer).
    printer.addCommand({"wifi: WPS", {0x1B, 0x5B, 0x57, 0x50}, fixedBody(0), [this](Body, CommandContext& p) {
                            if (!state.ispMode || state.kind != Kind::Inc)
                                return p.note("ignored");
                            ++state.wpsPresses;
                        }});
    // ESC [ D n text: a text command for the module.
    printer.addCommand({"",
                        {0x1B, 0x5B, 0x44},
                        [](Body rest) -> std::optional<std::size_t> {
                            if (rest.empty())
                                return std::nullopt;
                            const std::size_t n = rest[0];
                            if (n == 0)
                                return kNoMatch;
                            if (rest.size() < 1 + n)
                                return std::nullopt;
                            return 1 + n;
                        },
                        [this](Body body, CommandContext& p) { onPassThrough(body.subspan(1), p); }});
    // ESC [ 02: the bulk record frame.
    printer.addCommand(
        {"",
         {0x1B, 0x5B, 0x02},
         [](Body rest) -> std::optional<std::size_t> {
             const std::size_t body = wifi::kBulkFrameSize - 3;
             const std::string_view head = asText(rest.first(std::min<std::size_t>(rest.size(), 5)));
             if (!std::string_view("11111").starts_with(head) && !std::string_view("00000").starts_with(head))
                 return kNoMatch;
             if (rest.size() < body)
                 return std::nullopt;
             return body;
         },
         [this](Body body, CommandContext& p) { onBulk(body, p); }});
}

Bytes WifiModule::spoil(std::string answer) const {
    using M = WifiModuleState::Misbehaviour;
    switch (state.misbehaviour) {
        case M::Silent:
            return {};
        case M::Garbage:
            answer = "\x7F#?%garbage\r\n";
            break;
        case M::Truncated:
            answer.resize(answer.size() / 2);
            break;
        case M::WrongHeader:
            if (!answer.empty())
                answer[0] = 'x';
            break;
        default:
            break;
    }
    return Bytes(answer.begin(), answer.end());
}

void WifiModule::onPassThrough(Body text, CommandContext& p) {
    if (!state.ispMode || state.kind != Kind::Sollae) {
        p.log("wifi: module command");
        p.ignore(text.size());
        return p.note(state.ispMode ? "not a Sollae module" : "ISP mode is off");
    }
    std::string answer;
    std::string_view rest = asText(text);
    while (!rest.empty()) {
        const std::size_t end = rest.find('\r');
        runSollaeCommand(rest.substr(0, end), p, answer);
        if (end == std::string_view::npos)
            break;
        rest.remove_prefix(end + 1);
    }
    if (!answer.empty())
        p.reply(spoil(std::move(answer)));
}

void WifiModule::runSollaeCommand(std::string_view command, CommandContext& p, std::string& answer) {
    const auto refused = [&](std::string_view why) {
        answer += "700\r\n";
        p.note(why);
    };
    const auto parameterAt = [](std::string_view text) -> const wifi::ModuleParameter* {
        const Bytes gi = decodeHexLenient(text.substr(0, 5));
        if (text.size() < 5 || gi.size() != 2)
            return nullptr;
        return wifi::findParameter(gi[0], gi[1]);
    };
    if (command == "c 0") {
        p.log("wifi: version");
        // Sized once and filled in: GCC 12 at -O2 sees a false out-of-bounds copy in a vector insert.
        Bytes record(8 + state.mac.size(), 0);
        record[1] = 0x10;
        record[2] = static_cast<std::uint8_t>(state.versionMajor);
        record[3] = static_cast<std::uint8_t>(state.versionMinor);
        std::copy(state.mac.begin(), state.mac.end(), record.begin() + 8);
        appendItemCrc(record);
        answer += recordReply(record);
    } else if (command.starts_with("r ")) {
        const wifi::ModuleParameter* param = parameterAt(command.substr(2));
        p.log("wifi: read " + std::string(command.substr(2)));
        if (!param)
            return refused("unknown parameter");
        if ((state.basicSet && param->param == Param::WpaPsk) ||
            (state.misbehaviour == WifiModuleState::Misbehaviour::RefuseParameter &&
             state.refusedParameter == std::make_pair<int, int>(param->group, param->item)))
            return refused("refused");
        answer +=
            recordReply(wifi::parameterRecord(param->param, state.current[{param->group, param->item}]));
    } else if (command.starts_with("w ")) {
        const wifi::ModuleParameter* param = parameterAt(command.substr(2));
        p.log("wifi: write " + std::string(command.substr(2, 5)));
        if (!param)
            return refused("unknown parameter");
        if (!state.unlocked)
            return refused("locked");
        const Bytes record = decodeHexLenient(command.substr(7));
        if (record.size() != param->recordLength || record[0] != param->group || record[1] != param->item ||
            (record[2] | record[3] << 8) != static_cast<int>(param->recordLength) || !itemCrcMatches(record))
            return refused("bad record");
        if (state.misbehaviour == WifiModuleState::Misbehaviour::RefuseParameter &&
            state.refusedParameter == std::make_pair<int, int>(param->group, param->item))
            return refused("refused");
        state.current[{param->group, param->item}] = Bytes(record.begin() + 4, record.end() - 2);
        ++state.writes;
        answer += "701\r\n";
    } else if (command == "u 9e2b e19d") {
        p.log("wifi: unlock");
        state.unlocked = true;
        answer += "701\r\n";
    } else if (command == "f 7b3e") {
        p.log("wifi: flash");
        if (state.misbehaviour == WifiModuleState::Misbehaviour::RefuseFlash)
            return refused("flash refused");
        state.flashed = state.current;
        state.unlocked = false;
        ++state.flashes;
        answer += "701\r\n";
    } else if (command == "e 4") {
        p.log("wifi: e 4");
        answer += "701\r\n";
    } else if (command == "l 6f08") {
        p.log("wifi: load defaults");
        if (!state.unlocked)
            return refused("locked");
        const auto flashed = state.flashed;
        loadSollaeDefaults(state);
        state.flashed = flashed;
        answer += "701\r\n";
    } else {
        p.log("wifi: unknown module command");
        refused("unknown");
    }
}

void WifiModule::onBulk(Body body, CommandContext& p) {
    const bool write = body[0] == '0';
    p.log(write ? "wifi: bulk write" : "wifi: bulk read");
    if (!state.ispMode || state.kind == Kind::Sollae || state.kind == Kind::None)
        return p.note("ignored");
    if (write) {
        if (const auto record = wifi::WifiSettingsRecord::fromBytes(body.subspan(7)))
            state.record = *record;
    }
    using M = WifiModuleState::Misbehaviour;
    Bytes answer{0x02};
    answer.insert(answer.end(), body.begin(), body.begin() + 5);
    answer.insert(answer.end(), {'\r', '\n'});
    answer.insert(answer.end(), state.record.bytes().begin(), state.record.bytes().end());
    answer.insert(answer.end(), {'\r', '\n', 0x03});
    switch (state.misbehaviour) {
        case M::Silent:
            return;
        case M::Garbage:
            for (std::size_t i = 0; i < answer.size(); ++i)
                answer[i] = static_cast<std::uint8_t>('A' + i % 23);
            answer.back() = 0x03;
            break;
        case M::Truncated:
            answer.resize(answer.size() / 2);
            break;
        case M::WrongHeader:
            answer[0] = 'X';
            break;
        case M::No03:
            answer.pop_back();
            break;
        default:
            break;
    }
    p.reply(std::move(answer));
}

}  // namespace hollin::sim
