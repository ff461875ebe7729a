// The Wi-Fi module's answers: identification, Sollae line replies (read, write, version, reset) and
// the bulk record reply, as the Wi-Fi window reads them.
#include <cstddef>
#include <cstdint>
#include <span>

#include "wificodec/module_protocol.h"
#include "wificodec/sollae_settings.h"

using namespace hollin::wifi;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::span<const std::uint8_t> reply(data, size);
    const ModuleKind kind = moduleKindFromIdentification(reply);
    if (kind < kModuleSollae || kind > kModuleOther)
        __builtin_trap();

    SollaeSettings settings;
    for (const ModuleParameter& p : moduleParameters()) {
        const auto value = decodeReadReply(p.param, reply);
        if (value && value->size() != valueLength(p))
            __builtin_trap();
        if (value)
            storeParameter(settings, p.param, *value);
    }
    if (settings.passPhrase.size() > 64 || settings.ssid.size() > 32 || settings.mode > 15 ||
        settings.channel > 15)
        __builtin_trap();
    if (const auto version = versionFromReply(reply);
        version && (version->major > 255 || version->minor > 255))
        __builtin_trap();
    if (const auto mac = macFromVersionReply(reply); mac && mac->size() != 17)
        __builtin_trap();
    (void)replyGood(reply, false);
    (void)everyLineGood(reply);

    const BulkCheck check = checkBulkReply(reply);
    const auto record = bulkReplyRecord(reply);
    if ((check == BulkCheck::Good) != record.has_value() || (check == BulkCheck::NoData) != reply.empty())
        __builtin_trap();
    if (record) {
        (void)record->macText();
        (void)record->line(hollin::wifi::field::kSsid);
        (void)record->address(hollin::wifi::field::kIp);
        (void)record->decimal(hollin::wifi::field::kChannel3);
        (void)record->hexNumber(hollin::wifi::field::kTcpPort);
    }
    return 0;
}
