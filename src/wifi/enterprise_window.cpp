#include "wifi/enterprise_window.h"

#include <array>
#include <cstdio>

#include "ui/button_icons.h"

namespace hollin::wifi {

using namespace enterprise_ids;

namespace {

constexpr std::string_view kRecordWpaTypes[] = {"None", "WPA-PSK", "WPA2-PSK", "WPA-ENT", "WPA2-ENT"};
constexpr std::string_view kOtherWpaTypes[] = {"None", "WPA-ENT", "WPA2-ENT"};
constexpr std::string_view kAuthentications[] = {"None", "Open System", "Shared Key", "Both"};
constexpr std::string_view kCiphers[] = {"TKIP", "AES"};
constexpr std::string_view kProvisionings[] = {"Unauthenticated", "Authenticated", "Either"};
constexpr std::string_view kAuthenticationCaption = "Wi-Fi Authentication for WEP-LEAP : ";
constexpr std::string_view kCipherCaption = "Encryption : ";
constexpr int kMaxServers = 255;

constexpr ui::ButtonIcon kIcons[] = {{kAccept, 164}, {kCancel, 180}};

void fill(ui::DialogView& v, ControlId list, std::span<const std::string_view> entries) {
    v.clearItems(list);
    for (std::string_view entry : entries)
        v.addItem(list, entry);
}

// What the operator typed into a masked edit: the new text without the mask around it.
std::string typedInto(std::string_view mask, std::string_view text) {
    std::size_t head = 0;
    while (head < mask.size() && head < text.size() && mask[head] == text[head])
        ++head;
    std::size_t tail = 0;
    while (tail < mask.size() - head && tail < text.size() - head &&
           mask[mask.size() - 1 - tail] == text[text.size() - 1 - tail])
        ++tail;
    return std::string(text.substr(head, text.size() - head - tail));
}

void cut(std::string& text, int limit) {
    if (text.size() > static_cast<std::size_t>(limit))
        text.resize(static_cast<std::size_t>(limit));
}

}  // namespace

EnterpriseWindow::EnterpriseWindow(WifiSettingsRecord& working, ModuleKind kind)
    : ui::Window(kDialogId), working_(working), kind_(kind), values_(enterpriseValuesOf(working, kind)) {
    onSelectionChanged(kEapList, [this] { onEapChanged(); });
    onSelectionChanged(kWpaTypeList, [this] { onWpaTypeChanged(); });
    onSelectionChanged(kAuthenticationList, [this] { onAuthenticationChanged(); });
    onSelectionChanged(kProvisioningList, [this] {
        if (const int i = view().selection(kProvisioningList); i >= 0)
            values_.provisioning = i;
    });
    onSelectionChanged(kMaxServersList, [this] {
        if (const int i = view().selection(kMaxServersList); i >= 0)
            values_.maxServers = i + 1;
    });
    onEditChanged(kEapPassword, [this] {
        if (showingPassword_)
            return;
        if (!values_.passwordEdited && kind_ != kModuleOther) {
            // The first change of the masked password starts a new one: the mask never becomes a password.
            values_.passwordEdited = true;
            showPassword(typedInto(std::string(values_.keptPassword.size(), '*'), view().text(kEapPassword)));
        }
        values_.passwordEdited = true;
    });
}

void EnterpriseWindow::onInit() {
    view().setTitle(kTitle);
    ui::setButtonIcons(view(), kIcons);
    for (ControlId id : {kCaCertificate, kClientCertificate, kPrivateKey})
        view().enable(id, false);
    if (recordKind())
        startRecordKind();
    else if (kind_ == kModuleOther)
        startOtherKind();
}

void EnterpriseWindow::select(ControlId list, int index) {
    view().setSelection(list, index >= 0 && index < view().itemCount(list) ? index : -1);
}

void EnterpriseWindow::startRecordKind() {
    ui::DialogView& v = view();
    fill(v, kWpaTypeList, kRecordWpaTypes);
    select(kWpaTypeList, values_.wpaType);
    v.enable(kWpaTypeList, false);
    v.setText(kAuthenticationLabel, kAuthenticationCaption);
    fill(v, kAuthenticationList, kAuthentications);
    select(kAuthenticationList, values_.authentication);
    fill(v, kEapList, eapEntries(kind_));
    fill(v, kProvisioningList, kProvisionings);
    if (values_.provisioning < 0 || values_.provisioning > 2)
        values_.provisioning = 0;
    select(kProvisioningList, values_.provisioning);
    v.clearItems(kMaxServersList);
    for (int n = 1; n <= kMaxServers; ++n) {
        char entry[4];
        std::snprintf(entry, sizeof entry, "%03d", n);
        v.addItem(kMaxServersList, entry);
    }
    select(kMaxServersList, values_.maxServers < 2 ? 0 : values_.maxServers - 1);
    showTexts();
    const int selection = eapSelectionOf(values_, kind_);
    select(kEapList, selection);
    applyRule(selection);
    values_.passwordEdited = false;
}

void EnterpriseWindow::startOtherKind() {
    ui::DialogView& v = view();
    v.enable(kWpaTypeList, true);
    for (ControlId id : {kProvisioningLabel, kProvisioningList, kMaxServersLabel, kMaxServersList})
        v.show(id, false);
    fill(v, kWpaTypeList, kOtherWpaTypes);
    select(kWpaTypeList, values_.wpaType == 0 ? 0 : values_.wpaType - 2);
    v.setText(kAuthenticationLabel, kCipherCaption);
    fill(v, kAuthenticationList, kCiphers);
    select(kAuthenticationList, values_.wpaCipher);
    fill(v, kEapList, eapEntries(kind_));
    showTexts();
    const int selection = eapSelectionOf(values_, kind_);
    select(kEapList, selection);
    applyRule(selection);
}

void EnterpriseWindow::showTexts() {
    ui::DialogView& v = view();
    v.setText(kEapId, values_.texts.id);
    v.setText(kCaCertificate, values_.texts.caCertificate);
    v.setText(kClientCertificate, values_.texts.clientCertificate);
    v.setText(kPrivateKey, values_.texts.privateKey);
    showPassword(kind_ == kModuleOther ? values_.texts.password
                                       : std::string(values_.keptPassword.size(), '*'));
}

void EnterpriseWindow::showPassword(std::string_view text) {
    showingPassword_ = true;
    view().setText(kEapPassword, text);
    showingPassword_ = false;
}

void EnterpriseWindow::onEapChanged() {
    applyRule(view().selection(kEapList));
}

// The entry's digits, the fields it shows and the limit of the identity and the password.
void EnterpriseWindow::applyRule(int selection) {
    ui::DialogView& v = view();
    const auto rule = eapRule(kind_, selection);
    const bool other = kind_ == kModuleOther;
    if (!rule) {
        // An EAP method the kind's list lacks: nothing to edit until one is chosen.
        showFields(false, false, false);
        v.show(kAuthenticationLabel, other);
        v.show(kAuthenticationList, other);
        v.enable(kEapId, false);
        v.enable(kEapPassword, false);
        return;
    }
    applyEapRule(values_, *rule);
    showFields(rule->caName, rule->clientAndKeyNames, rule->fastFields);
    if (other) {
        if (rule->eapMethod == kEapNone)
            select(kWpaTypeList, 0);
        v.enable(kWpaTypeList, rule->eapMethod != kEapNone);
        v.enable(kAuthenticationList, rule->eapMethod != kEapNone);
    } else {
        select(kWpaTypeList, rule->wpaType == 1 ? 0 : rule->wpaType);
        v.show(kAuthenticationLabel, rule->leapAuthentication);
        v.show(kAuthenticationList, rule->leapAuthentication);
        if (const int a = v.selection(kAuthenticationList); rule->leapAuthentication && a >= 0)
            values_.authentication = a;
    }
    limitTexts(rule->textLimit);
}

void EnterpriseWindow::showFields(bool ca, bool clientAndKey, bool fast) {
    ui::DialogView& v = view();
    for (ControlId id : {kCaLabel, kCaCertificate})
        v.show(id, ca);
    for (ControlId id : {kClientLabel, kClientCertificate, kPrivateKeyLabel, kPrivateKey})
        v.show(id, clientAndKey);
    for (ControlId id : {kProvisioningLabel, kProvisioningList, kMaxServersLabel, kMaxServersList})
        v.show(id, fast);
}

// Limit 0 clears and disables the identity and the password; otherwise both are cut to the limit.
void EnterpriseWindow::limitTexts(int limit) {
    ui::DialogView& v = view();
    std::string id = v.text(kEapId);
    cut(id, limit);
    v.setText(kEapId, id);
    if (values_.passwordEdited || kind_ == kModuleOther) {
        std::string password = v.text(kEapPassword);
        cut(password, limit);
        showPassword(password);
    } else {
        showPassword(std::string(values_.keptPassword.size(), '*'));
    }
    for (ControlId id : {kEapId, kEapPassword}) {
        v.enable(id, limit > 0);
        if (limit > 0)
            v.setTextLimit(id, limit);
    }
}

void EnterpriseWindow::onWpaTypeChanged() {
    if (const int i = view().selection(kWpaTypeList); kind_ == kModuleOther && i >= 0)
        values_.wpaType = otherWpaType(i);
}

void EnterpriseWindow::onAuthenticationChanged() {
    const int i = view().selection(kAuthenticationList);
    if (i < 0)
        return;
    if (kind_ == kModuleOther)
        values_.wpaCipher = i;
    else
        values_.authentication = i;
}

void EnterpriseWindow::onOk() {
    if (!recordKind() && kind_ != kModuleOther) {
        view().endDialog(ui::kResultCancel);  // no enterprise settings to store
        return;
    }
    ui::DialogView& v = view();
    values_.texts.id = v.text(kEapId);
    if (kind_ == kModuleOther)
        onWpaTypeChanged();
    accepted_ = acceptEnterprise(working_, values_, kind_, v.text(kEapPassword));
    v.endDialog(ui::kResultOk);
}

}  // namespace hollin::wifi
