#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "sim/json_writer.h"
#include "sim/virtual_printer.h"

// TrueType fonts kept by a CPCL or ZPL printer.
//
// A download is GS "{W,<id>,A,<F|R>,<n>," followed by a block of n bytes (a 32-byte header, then the
// font) and "}". The block is taken in by its length, so whatever bytes the font holds are stored
// intact and never read as commands. The printer keeps the font when the header matches the command
// (04 20, the same ID, its size field n, its header size 32), the block ends in "}" and the memory
// has room; a font of the same ID or name is replaced. Otherwise the download is logged "(rejected)".
//
// Answers:
// - CPCL GS "{W,0,H,F}": "Directory", one "NAME SIZE" line per font, "N bytes free", each line
//   ending in CR LF;
// - ZPL GS "{W,0,M,F}": "{RW,0,M,F|<free>,<used>|}"; GS "{W,0,H,Z}":
//   "{RW,0,H,Z|<id>,<name>,<size>|...|}" (the "R" after the brace marks an answer; readers look only
//   at bytes 0, 2, 4, 6 and 8 of the signature).
// Deletes: "! U1 DEL <name>" CR LF by name, GS "{W,<id>,C,F}" by ID; neither answers.
// SIZE is the font's own bytes, without the header.
namespace hollin::sim {

struct StoredFont {
    int id = 0;
    int memory = 1;  // 0 RAM, 1 Flash
    std::string name;
    std::uint32_t size = 0;      // the font's bytes
    std::uint16_t checksum = 0;  // CRC-16 (itemCrc) of the font's bytes
};

struct FontsState {
    std::vector<StoredFont> fonts;  // in order of arrival
    std::uint32_t flashBytes = 8 * 1024 * 1024;
    std::uint32_t ramBytes = 1024 * 1024;

    std::uint32_t used(int memory) const;
    std::uint32_t free(int memory) const;
};

// Adds "fonts" (each font, and free and used memory) to the state object.
void writeState(JsonObject& out, const FontsState& state);

class FontStore {
  public:
    // `emulation` is the printer's current emulation code, read with the printer locked.
    FontStore(VirtualPrinter& printer, const int& emulation);

    FontStore(const FontStore&) = delete;
    FontStore& operator=(const FontStore&) = delete;

    FontsState state;

  private:
    void handleBrace(std::span<const std::uint8_t> body, CommandContext& printer);
    void download(std::span<const std::uint8_t> body, CommandContext& printer);
    void answerCpclDirectory(CommandContext& printer);
    void answerZplMemory(CommandContext& printer);
    void answerZplList(CommandContext& printer);
    void deleteWhere(CommandContext& printer, const std::function<bool(const StoredFont&)>& match);

    const int& emulation_;
};

}  // namespace hollin::sim
