// The printer's font directory (CPCL), memory and list answers (ZPL) as the font manager reads them,
// and the envelope wrapped around a font file's bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "fonts/font_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace hollin::fonts;
    const std::span<const std::uint8_t> reply(data, size);
    if (const auto d = parseCpclDirectory(reply)) {
        if (d->entries.size() > kMaxFontEntries)
            __builtin_trap();
        for (const auto& e : d->entries) {
            if (e.id != 0 || e.name.empty() || e.name.size() > size)
                __builtin_trap();
            if (fontListLine(e).size() > 3 + 1 + 4 * kShownNameChars + 1 + 10)
                __builtin_trap();
        }
    }
    (void)parseZplMemory(reply);
    if (const auto list = parseZplFontList(reply)) {
        if (list->size() > kMaxFontEntries)
            __builtin_trap();
        for (const auto& e : *list)
            if (e.name.empty() || e.name.size() > size)
                __builtin_trap();
    }
    // The bytes as a font file: the stream holds them unchanged between the header and "}".
    if (size <= 4096) {
        const std::string name(reinterpret_cast<const char*>(data), std::min<std::size_t>(size, 40));
        const std::string headerName = fontNameFromFileName(name);
        if (headerName.size() > kFontNameBytes)
            __builtin_trap();
        const auto stream = fontDownloadStream(9, FontMemory::Flash, headerName, reply);
        const std::size_t text =
            fontDownloadCommand(9, FontMemory::Flash, static_cast<std::uint32_t>(size)).size();
        if (stream.size() != text + kFontHeaderBytes + size + 1 || stream.back() != '}' ||
            !std::equal(reply.begin(), reply.end(),
                        stream.begin() + static_cast<long>(text + kFontHeaderBytes)))
            __builtin_trap();
    }
    return 0;
}
