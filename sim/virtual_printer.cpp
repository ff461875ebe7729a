#include "sim/virtual_printer.h"

#include <algorithm>
#include <stdexcept>

#include "sim/advanced_options.h"
#include "sim/bluetooth.h"
#include "sim/cpcl_text.h"
#include "sim/fonts.h"
#include "sim/json_writer.h"
#include "sim/printer_commands.h"
#include "sim/wifi_module.h"

namespace hollin::sim {
namespace {

// A partial command that never completes must not grow without bound. Every body decides within
// its own bound; this is the last guard, above the longest block.
constexpr std::size_t kMaxBufferedInput = kMaxBlockBody + 64 * 1024;

// Whether a moment on the wrapping 32-bit clock has come (anything up to half the range behind now).
bool hasCome(std::uint32_t at, std::uint32_t now) {
    return elapsedMs(at, now) < 0x80000000u;
}

}  // namespace

int probeReplyByte(int emulation) {
    if (emulation < 0 || emulation >= kEmulationCount)
        return -1;
    if (emulation == 0)
        return 1;
    if (emulation == 1)
        return 0;
    return emulation;
}

BodyLength fixedBody(std::size_t n) {
    return [n](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        if (rest.size() < n)
            return std::nullopt;
        return n;
    };
}

BodyLength countedBody() {
    return [](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        if (rest.empty())
            return std::nullopt;
        if (rest[0] == 0)
            return kNoMatch;
        const std::size_t total = 1 + static_cast<std::size_t>(rest[0]);
        if (rest.size() < total)
            return std::nullopt;
        return total;
    };
}

BodyLength textBody(std::uint8_t terminator, std::size_t maxLength) {
    return [terminator, maxLength](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        const TextScan scan = scanText(rest, terminator, maxLength);
        if (scan.status == TextScan::kComplete)
            return scan.length;
        if (scan.status == TextScan::kInvalid)
            return kNoMatch;
        return std::nullopt;
    };
}

BodyLength blockBody(std::size_t headerSize, BlockSize blockSize, std::size_t maxBody) {
    const std::size_t limit = std::min(maxBody, kMaxBlockBody);
    return [headerSize, blockSize = std::move(blockSize),
            limit](std::span<const std::uint8_t> rest) -> std::optional<std::size_t> {
        if (rest.size() < headerSize)
            return std::nullopt;
        const auto size = blockSize(rest.first(headerSize));
        if (!size || *size > limit || headerSize > limit - *size)
            return kNoMatch;
        const std::size_t total = headerSize + *size;
        if (rest.size() < total)
            return std::nullopt;
        return total;
    };
}

void CommandContext::reply(Bytes answer) {
    printer_.reply(std::move(answer));
}

void CommandContext::log(std::string line) {
    printer_.log_.push_back(std::move(line));
}

void CommandContext::amendLog(std::string_view text) {
    if (printer_.log_.empty())
        printer_.log_.emplace_back();
    printer_.log_.back() += text;
}

void CommandContext::note(std::string_view note) {
    amendLog(" (" + std::string(note) + ")");
}

void CommandContext::relabel(std::string line) {
    if (printer_.log_.empty())
        printer_.log_.emplace_back();
    printer_.log_.back() = std::move(line);
}

void CommandContext::ignore(std::size_t bytes) {
    printer_.ignored_ += bytes;
}

VirtualPrinter::VirtualPrinter(Clock& clock, int emulation, std::string model) : clock_(clock) {
    printer_ = std::make_unique<PrinterCommands>(*this, emulation, std::move(model));
    wifi_ = std::make_unique<WifiModule>(*this, WifiModuleState::Kind::Quatech);
    bluetooth_ = std::make_unique<BluetoothModule>(*this);
    options_ = std::make_unique<AdvancedOptions>(*this, printer_->state.emulation);
    fonts_ = std::make_unique<FontStore>(*this, printer_->state.emulation);
    // Zero bytes wake the printer up; they are not commands.
    addCommand(
        {"", {0x00}, fixedBody(0), [this](std::span<const std::uint8_t>, CommandContext&) { ++wakeUps_; }});
}

VirtualPrinter::~VirtualPrinter() = default;

void VirtualPrinter::addCommand(Command command) {
    // An empty prefix would match everywhere and, with an empty body, never move on.
    if (command.prefix.empty() || !command.bodyLength || !command.handle)
        throw std::invalid_argument("a printer command needs a prefix, a body length and a handler");
    std::lock_guard lock(mutex_);
    const auto at = std::find_if(commands_.begin(), commands_.end(), [&command](const Command& c) {
        return c.prefix.size() < command.prefix.size();
    });
    commands_.insert(at, std::move(command));
}

std::size_t VirtualPrinter::receive(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(mutex_);
    updatePresence();
    if (absent_)
        return 0;
    std::size_t take = bytes.size();
    bool vanishing = false;
    if (vanishAfter_) {
        if (*vanishAfter_ <= take) {
            take = *vanishAfter_;
            vanishing = true;
        } else {
            *vanishAfter_ -= take;
        }
    }
    input_.insert(input_.end(), bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(take));
    received_ += take;
    parseInput();
    if (vanishing) {
        vanishAfter_.reset();
        disappear(vanishForMs_);
    }
    return take;
}

// The commands are tried longest prefix first. The first that may still become a match (its prefix
// or body not all here yet) makes the printer wait for more bytes, so a shorter command never takes
// the start of a longer one; one that cannot match lets the next be tried.
void VirtualPrinter::parseInput() {
    CommandContext context(*this);
    std::size_t pos = 0;
    bool waiting = false;
    while (pos < input_.size() && !waiting) {
        const auto rest = std::span<const std::uint8_t>(input_).subspan(pos);
        bool handled = false;
        for (const Command& command : commands_) {
            const std::size_t n = std::min(rest.size(), command.prefix.size());
            if (!std::equal(rest.begin(), rest.begin() + static_cast<std::ptrdiff_t>(n),
                            command.prefix.begin()))
                continue;
            const auto bodySize = rest.size() < command.prefix.size()
                                      ? std::nullopt
                                      : command.bodyLength(rest.subspan(command.prefix.size()));
            if (!bodySize) {
                waiting = true;
                break;
            }
            if (*bodySize == kNoMatch)
                continue;
            if (!command.name.empty())
                log_.push_back(command.name);
            command.handle(rest.subspan(command.prefix.size(), *bodySize), context);
            pos += command.prefix.size() + *bodySize;
            handled = true;
            break;
        }
        if (!handled && !waiting) {
            ++ignored_;
            ++pos;
        }
    }
    input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(pos));
    if (input_.size() > kMaxBufferedInput) {
        ignored_ += input_.size();
        input_.clear();
    }
}

