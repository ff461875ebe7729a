#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "app/simulation.h"
#include "fonts/font_codec.h"
#include "printer/printer_operations.h"

// What one run of hollinctl was asked for, taken from its arguments before anything is opened.
namespace hollin::cli {

// Exit codes, stable for scripts.
enum ExitCode : int {
    kExitDone = 0,
    kExitFailed = 1,            // the printer's reply was too short, or the module's check failed
    kExitRefused = 2,           // a bad argument or value: nothing was sent
    kExitNoResponse = 3,        // the printer did not answer
    kExitUnknownEmulation = 4,  // the printer answered with no emulation this command takes
    kExitNotSent = 5,           // the link was closed or the write gave up
    kExitDeviceBusy = 6,        // the port did not open, or a print queue holds it
    kExitNetwork = 7,           // the network search could not run
    kExitUnsupported = 8,       // the printer's emulation takes no such command: nothing was sent
    kExitSpoolerDown = 9,       // the print server (CUPS) is not running or does not answer
    kExitNotAuthorised = 10,    // the print server refused this user
    kExitQueueExists = 11,      // a print queue of that name exists already (left as it is)
    kExitSpoolerRefused = 12,   // the print server refused the request for another reason
};

struct Request {
    std::string port = "COM1";
    // The open line; the defaults are the main window's: 19200 8N1, DTR/DSR.
    printer::SerialLineChoice line;
    bool json = false;
    bool help = false;
    bool version = false;
    app::SimulationOptions simulation;
    std::optional<std::string> secretFile;  // a path, or "-" for standard input
    std::optional<std::string> broadcast;
    std::optional<std::string> directed;
    int sensorPosition = 0;  // black mark media: 0 lower, 1 upper
    int fontId = 1;          // font download: 1..9
    fonts::FontMemory fontMemory = fonts::FontMemory::Flash;
    std::optional<std::string> saveTfd;    // font download: the ".tfd" copy
    bool withSecrets = false;              // profile save: the Wi-Fi keys too
    std::vector<std::string> ports;        // profile apply: the printers, in turn
    bool allFound = false;                 // profile apply: every COMn mapped and the USB printer
    std::optional<std::string> queueName;  // cups add: the queue's name
    bool watch = false;                    // ports: keep showing changes
    std::optional<int> watchSeconds;       // ports --watch: stop after this many seconds
    bool csv = false;                      // net search: CSV with a header row
    bool allPrinters = false;              // net apply: every printer found
    std::vector<std::string> macs;         // net apply: the printers named (--mac, repeatable)
    bool dryRun = false;                   // net apply: show the changes, write nothing
    int jobs = 16;                         // net apply: saves side by side
    std::vector<std::string> words;        // the command and its arguments
};

struct ParsedRequest {
    std::optional<Request> request;
    std::string error;  // names the argument when `request` is empty
};
ParsedRequest parseArguments(std::vector<std::string> args);

// A list position for a text: an entry of `names` in any letter case, or nothing.
std::optional<int> positionIn(const std::vector<std::string_view>& names, std::string_view text);
// "on"/"off" (also 1/0, yes/no, true/false).
std::optional<bool> parseSwitch(std::string_view text);
// A whole decimal number, nothing for anything else.
std::optional<int> parseNumber(std::string_view text);

// The text of --help: the commands and the exit codes (from hollinctl.help, the man page's source).
std::string_view helpText();
// The line of --version.
std::string versionText();

}  // namespace hollin::cli
