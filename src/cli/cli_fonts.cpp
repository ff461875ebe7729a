// hollinctl's font commands: list, download and delete the TrueType fonts of a CPCL or ZPL printer.
// The font window's questions are arguments: the target (--id, --memory) and the ".tfd" copy
// (--save-tfd); the file is read, sized and wrapped before the port opens.
#include <memory>

#include "cli/cli_internal.h"
#include "fonts/font_operations.h"
#include "transport/byte_channel.h"

namespace hollin::cli {
namespace {

bool takesFonts(int emulationKind) {
    return emulationKind == kCpcl || emulationKind == kZpl;
}

std::string baseName(const std::string& path) {
    const auto slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

Plan planFontList() {
    return {[](Connection& c) {
        if (!takesFonts(c.session.emulationKind))
            return Outcome::Unsupported;
        const auto channel = printer::LinkCopyChannel::of(c.session);
        const fonts::FontDirectoryResult listed = fonts::readPrinterFonts(*channel, c.session.emulationKind);
        if (listed.outcome != Outcome::Done)
            return listed.outcome;
        c.report.number("fonts", static_cast<long>(listed.entries.size()));
        for (std::size_t i = 0; i < listed.entries.size(); ++i)
            c.report.text("font-" + std::to_string(i + 1), fonts::fontListLine(listed.entries[i]));
        if (listed.free)
            c.report.number("free", *listed.free);
        if (listed.used)
            c.report.number("used", *listed.used);
        return Outcome::Done;
    }};
}

// A listed font by its name (CPCL) or its ID (ZPL); the printer is asked first, as the window only
// deletes what it listed.
Plan planFontDelete(const std::vector<std::string>& words) {
    if (words.size() != 3)
        return refuse("font delete: one NAME (CPCL) or ID (ZPL)");
    return {[which = words[2]](Connection& c) {
        if (!takesFonts(c.session.emulationKind))
            return Outcome::Unsupported;
        const auto channel = printer::LinkCopyChannel::of(c.session);
        const fonts::FontDirectoryResult listed = fonts::readPrinterFonts(*channel, c.session.emulationKind);
        if (listed.outcome != Outcome::Done)
            return listed.outcome;
        const auto id = parseNumber(which);
        for (const auto& entry : listed.entries) {
            const bool match = c.session.emulationKind == kZpl ? id && static_cast<long>(entry.id) == *id
                                                               : entry.name == which;
            if (!match)
                continue;
            c.report.text("deleted", fonts::fontListLine(entry));
            return fonts::deletePrinterFont(*channel, c.session.emulationKind, entry);
        }
        c.refusal = "font delete: the printer lists no font " + which;
        return Outcome::Refused;
    }};
}

Plan planFontDownload(const Request& request, Deps& deps) {
    const auto& words = request.words;
    if (words.size() != 3)
        return refuse("font download: one TrueType FILE");
    const fonts::FontSelection selection{.path = words[2],
                                         .fileName = baseName(words[2]),
                                         .fontId = request.fontId,
                                         .memory = request.fontMemory};
    auto stream = fonts::buildFontDownload(deps.fontFiles, selection);
    if (!stream)
        return refuse(words[2] + ": " + std::string(fonts::kFileSizeText.english));
    if (request.saveTfd) {
        const std::string path = fonts::tfdFileName(*request.saveTfd);
        const auto written = deps.fontFiles.replace(path, *stream);
        if (written == fonts::FontFiles::Written::NotCreated)
            return refuse("--save-tfd: " + std::string(fonts::kWriteOpenFailedText) + " (" + path + ")");
        if (written == fonts::FontFiles::Written::Failed)
            return refuse("--save-tfd: " + std::string(fonts::kTfdWriteFailedText.english));
        // What goes out is the file as saved, read back whole.
        fonts::SavedStream saved = fonts::rereadFontStream(deps.fontFiles, path, stream->size());
        if (saved.status != fonts::SavedStream::Status::Read)
            return refuse("--save-tfd: " + std::string(fonts::kReadSizeErrorText.english) + " (" + path +
                          ")");
        stream = std::move(saved.bytes);
    }
    auto shared = std::make_shared<Bytes>(std::move(*stream));
    return {[shared, selection](Connection& c) {
        if (!takesFonts(c.session.emulationKind))
            return Outcome::Unsupported;
        c.report.text("font", fonts::fontNameFromFileName(selection.fileName));
        c.report.number("id", selection.fontId);
        c.report.text("memory", selection.memory == fonts::FontMemory::Flash ? "flash" : "ram");
        c.report.number("bytes", static_cast<long>(shared->size()));
        auto& exchange = c.session.exchange;
        const bool sent = fonts::sendFontStream(
            [&exchange](std::span<const std::uint8_t> b) { return exchange.SendToPrinter(b); }, *shared,
            progressUntilDone(c.deps, "font download"));
        if (!sent)
            return Outcome::NotSent;
        showProgress(c.deps, "font download", 100);
        return Outcome::Done;
    }};
}

}  // namespace

Plan planFont(const Request& request, Deps& deps) {
    const std::string_view sub = word(request.words, 1);
    if (sub == "list")
        return planFontList();
    if (sub == "delete")
        return planFontDelete(request.words);
    if (sub == "download")
        return planFontDownload(request, deps);
    return refuse("font: list, download FILE or delete NAME|ID");
}

}  // namespace hollin::cli
