#include "netcfg/device_record.h"

#include <algorithm>
#include <cstring>
#include <optional>

#include "common/sha1.h"

namespace hollin::netcfg {
namespace {

static_assert(sizeof(DeviceRecord::wep40Keys) == 20 && sizeof(DeviceRecord::wep104Keys) == 52,
              "the WEP key tables travel as one block each");

std::uint16_t le16(const std::uint8_t* bytes) {
    return static_cast<std::uint16_t>(bytes[0] | (bytes[1] << 8));
}

std::uint32_t le32(const std::uint8_t* bytes) {
    return bytes[0] | (bytes[1] << 8) | (bytes[2] << 16) | (std::uint32_t{bytes[3]} << 24);
}

std::array<std::uint8_t, 2> le16Bytes(std::uint16_t value) {
    return {static_cast<std::uint8_t>(value & 0xFF), static_cast<std::uint8_t>(value >> 8)};
}

std::array<std::uint8_t, 4> le32Bytes(std::uint32_t value) {
    return {static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
            static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
}

template <typename Table>
std::span<std::uint8_t> blockOf(Table& table) {
    return {reinterpret_cast<std::uint8_t*>(table.data()), sizeof(table)};
}

// Where a parsed item goes: bytes of the record, or a number read little-endian.
struct Field {
    std::span<std::uint8_t> bytes;
    std::uint16_t* u16 = nullptr;
    std::uint32_t* u32 = nullptr;
};

Field bytesField(std::span<std::uint8_t> bytes) {
    return {bytes};
}

// The record field of item `type`/`index`; nothing for items the record does not keep. Item 35's
// indexes 2 and 3 name a channel's text when they follow that channel's item 32, else their blocks.
std::optional<Field> fieldOf(DeviceRecord& record, std::uint8_t type, std::uint8_t index,
                             std::optional<std::uint8_t> after32) {
    switch (type) {
        case 2:
            if (index > 1)
                return std::nullopt;
            return Field{{}, index == 0 ? &record.productCode : &record.productVariant};
        case 3: {
            std::array<std::uint8_t, 4>* addresses[] = {&record.ipAddress, &record.netmask, &record.gateway,
                                                        &record.dns};
            if (index > 3)
                return std::nullopt;
            return bytesField(*addresses[index]);
        }
        case 5:
            if (index != 0)
                return std::nullopt;
            return Field{{}, nullptr, &record.options};
        case 6:
            if (index > 1)
                return std::nullopt;
            return bytesField(index == 0 ? record.password : record.password2);
        case 7:
            if (index > 16)
                return std::nullopt;
            return bytesField(index == 0 ? std::span<std::uint8_t>(record.block7)
                                         : std::span(record.table16[index - 1]));
        case 8:
            if (index > 1)
                return std::nullopt;
            return bytesField(index == 0 ? record.textBlock0 : record.textBlock1);
        case 9:
            switch (index) {
                case 0:
                    return Field{{}, nullptr, &record.wifiWord};
                case 1:
                    return bytesField(record.ssid);
                case 2:
                    return bytesField(blockOf(record.wep40Keys));
                case 3:
                    return bytesField(blockOf(record.wep104Keys));
                case 4:
                    return bytesField(record.wpaPassphrase());
                case 5:
                    return bytesField(record.wpaPsk());
                case 6:
                    return bytesField(record.wifiExtra);
                default:
                    return std::nullopt;
            }
        case 16:
            if (index > 3)
                return std::nullopt;
            return bytesField(record.channels[index].head);
        case 32:
            if (index > 3)
                return std::nullopt;
            return bytesField(record.channels[index].core);
        case 33:
            return bytesField(record.block33);
        case 34:
            return bytesField(record.block34);
        case 35:
            if (index == 128 || index == 129)
                return bytesField(record.altText);
            if (index > 3)
                return std::nullopt;
            if (index >= 2 && after32 != index)
                return bytesField(index == 2 ? record.block35_2 : record.block35_3);
            return bytesField(record.channels[index].text);
        case 36:
            if (index > 7)
                return std::nullopt;
            return bytesField(record.macros[index]);
        case 37:
            return bytesField(record.ioBlock);
        case 38:
            return bytesField(record.block38);
        case 39:
            return bytesField(record.block39);
        case 40:
            return bytesField(record.webBlock);
        case 64:
            return Field{{}, &record.webPortDefault};
        default:
            return std::nullopt;  // 0, 4, 10..15, 17..31, 41..63 (48 and 49 are never kept), above 64
    }
}

void setProductFlags(DeviceRecord& record) {
    const auto code = record.productCode;
    const auto variant = record.productVariant;
    if (code == 16 || variant == 32 || variant == 33) {
        record.inputCount = record.macroCount = 8;
        record.hasIo = 1;
    } else if (code == 34 || variant == 34) {
        record.inputCount = record.macroCount = 4;
        record.hasIo = 1;
    } else if (code == 19) {
        record.hasBlock38 = 1;
        record.hasIo = 0;
    } else if (code == 21 || variant == 39 || variant == 40) {
        record.hasWifi = 1;
    } else {
        record.hasIo = record.hasBlock38 = record.hasWifi = 0;
    }
}

bool isWifiProduct(const DeviceRecord& record) {
    return record.productCode == 21 || record.productVariant == 39 || record.productVariant == 40;
}

// The text up to the first zero byte of `bytes`.
std::string_view zeroTerminated(std::span<const std::uint8_t> bytes) {
    const auto end = std::find(bytes.begin(), bytes.end(), 0);
    return {reinterpret_cast<const char*>(bytes.data()), static_cast<std::size_t>(end - bytes.begin())};
}

// The record as the printer is to receive it: the derived key and the defaults put in.
DeviceRecord preparedForWrite(DeviceRecord record, const std::array<std::uint8_t, 14>& wifiExtraDefault,
                              const PskDerivation& derive) {
    if (isWifiProduct(record)) {
        const WpaPsk psk = derive(passphraseOf(record), zeroTerminated(record.ssid));
        std::copy(psk.begin(), psk.end(), record.wpaPsk().begin());
        if (std::all_of(record.wifiExtra.begin(), record.wifiExtra.begin() + 14,
                        [](auto b) { return b == 0; }))
            std::copy(wifiExtraDefault.begin(), wifiExtraDefault.end(), record.wifiExtra.begin());
    }
    if (record.productCode == 18 || record.productVariant == 35) {
        const auto& head = record.channels[0].head;
        if (le32(head.data() + 8) == le32(head.data() + 4))
            record.channels[1].setFirstWord(0);
    }
    return record;
}

bool isTerminator(std::span<const std::uint8_t> item) {
    return item.size() == kMinItemSize && item[0] == 0 && item[1] == 0;
}

}  // namespace

void setPassphrase(DeviceRecord& record, std::string_view passphrase) {
    record.passPhraseArea.fill(0);
    const std::size_t n = std::min(passphrase.size(), record.passPhraseArea.size());
    std::memcpy(record.passPhraseArea.data(), passphrase.data(), n);
}

std::string_view passphraseOf(const DeviceRecord& record) {
    return zeroTerminated(record.passPhraseArea);
}

std::string_view storedPassphrase(const DeviceRecord& record) {
    return zeroTerminated(record.wpaPassphrase());
}

std::uint16_t modbusPort(const DeviceRecord& record) {
    return le16(record.ioBlock.data() + 8);
}

std::uint16_t ioAddress(const DeviceRecord& record, int which) {
    return le16(record.ioBlock.data() + (which == 0 ? 12 : 14));
}

std::uint32_t ioWord(const DeviceRecord& record) {
    return le32(record.ioBlock.data());
}

std::uint16_t webServerPort(const DeviceRecord& record) {
    return le16(record.webBlock.data());
}

std::uint32_t ipv4Of(const std::array<std::uint8_t, 4>& address) {
    return (std::uint32_t{address[0]} << 24) | (address[1] << 16) | (address[2] << 8) | address[3];
}

std::array<std::uint8_t, 4> ipv4Bytes(std::uint32_t address) {
    return {static_cast<std::uint8_t>(address >> 24), static_cast<std::uint8_t>(address >> 16),
            static_cast<std::uint8_t>(address >> 8), static_cast<std::uint8_t>(address)};
}

void closePayload(Bytes& payload) {
    if (!payload.empty() && payload.size() % 256 == 0)
        appendItem(payload, 0, 0, {});
}

Bytes buildPayload(const DeviceRecord& original, const std::array<std::uint8_t, 14>& wifiExtraDefault,
                   const PskDerivation& derive) {
    const DeviceRecord record = preparedForWrite(original, wifiExtraDefault, derive);
    Bytes payload;
    const auto item = [&payload](std::uint8_t type, std::uint8_t index, std::span<const std::uint8_t> data) {
        appendItem(payload, type, index, data);
    };
    item(2, 1, le16Bytes(record.productVariant));
    item(2, 0, le16Bytes(record.productCode));
    item(3, 0, record.ipAddress);
    item(3, 1, record.netmask);
    item(3, 2, record.gateway);
    item(3, 3, record.dns);
    for (std::uint8_t i = 0; i < 4; ++i) {
        const Channel& channel = record.channels[i];
        if (channel.valid != 1)
            continue;
        item(16, i, channel.head);
        item(32, i, channel.core);
        item(35, i, channel.text);
    }
    item(5, 0, le32Bytes(record.options));
    item(7, 0, record.block7);
    item(33, 0, record.block33);
    item(34, 0, record.block34);
    item(8, 0, record.textBlock0);
    item(8, 1, record.textBlock1);
    const std::uint32_t altSelect = (record.options >> 21) & 7;
    if (altSelect <= 3)
        item(35, altSelect <= 1 ? 128 : 129, record.altText);
    item(6, 0, record.password);
    item(6, 1, record.password2);
    if (record.hasIo == 1) {
        item(64, 0, le16Bytes(record.webPortDefault));
        for (std::uint8_t j = 0; j < std::min<std::uint8_t>(record.macroCount, 8); ++j)
            item(36, j, record.macros[j]);
        item(37, 0, record.ioBlock);
        item(35, 2, record.block35_2);
        for (std::uint8_t j = 0; j < std::min<std::uint8_t>(record.inputCount, 8); ++j)
            item(7, static_cast<std::uint8_t>(1 + j), record.table16[j]);
        for (std::uint8_t j = 0; j < std::min<std::uint8_t>(record.macroCount, 8); ++j)
            item(7, static_cast<std::uint8_t>(9 + j), record.table16[8 + j]);
    }
    if (record.hasBlock38 == 1) {
        item(38, 0, record.block38);
        item(35, 3, record.block35_3);
    }
    item(39, 0, record.block39);
    item(40, 0, record.webBlock);
    if (record.hasWifi == 1) {
        item(9, 0, le32Bytes(record.wifiWord));
        item(9, 1, record.ssid);
        item(9, 2,
             std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(record.wep40Keys.data()),
                                           20));
        item(9, 3,
             std::span<const std::uint8_t>(reinterpret_cast<const std::uint8_t*>(record.wep104Keys.data()),
                                           52));
        item(9, 4, record.wpaPassphrase());
        item(9, 5, record.wpaPsk());
        item(9, 6, record.wifiExtra);
    }
    closePayload(payload);
    return payload;
}

bool parsePayload(std::span<const std::uint8_t> payload, DeviceRecord& record,
                  const std::function<void(std::string_view)>& note) {
    std::optional<std::uint8_t> after32;  // the index of the item 32 just read
    const ItemFault fault = walkItems(payload, [&](const ItemView& item) {
        std::array<std::uint8_t, kMaxItemData> scratch{};
        std::copy(item.data.begin(), item.data.end(), scratch.begin());
        if (item.type == 1) {
            std::copy_n(scratch.begin(), 6, record.mac.begin());
            std::copy_n(scratch.begin() + 6, 6, record.idTail.begin());
        } else if (const auto field = fieldOf(record, item.type, item.index, after32)) {
            if (field->u16 != nullptr)
                *field->u16 = le16(scratch.data());
            else if (field->u32 != nullptr)
                *field->u32 = le32(scratch.data());
            else
                std::copy_n(scratch.begin(), field->bytes.size(), field->bytes.begin());
            if ((item.type == 16 || item.type == 32) && item.index <= 3)
                record.channels[item.index].valid = 1;  // else an edited port would never travel back
            if (item.type == 2)
                setProductFlags(record);
        }
        after32 = item.type == 32 ? std::optional(item.index) : std::nullopt;
    });
    if (fault == ItemFault::None)
        return true;
    if (note)
        note(fault == ItemFault::BadCrc ? "CRC fail...\n" : "What ENV???\n");
    return false;
}

Bytes mergePayload(std::span<const std::uint8_t> stored, std::span<const std::uint8_t> built) {
    const Bytes asBuilt(built.begin(), built.end());
    if (built.size() >= stored.size())
        return asBuilt;
    // An item is known by its type, its index and, for item 35 indexes 2 and 3, whether it is a
    // channel's text (right after that channel's item 32) or a block of its own: the I/O products
    // carry both under the same type and index.
    struct Item {
        std::uint8_t type, index;
        bool channelText;
        Bytes bytes;
    };
    const auto collect = [](std::vector<Item>& into) {
        return [&into](const ItemView& view) {
            const std::uint8_t* start = view.data.data() - 4;
            const bool after32 = !into.empty() && into.back().type == 32 && into.back().index == view.index;
            into.push_back({view.type, view.index, view.type == 35 && (view.index < 2 || after32),
                            Bytes(start, start + view.size)});
        };
    };
    std::vector<Item> items;
    if (walkItems(stored, collect(items)) != ItemFault::None)
        return asBuilt;
    std::vector<Item> fresh;
    if (walkItems(built, collect(fresh)) != ItemFault::None)
        return asBuilt;
    // The closing item is decided for the final payload, not kept from the stored one.
    while (!items.empty() && isTerminator(items.back().bytes))
        items.pop_back();
    for (Item& item : fresh) {
        if (isTerminator(item.bytes))
            continue;
        const auto same = std::find_if(items.begin(), items.end(), [&](const Item& old) {
            return old.type == item.type && old.index == item.index && old.channelText == item.channelText;
        });
        if (same != items.end())
            same->bytes = std::move(item.bytes);
        else
            items.push_back(std::move(item));
    }
    Bytes merged;
    for (const Item& item : items)
        merged.insert(merged.end(), item.bytes.begin(), item.bytes.end());
    closePayload(merged);
    return merged;
}

void applyVersionRules(DeviceRecord& record, std::uint8_t productCode, std::uint8_t ver1, std::uint8_t ver2,
                       std::uint8_t ver3) {
    const auto in = [productCode](std::initializer_list<int> codes) {
        return std::find(codes.begin(), codes.end(), productCode) != codes.end();
    };
    constexpr std::uint32_t kBit18 = 1u << 18, kBit19 = 1u << 19, kBit25 = 1u << 25;
    if (in({16, 32, 33, 34}) && record.webPortDefault == 0)
        record.webPortDefault = 80;
    const auto optionRule = [&](int minVer2) {
        if (ver1 != 0 && ver2 > minVer2)
            record.options |= kBit25;
        else
            record.options &= ~(kBit25 | kBit19 | kBit18);
    };
    if (in({17, 18, 35, 36, 37}))
        optionRule(1);
    if (in({20, 38}))
        optionRule(2);
    const auto channelBit = [&](bool on, int channel) {
        Channel& c = record.channels[channel];
        c.setFirstWord(on ? c.firstWord() | kBit18 : c.firstWord() & ~kBit18);
    };
    if (in({16, 17, 18, 32, 33, 34, 35, 36, 37})) {
        const bool on = ver1 != 0 && (ver2 > 2 || (ver2 > 1 && ver3 > 3));
        channelBit(on, 0);
        channelBit(on, 1);
    }
    if (in({20, 38}))
        channelBit(ver1 != 0 && (ver2 > 4 || (ver2 > 3 && ver3 != 0)), 0);
}

}  // namespace hollin::netcfg