void VirtualPrinter::reply(Bytes answer) {
    if (silent_ || absent_ || answer.empty())
        return;
    const std::uint32_t start = clock_.tickMs() + delayMs_;
    if (pieceBytes_ == 0) {
        output_.push_back({start, std::move(answer)});
        return;
    }
    std::uint32_t at = start;
    for (std::size_t i = 0; i < answer.size(); i += pieceBytes_) {
        const std::size_t n = std::min(pieceBytes_, answer.size() - i);
        output_.push_back({at, Bytes(answer.begin() + static_cast<std::ptrdiff_t>(i),
                                     answer.begin() + static_cast<std::ptrdiff_t>(i + n))});
        at += gapMs_;
    }
}

Bytes VirtualPrinter::takeOutput(std::size_t max) {
    std::lock_guard lock(mutex_);
    updatePresence();
    Bytes out;
    const std::uint32_t now = clock_.tickMs();
    while (!output_.empty() && out.size() < max && hasCome(output_.front().readyAt, now)) {
        Bytes& front = output_.front().bytes;
        const std::size_t n = std::min(max - out.size(), front.size());
        out.insert(out.end(), front.begin(), front.begin() + static_cast<std::ptrdiff_t>(n));
        front.erase(front.begin(), front.begin() + static_cast<std::ptrdiff_t>(n));
        if (front.empty())
            output_.pop_front();
    }
    return out;
}

std::size_t VirtualPrinter::pending() const {
    std::lock_guard lock(mutex_);
    const std::uint32_t now = clock_.tickMs();
    std::size_t n = 0;
    for (const Piece& piece : output_) {
        if (!hasCome(piece.readyAt, now))
            break;  // answers leave in order
        n += piece.bytes.size();
    }
    return n;
}

std::optional<std::uint32_t> VirtualPrinter::nextOutputInMs() const {
    std::lock_guard lock(mutex_);
    if (output_.empty())
        return std::nullopt;
    const std::uint32_t now = clock_.tickMs();
    const std::uint32_t at = output_.front().readyAt;
    return hasCome(at, now) ? 0u : at - now;
}

std::vector<std::string> VirtualPrinter::log() const {
    std::lock_guard lock(mutex_);
    return log_;
}

void VirtualPrinter::clearLog() {
    std::lock_guard lock(mutex_);
    log_.clear();
}

std::size_t VirtualPrinter::wakeUpBytes() const {
    std::lock_guard lock(mutex_);
    return wakeUps_;
}

std::size_t VirtualPrinter::ignoredBytes() const {
    std::lock_guard lock(mutex_);
    return ignored_;
}

std::size_t VirtualPrinter::bytesReceived() const {
    std::lock_guard lock(mutex_);
    return received_;
}

int VirtualPrinter::emulation() const {
    std::lock_guard lock(mutex_);
    return printer_->state.emulation;
}

