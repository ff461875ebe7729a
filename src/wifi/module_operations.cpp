#include "wifi/module_operations.h"

#include <array>
#include <vector>

namespace hollin::wifi {
namespace {

struct ParamStep {
    SollaeStep step;
    Param param;
    int progress;  // the bar after the step, -1: unchanged
};

// The steps every Sollae module answers, before the pass phrase.
constexpr std::array<ParamStep, 9> kLeadingSteps{{
    {SollaeStep::Ip, Param::Ip, 16},
    {SollaeStep::Netmask, Param::Netmask, 33},
    {SollaeStep::Gateway, Param::Gateway, 50},
    {SollaeStep::Dns, Param::Dns, 66},
    {SollaeStep::Ssid, Param::Ssid, 83},
    {SollaeStep::WifiOptions, Param::WifiOptions, -1},
    {SollaeStep::Wep40, Param::Wep40, -1},
    {SollaeStep::Wep104, Param::Wep104, -1},
    {SollaeStep::WpaKey, Param::WpaKey, -1},
}};

// Reads one parameter and stores it: Done, NoResponse or BadReply.
Outcome readAndStore(ModuleExchange& exchange, SollaeSettings& settings, Param param) {
    const ModuleReply reply = exchange.readParameter(param);
    if (!reply.received())
        return Outcome::NoResponse;
    const auto value = decodeReadReply(param, reply.bytes);
    if (!value)
        return Outcome::BadReply;
    storeParameter(settings, param, *value);
    return Outcome::Done;
}

}  // namespace

OpenModuleResult openModule(ModuleExchange& exchange, Clock& clock) {
    OpenModuleResult result;
    clock.sleepMs(kOpenSettleMs);
    ModuleKind kind = kModuleNone;
    const ModuleReply identification = exchange.enterIspMode(kind);
    if (!identification.sent) {
        result.outcome = Outcome::NotSent;
        return result;
    }
    if (!identification.received()) {
        result.outcome = Outcome::NoResponse;
        return result;
    }
    result.kind = kind;
    if (kind == kModuleSollae) {
        const ModuleReply reply = exchange.version();
        result.version = versionFromReply(reply.bytes);
        if (result.version)
            result.generation = moduleGeneration(*result.version);
    }
    return result;
}

SollaeReadResult readSollaeSettings(ModuleExchange& exchange, SollaeSettings& settings,
                                    const ReadProgress& progress) {
    SollaeReadResult result;
    settings.clearKeyTexts();
    const auto fail = [&result](SollaeStep step, Outcome outcome) {
        result.outcome = outcome;
        result.failedStep = step;
        return result;
    };
    const auto stored = [&](SollaeStep step, int percent) {
        result.lastStored = step;
        if (progress)
            progress(step, percent);
    };
    for (const ParamStep& s : kLeadingSteps) {
        const Outcome outcome = readAndStore(exchange, settings, s.param);
        if (outcome != Outcome::Done)
            return fail(s.step, outcome);
        stored(s.step, s.progress);
    }
    // A pass phrase that fills the first parameter continues in the extension.
    if (settings.passPhrase.size() == 32) {
        const Outcome outcome = readAndStore(exchange, settings, Param::WpaKeyExtension);
        if (outcome == Outcome::NoResponse)
            return fail(SollaeStep::WpaKeyExtension, outcome);
        if (outcome == Outcome::Done) {
            result.extensionRead = true;
            stored(SollaeStep::WpaKeyExtension, -1);
        }
    }
    const Outcome port = readAndStore(exchange, settings, Param::TcpPort);
    if (port != Outcome::Done)
        return fail(SollaeStep::TcpPort, port);
    stored(SollaeStep::TcpPort, -1);

    // A module without the pre-shared key parameter has the basic set.
    const ModuleReply psk = exchange.readParameter(Param::WpaPsk);
    if (!psk.received())
        return fail(SollaeStep::WpaPsk, Outcome::NoResponse);
    if (!decodeReadReply(Param::WpaPsk, psk.bytes)) {
        result.parameterSet = 1;
        if (progress)
            progress(SollaeStep::WpaPsk, 100);
        return result;
    }
    result.parameterSet = 2;
    const Outcome options = readAndStore(exchange, settings, Param::TcpOptions);
    if (options != Outcome::Done)
        return fail(SollaeStep::TcpOptions, options);
    stored(SollaeStep::TcpOptions, -1);
    const ModuleReply version = exchange.version();
    if (!version.received())
        return fail(SollaeStep::Mac, Outcome::NoResponse);
    const auto mac = macFromVersionReply(version.bytes);
    if (!mac)
        return fail(SollaeStep::Mac, Outcome::BadReply);
    settings.mac = *mac;
    stored(SollaeStep::Mac, 100);
    return result;
}

namespace {

// The record in a bulk reply: NotSent, NoResponse (nothing came) or BadReply (short, wrong header).
RecordReadResult recordOf(const ModuleReply& reply) {
    RecordReadResult result;
    if (!reply.sent) {
        result.outcome = Outcome::NotSent;
        return result;
    }
    switch (checkBulkReply(reply.bytes)) {
        case BulkCheck::NoData:
            result.outcome = Outcome::NoResponse;
            break;
        case BulkCheck::Syntax:
            result.outcome = Outcome::BadReply;
            break;
        case BulkCheck::Good:
            result.record = bulkReplyRecord(reply.bytes);
            break;
    }
    return result;
}

}  // namespace

RecordReadResult readModuleRecord(ModuleExchange& exchange, const ModuleExchange::Progress& progress) {
    return recordOf(exchange.bulkRead(progress));
}

RecordReadResult writeModuleRecord(ModuleExchange& exchange, const WifiSettingsRecord& record,
                                   const ModuleExchange::Progress& progress) {
    return recordOf(exchange.bulkWrite(record, progress));
}

RecordSaveResult saveModuleRecord(ModuleExchange& exchange, WifiSettingsRecord& record,
                                  const RecordForm& form, ModuleKind kind,
                                  const std::optional<WifiSettingsRecord>& held,
                                  const ModuleExchange::Progress& progress) {
    RecordSaveResult result;
    foldRecordBasics(record, form);
    result.refusal = checkRecordForm(form);
    if (result.refusal)
        return result;
    foldRecordRest(record, form, kind, held.value_or(record));
    result.written = writeModuleRecord(exchange, record, progress);
    return result;
}

namespace {

// A write or the flash: Done on "701", else why not.
Outcome writeOutcome(const ModuleReply& reply) {
    if (!reply.sent)
        return Outcome::NotSent;
    if (!reply.received())
        return Outcome::NoResponse;
    return replyGood(reply.bytes, false) ? Outcome::Done : Outcome::BadReply;
}

}  // namespace

SollaeSaveResult writeSollaeSettings(ModuleExchange& exchange, const std::vector<SollaeWrite>& writes,
                                     const SaveProgress& progress) {
    SollaeSaveResult result;
    exchange.unlock();
    for (const SollaeWrite& w : writes) {
        const Outcome outcome = writeOutcome(exchange.writeParameter(w.param, w.value));
        if (outcome != Outcome::Done) {
            result.outcome = outcome;
            result.failedParam = w.param;
            return result;
        }
        ++result.writesDone;
        if (progress && w.progress >= 0)
            progress(w.progress);
    }
    const Outcome flashed = writeOutcome(exchange.flash());
    if (flashed == Outcome::NoResponse)
        result.flashSilent = true;
    else
        result.outcome = flashed;
    return result;
}

Outcome resetModule(ModuleExchange& exchange, ModuleKind kind, Clock& clock) {
    switch (kind) {
        case kModuleSollae: {
            const ModuleReply reply = exchange.factoryDefaults();
            if (!reply.sent)
                return Outcome::NotSent;
            if (!reply.received())
                return Outcome::NoResponse;
            // Done only when the module took each of the four commands.
            if (!endsWith(reply.bytes, "\r\n") || completeLines(reply.bytes) < kFactoryDefaultsLines ||
                !everyLineGood(reply.bytes))
                return Outcome::BadReply;
            clock.sleepMs(kResetSettleMs);
            return Outcome::Done;
        }
        case kModuleQuatech:
        case kModuleInc:
            return exchange.resetSettings() ? Outcome::Done : Outcome::NotSent;
        default:
            return Outcome::Unsupported;
    }
}

}  // namespace hollin::wifi
