#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "netcfg/exchange.h"
#include "netprinters/network_printers.h"
#include "netprinters/network_save.h"
#include "wificodec/record_save.h"

// One set of form values written to many printers found on the network, several side by side. Each
// save runs with its own socket and its own copy of its printer's stored search answer, so that the
// saves share nothing but the network; every answer is taken only from the printer it names.
namespace hollin::wifi {

// What became of one printer.
enum class ApplyOutcome { Done, NoAnswer, PasswordRefused, ProductMismatch, RefusedValue, Failed };
// "done", "no answer", "password refused", "product mismatch", "refused value", "failed".
std::string_view applyOutcomeText(ApplyOutcome outcome);
// How a save's result reads for a fleet.
ApplyOutcome applyOutcomeOf(const NetworkSaveResult& result);

struct ApplyTask {
    NetworkPrinter printer;
    RecordForm form;
};

struct ApplyResult {
    ApplyOutcome outcome = ApplyOutcome::Failed;
    NetworkSaveResult save;  // the last attempt's
    int attempts = 0;        // 1, or 2 when the first went unanswered
};

inline constexpr int kDefaultApplyJobs = 16;

// Saves each task's form to its printer (found by a search of `kind` in `context`), up to `jobs` at
// once (1: one after the other, on the calling thread). A printer that did not answer is tried once
// more. `jobs` above 1 needs a network and clock that may be used from several threads. The results
// are in the tasks' order; each task's printer becomes its answer after a binary save.
std::vector<ApplyResult> applyToPrinters(const netcfg::NetworkContext& context, int kind,
                                         std::vector<ApplyTask>& tasks, int jobs,
                                         std::uint32_t textWaitMs = 7000);

}  // namespace hollin::wifi
