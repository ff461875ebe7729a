#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "wifi/module_exchange.h"
#include "wificodec/module_protocol.h"
#include "wificodec/sollae_save.h"
#include "wificodec/sollae_settings.h"
#include "wificodec/wifi_record.h"

// Every action the Wi-Fi window takes on the module, as one call that runs the whole exchange and
// returns what happened. Nothing here shows anything: the window maps a result to its messages and
// controls, the command line to text and an exit code.
namespace hollin::wifi {

enum class ModuleOutcome {
    Done,
    NotSent,      // the link was closed or the write gave up
    NoResponse,   // nothing came back within the exchange's bounds
    BadReply,     // a reply came but failed its check or did not decode
    Unsupported,  // the module kind takes no such action: nothing was sent
};

// --- Open Port's module part: the pause after opening, ISP mode, and a Sollae module's version.
inline constexpr std::uint32_t kOpenSettleMs = 500;
struct OpenModuleResult {
    ModuleOutcome outcome = ModuleOutcome::Done;
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
    ModuleOutcome outcome = ModuleOutcome::Done;  // Done, NoResponse or BadReply
    SollaeStep failedStep = SollaeStep::Ip;       // where it stopped when not Done
    std::optional<SollaeStep> lastStored;         // the last step whose value was stored
    int parameterSet = 0;                         // 1 basic, 2 extended, when Done
    bool extensionRead = false;                   // the pass phrase's second half came
};
using ReadProgress = std::function<void(SollaeStep stored, int percent)>;
SollaeReadResult readSollaeSettings(ModuleExchange& exchange, SollaeSettings& settings,
                                    const ReadProgress& progress = {});

// The bulk read of the other kinds: Done with the record, NoResponse (nothing came) or BadReply
// (short, wrong header).
struct RecordReadResult {
    ModuleOutcome outcome = ModuleOutcome::Done;
    std::optional<WifiSettingsRecord> record;
};
RecordReadResult readModuleRecord(ModuleExchange& exchange, const ModuleExchange::Progress& progress = {});
// Save Wi-Fi Information on the other kinds: the record in the bulk write frame; the answer is the
// record as the module stored it, checked as a read's.
RecordReadResult writeModuleRecord(ModuleExchange& exchange, const WifiSettingsRecord& record,
                                   const ModuleExchange::Progress& progress = {});

// --- Save Wi-Fi Information, Sollae: the unlock (its answer not examined), the writes in order, each
// wanting "701", then the flash. A write that fails ends the save; the ones before it have changed the
// module's current settings but not its flash.
struct SollaeSaveResult {
    ModuleOutcome outcome = ModuleOutcome::Done;
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
ModuleOutcome resetModule(ModuleExchange& exchange, ModuleKind kind, Clock& clock);

}  // namespace hollin::wifi
