#pragma once

#include <string>
#include <string_view>

#include "ui/window.h"
#include "wificodec/enterprise_rules.h"
#include "wificodec/wifi_record.h"

namespace hollin::wifi {

// The controls of the Enterprise window (dialog 163).
namespace enterprise_ids {
using ui::ControlId;
inline constexpr ControlId kEapList = 1176;
inline constexpr ControlId kWpaTypeList = 1177;
inline constexpr ControlId kEapId = 1178;
inline constexpr ControlId kEapPassword = 1179;
inline constexpr ControlId kAuthenticationLabel = 1180;  // "Encryption : " for the unrecognised kind
inline constexpr ControlId kAuthenticationList = 1181;   // TKIP/AES for the unrecognised kind
inline constexpr ControlId kCaCertificate = 1182;
inline constexpr ControlId kClientCertificate = 1183;
inline constexpr ControlId kPrivateKey = 1184;
inline constexpr ControlId kProvisioningList = 1185;
inline constexpr ControlId kMaxServersList = 1186;
inline constexpr ControlId kCaLabel = 1187;
inline constexpr ControlId kClientLabel = 1188;
inline constexpr ControlId kPrivateKeyLabel = 1189;
inline constexpr ControlId kProvisioningLabel = 1190;
inline constexpr ControlId kMaxServersLabel = 1191;
inline constexpr ControlId kAccept = ui::IDOK;
inline constexpr ControlId kCancel = ui::IDCANCEL;
}  // namespace enterprise_ids

// The Enterprise window (dialog 163): edits the 802.1X settings of a QUATECH, INC or unrecognised
// module's working record. Accept writes them into that record; Cancel leaves it untouched. The
// certificate file names live on the module: they are shown and carried, never edited here.
class EnterpriseWindow : public ui::Window {
  public:
    static constexpr int kDialogId = 163;
    static constexpr std::string_view kTitle = "Enterprise  Settings";

    // `working` is the Wi-Fi window's working record, which must outlive this window.
    EnterpriseWindow(WifiSettingsRecord& working, ModuleKind kind);

    void onInit() override;
    void onOk() override;  // "Accept"

    const EnterpriseValues& values() const { return values_; }
    // The texts stored by Accept, which the bulk save carries.
    const EnterpriseTexts& accepted() const { return accepted_; }

  private:
    bool recordKind() const { return kind_ == kModuleQuatech || kind_ == kModuleInc; }
    void startRecordKind();
    void startOtherKind();
    void showTexts();
    void showPassword(std::string_view text);
    void onEapChanged();
    void applyRule(int selection);
    void showFields(bool ca, bool clientAndKey, bool fast);
    void limitTexts(int limit);
    void onWpaTypeChanged();
    void onAuthenticationChanged();
    void select(ui::ControlId list, int index);

    WifiSettingsRecord& working_;
    ModuleKind kind_;
    EnterpriseValues values_;
    EnterpriseTexts accepted_;
    bool showingPassword_ = false;  // code is setting the password edit: not an edit by the operator
};

}  // namespace hollin::wifi
