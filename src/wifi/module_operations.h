#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "transport/outcome.h"
#include "wifi/module_exchange.h"
#include "wificodec/module_protocol.h"
#include "wificodec/record_save.h"
#include "wificodec/sollae_save.h"
#include "wificodec/sollae_settings.h"
#include "wificodec/wifi_record.h"

// Every action the Wi-Fi window takes on the module, as one call that runs the whole exchange and
// returns what happened. Nothing here shows anything: the window maps a result to its messages and
// controls, the command line to text and an exit code.
namespace hollin::wifi {

// The module's actions report the transport's one outcome type; the name stays for the callers that
// spell it so.
using ModuleOutcome = Outcome;

// --- Open Port's module part: the pause after opening, ISP mode, and a Sollae module's version.
inline constexpr std::uint32_t kOpenSettleMs = 500;
struct OpenModuleResult {
    Outcome outcome = Outcome::Done;
    ModuleKind kind = kModuleNone;
    // Sollae only: the version that answered (nothing when none did) and the generation it gives.
    std::optional<ModuleVersion> version;
    std::optional<int> generation;
};
OpenModuleResult openModule(ModuleExchange& exchange, Clock& clock);

// --- Get Wi-Fi Information
// The Sollae module's reading, one parameter after the other. A step that fails ends the reading;
// the values stored before it stay in `settings`.
enum class SollaeStep {
    Ip,
    Netmask,
    Gateway,
    Dns,
    Ssid,
    WifiOptions,
    Wep40,
    Wep104,
    WpaKey,
    WpaKeyExtension,
    TcpPort,
    WpaPsk,
    TcpOptions,
    Mac,
};
struct SollaeReadResult {
    Outcome outcome = Outcome::Done;         // Done, NoResponse or BadReply
    SollaeStep failedStep = SollaeStep::Ip;  // where it stopped when not Done
    std::optional<SollaeStep> lastStored;    // the last step whose value was stored
    int parameterSet = 0;                    // 1 basic, 2 extended, when Done
    bool extensionRead = false;              // the pass phrase's second half came
};
using ReadProgress = std::function<void(SollaeStep stored, int percent)>;
SollaeReadResult readSollaeSettings(ModuleExchange& exchange, SollaeSettings& settings,
                                    const ReadProgress& progress = {});

// The bulk read of the other kinds: Done with the record, NoResponse (nothing came) or BadReply
// (short, wrong header).
struct RecordReadResult {
    Outcome outcome = Outcome::Done;
    std::optional<WifiSettingsRecord> record;
};
RecordReadResult readModuleRecord(ModuleExchange& exchange, const ModuleExchange::Progress& progress = {});
// Save Wi-Fi Information on the other kinds: the record in the bulk write frame; the answer is the
// record as the module stored it, checked as a read's.
RecordReadResult writeModuleRecord(ModuleExchange& exchange, const WifiSettingsRecord& record,
                                   const ModuleExchange::Progress& progress = {});

// The whole save of a record module, for the window and the command line: the form's basics folded
// into `record` (even when the form is then refused), the form checked, the rest folded over `held`
// (the record as received; `record` as it then stands when none is held), and the record written.
// With a refusal nothing was written; otherwise `written` is what the write gave.
struct RecordSaveResult {
    std::optional<SaveRefusal> refusal;
    RecordReadResult written;
};
RecordSaveResult saveModuleRecord(ModuleExchange& exchange, WifiSettingsRecord& record,
                                  const RecordForm& form, ModuleKind kind,
                                  const std::optional<WifiSettingsRecord>& held,
                                  const ModuleExchange::Progress& progress = {});

// --- Save Wi-Fi Information, Sollae: the unlock (its answer not examined), the writes in order, each
// wanting "701", then the flash. A write that fails ends the save; the ones before it have changed the
// module's current settings but not its flash.
struct SollaeSaveResult {
    Outcome outcome = Outcome::Done;
    std::optional<Param> failedParam;  // the write that failed; nothing when the flash did or all went
    int writesDone = 0;                // writes the module took
    bool flashSilent = false;          // the flash went out and nothing answered: taken as done
};
using SaveProgress = std::function<void(int percent)>;
SollaeSaveResult writeSollaeSettings(ModuleExchange& exchange, const std::vector<SollaeWrite>& writes,
                                     const SaveProgress& progress = {});

// --- Reset (Factory Settings)
// Sollae: the factory-defaults pass-through, Done only when a complete answer came and every line of
// it begins "701" (then a settling pause); QUATECH and INC: the settings reset, Done once sent;
// other kinds: Unsupported.
inline constexpr std::uint32_t kResetSettleMs = 200;
Outcome resetModule(ModuleExchange& exchange, ModuleKind kind, Clock& clock);

}  // namespace hollin::wifi
