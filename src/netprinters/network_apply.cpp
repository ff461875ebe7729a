#include "netprinters/network_apply.h"

#include <algorithm>
#include <atomic>
#include <thread>

namespace hollin::wifi {
namespace {

bool unanswered(const NetworkSaveResult& result) {
    return result.outcome == NetworkSaveResult::NoAnswer ||
           (result.outcome == NetworkSaveResult::WriteFailed && result.code == netcfg::kNoResponse);
}

// One printer's save, and its second try when it went unanswered, with a store of its own holding
// only this printer's search answer.
ApplyResult applyOne(const netcfg::NetworkContext& shared, const Bytes* payload, int kind, ApplyTask& task,
                     std::uint32_t textWaitMs) {
    netcfg::PayloadStores stores;
    if (payload != nullptr)
        stores.put(kind, task.printer.binary()->mac, *payload);
    netcfg::NetworkContext context{.network = shared.network,
                                   .clock = shared.clock,
                                   .stores = stores,
                                   .broadcast = shared.broadcast,
                                   .keyConstant = shared.keyConstant,
                                   .wifiExtraDefault = shared.wifiExtraDefault,
                                   .debug = {},
                                   .receiveBuffer = shared.receiveBuffer};
    ApplyResult result;
    do {
        ++result.attempts;
        result.save = saveNetworkPrinter(context, kind, task.printer, task.form, textWaitMs);
    } while (unanswered(result.save) && result.attempts < 2);
    result.outcome = applyOutcomeOf(result.save);
    return result;
}

}  // namespace

std::string_view applyOutcomeText(ApplyOutcome outcome) {
    switch (outcome) {
        case ApplyOutcome::Done:
            return "done";
        case ApplyOutcome::NoAnswer:
            return "no answer";
        case ApplyOutcome::PasswordRefused:
            return "password refused";
        case ApplyOutcome::ProductMismatch:
            return "product mismatch";
        case ApplyOutcome::RefusedValue:
            return "refused value";
        case ApplyOutcome::Failed:
            break;
    }
    return "failed";
}

ApplyOutcome applyOutcomeOf(const NetworkSaveResult& result) {
    switch (result.outcome) {
        case NetworkSaveResult::Saved:
            return ApplyOutcome::Done;
        case NetworkSaveResult::AwaitingAnswer:
        case NetworkSaveResult::NoAnswer:
            return ApplyOutcome::NoAnswer;
        case NetworkSaveResult::PortOutOfRange:
        case NetworkSaveResult::WrongAddress:
        case NetworkSaveResult::KeyRefused:
            return ApplyOutcome::RefusedValue;
        case NetworkSaveResult::SocketFailed:
            return ApplyOutcome::Failed;
        case NetworkSaveResult::WriteFailed:
            break;
    }
    switch (result.code) {
        case netcfg::kNoResponse:
            return ApplyOutcome::NoAnswer;
        case netcfg::kPasswordMismatch:
            return ApplyOutcome::PasswordRefused;
        case netcfg::kProductMismatch:
            return ApplyOutcome::ProductMismatch;
        case netcfg::kBadAddress:
        case netcfg::kBadMacro:
        case netcfg::kBadIoAddress:
        case netcfg::kDuplicatePort:
        case netcfg::kPort23:
        case netcfg::kModbusPortClash:
        case netcfg::kWebPortClash:
        case netcfg::kPort50005:
        case netcfg::kPort50006:
            return ApplyOutcome::RefusedValue;
        default:
            return ApplyOutcome::Failed;
    }
}

std::vector<ApplyResult> applyToPrinters(const netcfg::NetworkContext& context, int kind,
                                         std::vector<ApplyTask>& tasks, int jobs, std::uint32_t textWaitMs) {
    std::vector<ApplyResult> results(tasks.size());
    // Each binary printer's stored answer, looked up before any save runs.
    std::vector<const Bytes*> payloads(tasks.size(), nullptr);
    for (std::size_t i = 0; i < tasks.size(); ++i)
        if (const netcfg::DeviceRecord* record = tasks[i].printer.binary())
            payloads[i] = context.stores.find(kind, record->mac);
    std::atomic<std::size_t> next{0};
    const auto work = [&] {
        for (std::size_t i = next++; i < tasks.size(); i = next++)
            results[i] = applyOne(context, payloads[i], kind, tasks[i], textWaitMs);
    };
    const std::size_t threads =
        std::min<std::size_t>(static_cast<std::size_t>(std::max(jobs, 1)), tasks.size());
    if (threads <= 1) {
        work();
        return results;
    }
    std::vector<std::thread> running;
    running.reserve(threads);
    for (std::size_t t = 0; t < threads; ++t)
        running.emplace_back(work);
    for (std::thread& thread : running)
        thread.join();
    return results;
}

}  // namespace hollin::wifi
