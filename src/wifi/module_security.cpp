// The wireless security fields: encryption, key in use, the WEP keys' types, WPA authentication and
// the WPA key.
#include <algorithm>
#include <string>

#include "common/hex.h"
#include "netprinters/network_save.h"
#include "ui/list_fill.h"
#include "wifi/module_form_entries.h"
#include "wifi/module_security.h"
#include "wifi/wifi_settings.h"
#include "wifi/wifi_window_ids.h"

namespace hollin::wifi {

using namespace ids;
using namespace module_form;

namespace {

constexpr std::string_view kIncInfrastructureAuth[] = {"WPA-PSK", "WPA2-PSK", "AUTO"};
constexpr std::string_view kIncSoftApAuth[] = {"WPA-PSK", "WPA2-PSK"};

// A held key's bytes as characters, up to the first zero byte.
template <std::size_t N>
std::string characters(const std::array<std::uint8_t, N>& raw) {
    return std::string(raw.begin(), std::find(raw.begin(), raw.end(), 0));
}

}  // namespace

ModuleSecurity::ModuleSecurity(CWiFiSettings& window)
    : window_(window),
      deps_(window.deps_),
      network_(window.network_),
      records_(window.records_),
      working_(window.working_),
      sollae_(window.sollae_),
      networkMode_(window.networkMode_),
      moduleGeneration_(window.moduleGeneration_),
      shownEncryption_(window.shownEncryption_),
      settingWpaKey_(window.settingWpaKey_),
      wpaKeyMask_(window.wpaKeyMask_),
      storedWpaKey_(window.storedWpaKey_),
      wpaKeyText_(window.wpaKeyText_),
      wpaKeyEdited_(window.wpaKeyEdited_) {}

ui::DialogView& ModuleSecurity::view() {
    return window_.view();
}

void ModuleSecurity::selectIndex(ControlId list, int index) {
    window_.selectIndex(list, index);
}

FoundDeviceList::Entry* ModuleSecurity::selectedFoundEntry() {
    return window_.selectedFoundEntry();
}

void ModuleSecurity::beginEdit() {
    window_.beginEdit();
}

void ModuleSecurity::commitWorking() {
    window_.commitWorking();
}

int ModuleSecurity::keyType(int key) {
    if (key < 0 || key > 3)
        return 0;
    if (networkMode_) {
        const FoundDeviceList::Entry* entry = selectedFoundEntry();
        return entry ? entry->keyFormats[static_cast<std::size_t>(key)] : 0;
    }
    if (deps_.program.moduleKind <= kModuleSollae)
        return sollae_.keys[static_cast<std::size_t>(key)].type;
    return deps_.program.keyTypes[static_cast<std::size_t>(key)];
}

int ModuleSecurity::eapDigit() const {
    if (deps_.program.moduleKind <= kModuleSollae)
        return '0';
    return records_[0].digit(field::kEapMethod);
}

void ModuleSecurity::setKeyLimits(int encryption) {
    for (int k = 0; k < 4; ++k)
        view().setTextLimit(kKeys[k].edit, wepKeyLimit(encryption, keyType(k)));
}

void ModuleSecurity::applyKeyFieldRule(int encryption, int keyInUse) {
    ui::DialogView& v = view();
    for (const KeyControls& key : kKeys) {
        v.enable(key.edit, false);
        v.enable(key.type, false);
    }
    v.enable(kWpaAuthList, false);
    v.enable(kWpaKey, false);
    if (encryption == kNone) {
        v.enable(kKeyInUseList, false);
        return;
    }
    if (isWep(encryption)) {
        v.enable(kKeyInUseList, true);
        if (keyInUse >= 0 && keyInUse < 4) {
            v.enable(kKeys[keyInUse].edit, true);
            v.enable(kKeys[keyInUse].type, true);
        }
        setKeyLimits(encryption);
        if (deps_.program.moduleKind <= kModuleSollae) {
            for (int k = 0; k < 4; ++k) {
                const auto& key = sollae_.keys[static_cast<std::size_t>(k)];
                const bool ascii = key.type == 1;
                const std::string text = encryption == kWep64 ? (ascii ? characters(key.raw40) : key.hex40)
                                                              : (ascii ? characters(key.raw104) : key.hex104);
                v.setText(kKeys[k].edit, text);
            }
        }
        return;
    }
    if (encryption == kWpa) {
        v.enable(kKeyInUseList, false);
        v.enable(kWpaAuthList, true);
        v.enable(kWpaKey, true);
    }
}

void ModuleSecurity::applyEncryptionEnabling(int encryption) {
    ui::DialogView& v = view();
    const ModuleKind kind = deps_.program.moduleKind;
    const bool other = kind == kModuleOther;
    if (kind <= kModuleSollae && encryption >= kWpa) {
        for (ControlId id : {kWpaAuthList, kWpaEncList, kWpaKey})
            v.enable(id, true);
        return;
    }
    if (encryption < kWpa) {
        for (ControlId id : {kEnterprise, kWpaAuthList, kWpaKey})
            v.enable(id, false);
    } else if (encryption == kWpa && eapDigit() == '0') {
        v.enable(kEnterprise, false);
        v.enable(kWpaAuthList, true);
        v.enable(kWpaKey, true);
        if (other)
            v.enable(kWpaEncList, true);
    } else {
        v.enable(kEnterprise, true);
        v.enable(kWpaAuthList, false);
        v.enable(kWpaKey, false);
        if (other)
            v.enable(kWpaEncList, false);
    }
}

void ModuleSecurity::applyIncMode(int encryption) {
    ui::DialogView& v = view();
    switch (v.selection(kModeList)) {
        case 0:
            selectIndex(kWpaAuthList, 0);
            selectIndex(kWpaEncList, 0);
            for (ControlId id : {kWpaAuthList, kWpaEncList, kWpaKey})
                v.enable(id, false);
            if (isWep(encryption)) {
                selectIndex(kKeyInUseList, 0);
                v.enable(kKeyInUseList, false);
            }
            break;
        case 1:
            ui::fillList(v, kWpaAuthList, kIncInfrastructureAuth, 2);
            selectIndex(kWpaEncList, 2);
            v.enable(kWpaAuthList, false);
            v.enable(kWpaEncList, false);
            v.enable(kWpaKey, encryption >= kWpa);
            if (isWep(encryption))
                v.enable(kKeyInUseList, true);
            break;
        case 2: {
            const int auth = v.selection(kWpaAuthList);
            ui::fillList(v, kWpaAuthList, kIncSoftApAuth, -1);
            selectIndex(kWpaAuthList, auth);
            selectIndex(kWpaEncList, auth == 1 ? 1 : 0);
            v.enable(kWpaAuthList, true);
            v.enable(kWpaEncList, false);
            v.enable(kWpaKey, true);
            break;
        }
        default:
            break;
    }
    v.show(kFiveGhz, false);
}

// QUATECH, INC and unrecognised modules leave WPA: its type and cipher go back to their first entries.
void ModuleSecurity::resetWpaLists() {
    working_.setDigit(field::kWpa, '0');
    working_.setDigit(field::kWpaEnc, '0');
    selectIndex(kWpaAuthList, 0);
    selectIndex(kWpaEncList, 0);
    view().enable(kWpaAuthList, false);
    view().enable(kWpaKey, false);
}

void ModuleSecurity::onEncryptionChanged() {
    ui::DialogView& v = view();
    const int e = v.selection(kEncryptionList);
    const int mode = v.selection(kModeList);
    if (e < 0 || (mode == 0 && e > kWep128) || (mode == 2 && isWep(e))) {
        // Adhoc takes no WPA, SoftAP no WEP: the list shows again what it showed.
        v.setSelection(kEncryptionList, shownEncryption_);
        return;
    }
    if (networkMode_) {
        network_.onNetworkEncryptionChanged(e);
        return;
    }
    const ModuleKind kind = deps_.program.moduleKind;
    const int keyInUse = v.selection(kKeyInUseList);
    if (kind <= kModuleSollae) {
        if (e == kNone) {
            selectIndex(kAuthenticationList, 1);
            v.enable(kKeyInUseList, false);
        } else {
            v.enable(kKeyInUseList, true);
        }
    } else {
        beginEdit();
        working_.setDigit(field::kEncryption, static_cast<char>('0' + e));
        for (int k = 0; k < 4; ++k) {
            v.enable(kKeys[k].edit, isWep(e) && k == keyInUse);
            v.enable(kKeys[k].type, isWep(e) && k == keyInUse);
        }
        v.enable(kKeyInUseList, isWep(e));
        setKeyLimits(e);
        v.enable(kWpaAuthList, e == kWpa);
        v.enable(kWpaKey, e == kWpa);
        if (kind == kModuleOther)
            v.enable(kWpaEncList, e == kWpa);

        const int auth = v.selection(kWpaAuthList);
        if (kind == kModuleQuatech) {
            if (e != kWpa) {
                ui::fillList(v, kWpaEncList, kTkipAes, 0);
                resetWpaLists();
            } else {
                ui::fillList(v, kWpaEncList,
                             auth == 1 ? std::span<const std::string_view>(kAesTkipAes)
                                       : std::span<const std::string_view>(kTkipAes),
                             auth == 1 ? 1 : 0);
                v.enable(kWpaAuthList, true);
                v.enable(kWpaKey, true);
            }
        } else if (kind == kModuleInc) {
            if (e != kWpa) {
                resetWpaLists();
            } else {
                selectIndex(kWpaEncList, auth == 1 ? 1 : 0);
                v.enable(kWpaAuthList, true);
                v.enable(kWpaKey, true);
            }
        } else if (e < kWpa) {
            resetWpaLists();
            v.enable(kWpaEncList, false);
        } else {
            selectIndex(kWpaEncList, auth == 1 ? 1 : 0);
            const bool personal = eapDigit() == '0';
            for (ControlId id : {kWpaAuthList, kWpaEncList, kWpaKey})
                v.enable(id, personal);
        }
        commitWorking();
        if (isWep(e))
            for (int k = 0; k < 4; ++k)
                onKeyTypeChanged(k);
        v.enable(kWpaEncList, false);
    }
    applyKeyFieldRule(e, keyInUse);
    applyEncryptionEnabling(e);
    if (kind == kModuleInc)
        applyIncMode(e);
    shownEncryption_ = e;
}

void ModuleSecurity::onKeyInUseChanged() {
    ui::DialogView& v = view();
    const int k = v.selection(kKeyInUseList);
    const int e = v.selection(kEncryptionList);
    if (networkMode_) {
        network_.onNetworkKeyInUseChanged(k);
        return;
    }
    if (deps_.program.moduleKind <= kModuleSollae) {
        applyKeyFieldRule(e, k);
        return;
    }
    if (k < 0 || k > 3)
        return;
    beginEdit();
    working_.setDigit(field::kUseKey, static_cast<char>('1' + k));
    for (int i = 0; i < 4; ++i) {
        v.enable(kKeys[i].edit, i == k);
        v.enable(kKeys[i].type, i == k);
    }
    setKeyLimits(e);
    commitWorking();
}

void ModuleSecurity::onKeyTypeChanged(int key) {
    ui::DialogView& v = view();
    const int type = v.selection(kKeys[key].type);
    if (type < 0 || type > 1)
        return;
    if (networkMode_) {
        network_.onNetworkKeyTypeChanged(key, type);
        return;
    }
    if (deps_.program.moduleKind <= kModuleSollae) {
        sollae_.keys[static_cast<std::size_t>(key)].type = type;
        applyKeyFieldRule(v.selection(kEncryptionList), v.selection(kKeyInUseList));
        return;
    }
    beginEdit();
    const char encryption = working_.digit(field::kEncryption);
    const std::string stored = working_.text(wepKeyField(key + 1));
    std::string text;
    if (encryption == '1')
        text = stored.substr(0, 10);
    else if (encryption == '2')
        text = stored;
    if (type == 1) {
        const Bytes chars = decodeHexLenient(text);
        text.assign(chars.begin(), chars.end());
    }
    {
        const CWiFiSettings::QuietEdits quiet(window_);
        v.setText(kKeys[key].edit, text);
    }
    deps_.program.keyTypes[static_cast<std::size_t>(key)] = type;
    setKeyLimits(encryption - '0');
    commitWorking();
}

void ModuleSecurity::onWpaAuthChanged() {
    ui::DialogView& v = view();
    const int auth = v.selection(kWpaAuthList);
    if (networkMode_) {
        network_.onNetworkWpaChanged();
        return;
    }
    switch (deps_.program.moduleKind) {
        case kModuleNone:
        case kModuleSollae:
            selectIndex(kWpaEncList, auth);
            v.enable(kWpaEncList, auth == 2 && moduleGeneration_ == 3);
            return;
        case kModuleQuatech:
            beginEdit();
            if (auth == 0) {
                ui::fillList(v, kWpaEncList, kTkipAes, 0);
                working_.setDigit(field::kWpaEnc, '0');
                v.enable(kWpaEncList, false);
            } else if (auth == 1) {
                ui::fillList(v, kWpaEncList, kAesTkipAes, 0);
                working_.setDigit(field::kWpaEnc, '1');
                v.enable(kWpaEncList, true);
            }
            commitWorking();
            return;
        case kModuleInc:
            beginEdit();
            if (auth == 0 || auth == 1) {
                selectIndex(kWpaEncList, auth);
                working_.setDigit(field::kWpaEnc, static_cast<char>('0' + auth));
            }
            v.enable(kWpaEncList, false);
            commitWorking();
            return;
        default:
            commitWorking();
    }
}

// A key of 64 hexadecimal digits is the pre-shared key itself; any other character makes it a pass
// phrase of at most 63 characters. The edit first shows the module's key as a mask.
void ModuleSecurity::onWpaKeyChanged() {
    if (settingWpaKey_ || deps_.program.moduleKind <= kModuleSollae || networkMode_)
        return;
    ui::DialogView& v = view();
    const std::string text = v.text(kWpaKey);
    const bool allHex = std::all_of(text.begin(), text.end(), [](char c) { return hexDigitValue(c) >= 0; });
    if (allHex) {
        v.setTextLimit(kWpaKey, 64);
    } else {
        v.setTextLimit(kWpaKey, 63);
        if (text.size() >= 64) {
            v.setText(kWpaKey, text.substr(0, 63));  // notifies again with the cut text
            return;
        }
    }
    // Only a text that holds none of the mask is a key; the mask itself stands for the module's key.
    wpaKeyMask_ = maskedEditAfter(wpaKeyMask_, std::string(storedWpaKey_.size(), '*'), text);
    wpaKeyText_ = text;
    wpaKeyEdited_ = wpaKeyMask_ == MaskedEdit::Replaced;
}

}  // namespace hollin::wifi