void VirtualPrinter::setEmulation(int code) {
    if (probeReplyByte(code) < 0)
        return;
    std::lock_guard lock(mutex_);
    printer_->state.emulation = code;
}

PrinterSettings VirtualPrinter::settings() const {
    std::lock_guard lock(mutex_);
    return printer_->state.settings;
}

void VirtualPrinter::setSettings(PrinterSettings settings) {
    std::lock_guard lock(mutex_);
    printer_->state.settings = std::move(settings);
}

WifiModuleState VirtualPrinter::wifiModule() const {
    std::lock_guard lock(mutex_);
    return wifi_->state;
}

void VirtualPrinter::setWifiModule(WifiModuleState state) {
    std::lock_guard lock(mutex_);
    wifi_->state = std::move(state);
}

void VirtualPrinter::setWifiModuleKind(int kind) {
    std::lock_guard lock(mutex_);
    WifiModuleState& state = wifi_->state;
    const auto misbehaviour = state.misbehaviour;
    state = WifiModuleState();
    state.kind = static_cast<WifiModuleState::Kind>(kind);
    state.misbehaviour = misbehaviour;
    loadModuleDefaults(state);
}

BluetoothState VirtualPrinter::bluetooth() const {
    std::lock_guard lock(mutex_);
    return bluetooth_->state;
}

void VirtualPrinter::setBluetooth(BluetoothState state) {
    std::lock_guard lock(mutex_);
    bluetooth_->state = std::move(state);
}

Bytes VirtualPrinter::optionBlock(int emulation) const {
    if (probeReplyByte(emulation) < 0)
        return {};
    std::lock_guard lock(mutex_);
    return options_->state.blocks[static_cast<std::size_t>(emulation)];
}

void VirtualPrinter::setOptionBlock(int emulation, Bytes block) {
    if (probeReplyByte(emulation) < 0)
        return;
    std::lock_guard lock(mutex_);
    options_->state.blocks[static_cast<std::size_t>(emulation)] = std::move(block);
}

FontsState VirtualPrinter::fonts() const {
    std::lock_guard lock(mutex_);
    return fonts_->state;
}

void VirtualPrinter::setFonts(FontsState state) {
    std::lock_guard lock(mutex_);
    fonts_->state = std::move(state);
}

std::string VirtualPrinter::model() const {
    std::lock_guard lock(mutex_);
    return printer_->state.model;
}

void VirtualPrinter::setModel(std::string text) {
    std::lock_guard lock(mutex_);
    printer_->state.model = std::move(text);
}

std::string VirtualPrinter::stateJson() const {
    std::lock_guard lock(mutex_);
    JsonObject state;
    writeState(state, printer_->state);
    writeState(state, wifi_->state);
    writeState(state, bluetooth_->state);
    writeState(state, options_->state);
    writeState(state, fonts_->state);
    state.object("traffic", JsonObject()
                                .number("bytes_received", static_cast<long long>(received_))
                                .number("wake_up_bytes", static_cast<long long>(wakeUps_))
                                .number("ignored_bytes", static_cast<long long>(ignored_))
                                .texts("log", log_));
    return state.str();
}

void VirtualPrinter::setSilent(bool silent) {
    std::lock_guard lock(mutex_);
    silent_ = silent;
}

void VirtualPrinter::setReplyDelay(std::uint32_t ms) {
    std::lock_guard lock(mutex_);
    delayMs_ = ms;
}

void VirtualPrinter::setReplyPieces(std::size_t pieceBytes, std::uint32_t gapMs) {
    std::lock_guard lock(mutex_);
    pieceBytes_ = pieceBytes;
    gapMs_ = gapMs;
}

void VirtualPrinter::vanishAfter(std::size_t bytes, std::uint32_t absentMs) {
    std::lock_guard lock(mutex_);
    vanishAfter_ = bytes;
    vanishForMs_ = absentMs;
}

void VirtualPrinter::vanish(std::optional<std::uint32_t> absentMs) {
    std::lock_guard lock(mutex_);
    disappear(absentMs);
}

void VirtualPrinter::comeBack() {
    std::lock_guard lock(mutex_);
    absent_ = false;
    backAt_.reset();
}

bool VirtualPrinter::present() const {
    std::lock_guard lock(mutex_);
    if (!absent_)
        return true;
    return backAt_ && hasCome(*backAt_, clock_.tickMs());
}

void VirtualPrinter::updatePresence() {
    if (absent_ && backAt_ && hasCome(*backAt_, clock_.tickMs())) {
        absent_ = false;
        backAt_.reset();
    }
}

// Switched off: whatever was half-received or not yet read is lost.
void VirtualPrinter::disappear(std::optional<std::uint32_t> absentMs) {
    absent_ = true;
    input_.clear();
    output_.clear();
    backAt_.reset();
    if (absentMs)
        backAt_ = clock_.tickMs() + *absentMs;
}

}  // namespace hollin::sim
