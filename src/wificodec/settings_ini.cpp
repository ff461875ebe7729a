#include "wificodec/settings_ini.h"

#include <cstdio>

#include "common/hex.h"
#include "common/text_case.h"
#include "wificodec/record_save.h"

namespace hollin::wifi {
namespace {

std::string number(int value) {
    return std::to_string(value);
}

std::string dotted(const std::optional<Octets>& octets) {
    const Octets o = octets.value_or(Octets{});
    char text[20];
    std::snprintf(text, sizeof text, "%d.%d.%d.%d", o[0], o[1], o[2], o[3]);
    return text;
}

// Six parts joined and upper-cased; nothing when the text does not split into six.
std::optional<std::string> macValue(std::string_view mac) {
    std::string joined;
    int parts = 1;
    for (char c : mac) {
        if (c == ':')
            ++parts;
        else
            joined += (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
    }
    if (parts != 6)
        return std::nullopt;
    return joined;
}

// The WEP key in use's value, or why there is none.
IniStop wepKeyValue(const IniForm& form, std::string& value) {
    const bool wep64 = form.encryption == 1;
    if (form.keyType == 1) {
        if (form.keyText.size() > (wep64 ? 5u : 13u))
            return IniStop::KeyTooLong;
        value = asciiKeyHex(form.keyText);
        return IniStop::None;
    }
    if (form.keyText.size() != (wep64 ? 10u : 26u))
        return IniStop::KeyLengthNotMatched;
    value = form.keyText;
    return IniStop::None;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const auto last = s.find_last_not_of(" \t");
    return s.substr(first, last - first + 1);
}

struct Line {
    std::string_view body;    // without its ending
    std::string_view ending;  // "\r\n", "\n", "\r" or empty (the last line)
};

std::vector<Line> splitLines(std::string_view text) {
    std::vector<Line> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find_first_of("\r\n", start);
        if (end == std::string_view::npos) {
            lines.push_back({text.substr(start), {}});
            break;
        }
        const std::size_t endingSize =
            text[end] == '\r' && end + 1 < text.size() && text[end + 1] == '\n' ? 2 : 1;
        lines.push_back({text.substr(start, end - start), text.substr(end, endingSize)});
        start = end + endingSize;
    }
    return lines;
}

// "[name]" gives the name (trimmed), anything else nothing.
std::optional<std::string_view> sectionName(std::string_view body) {
    const std::string_view t = trimmed(body);
    if (t.size() < 2 || t.front() != '[')
        return std::nullopt;
    const auto close = t.find(']');
    if (close == std::string_view::npos)
        return std::nullopt;
    return trimmed(t.substr(1, close - 1));
}

// "name=value" gives the name (trimmed); comments and lines without '=' nothing.
std::optional<std::string_view> keyName(std::string_view body) {
    const std::string_view t = trimmed(body);
    if (t.empty() || t.front() == ';' || t.front() == '#')
        return std::nullopt;
    const auto equals = body.find('=');
    if (equals == std::string_view::npos)
        return std::nullopt;
    return trimmed(body.substr(0, equals));
}

std::string cleanValue(std::string_view value) {
    std::string out;
    for (char c : value)
        if (c != '\r' && c != '\n')
            out += c;
    return out;
}

}  // namespace

IniExport iniExportOf(const IniForm& form) {
    IniExport out;
    auto put = [&out](std::string_view key, std::string value) {
        out.entries.push_back({std::string(key), std::move(value)});
    };
    put("Version", form.version);
    if (auto mac = macValue(form.mac))
        put("MacAddress", *mac);
    put("SSID", form.ssid);
    put("DHCP", form.dhcp ? "1" : "0");
    put("IP", dotted(form.addresses[0]));
    put("SUBNET", dotted(form.addresses[1]));
    put("GATEWAY", dotted(form.addresses[2]));
    put("DNS", dotted(form.addresses[3]));
    put("MODE", number(form.mode));
    char channel[16];
    std::snprintf(channel, sizeof channel, "%02d", form.channel + 1);
    put("CHANNEL", channel);
    put("ENCRYPTION", number(form.encryption));
    put("AUTHENTICATION", number(form.authentication));
    put("USEKEY", number(form.keyInUse + 1));

    if (form.encryption == 1 || form.encryption == 2) {
        std::string value;
        out.stop = wepKeyValue(form, value);
        if (out.stop != IniStop::None)
            return out;
        if (form.keyInUse >= 0 && form.keyInUse < 4)
            put("KEY" + number(form.keyInUse + 1), value);
    } else if (form.encryption == 3 && form.wpaKey.size() > 32) {
        out.stop = IniStop::WpaKeyTooLong;
        return out;
    }

    put("WPA", number(form.wpaAuthentication));
    put("WPAENC", number(form.wpaCipher));
    put("WPAKEY", form.wpaKey);
    unsigned port = 0;
    bool hex = form.tcpPortField.size() == 4;
    for (char c : form.tcpPortField) {
        const int d = hexDigitValue(c);
        hex = hex && d >= 0;
        port = port * 16 + static_cast<unsigned>(d < 0 ? 0 : d);
    }
    put("TCPPORT", number(hex ? static_cast<int>(port) : 0));
    return out;
}

std::string updateIniText(std::string_view text, std::string_view section,
                          std::span<const IniEntry> entries) {
    const std::vector<Line> lines = splitLines(text);
    std::string_view newline = "\n";
    for (const Line& l : lines)
        if (!l.ending.empty()) {
            newline = l.ending;
            break;
        }

    // The section's header line and the line after which new keys go.
    std::optional<std::size_t> header, lastEntry;
    std::vector<std::optional<std::string>> replaced(lines.size());
    std::vector<bool> written(entries.size(), false);
    bool inside = false;
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (const auto name = sectionName(lines[i].body)) {
            inside = !header && sameIgnoringCase(*name, section);
            if (inside) {
                header = i;
                lastEntry = i;
            }
            continue;
        }
        if (!inside)
            continue;
        const auto key = keyName(lines[i].body);
        if (!key)
            continue;
        lastEntry = i;
        for (std::size_t e = 0; e < entries.size(); ++e) {
            if (written[e] || !sameIgnoringCase(*key, entries[e].key))
                continue;
            const std::string_view body = lines[i].body;
            replaced[i] = std::string(body.substr(0, body.find('=') + 1)) + cleanValue(entries[e].value);
            written[e] = true;
            break;
        }
    }

    std::string added;
    for (std::size_t e = 0; e < entries.size(); ++e)
        if (!written[e])
            added += entries[e].key + "=" + cleanValue(entries[e].value) + std::string(newline);

    std::string out;
    out.reserve(text.size() + added.size() + section.size() + 8);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        out += replaced[i] ? std::string_view(*replaced[i]) : lines[i].body;
        const bool insertHere = header && !added.empty() && lastEntry == i;
        out += lines[i].ending.empty() && (insertHere || i + 1 < lines.size()) ? newline : lines[i].ending;
        if (insertHere)
            out += added;
    }
    if (!header) {
        if (!out.empty() && out.back() != '\n' && out.back() != '\r')
            out += newline;
        out += "[" + std::string(section) + "]" + std::string(newline) + added;
    }
    return out;
}

}  // namespace hollin::wifi
