#pragma once

// What became of an action on a printer or its Wi-Fi module. Every operation reports one of these;
// each face (a window, the command line) maps it to its own message, control state or exit code.
namespace hollin {

enum class Outcome {
    Done,              // the command went out; a read got its answer
    NotSent,           // the link was closed or the write gave up
    NoResponse,        // nothing came back within the exchange's bounds
    UnknownEmulation,  // the answer names no emulation this action accepts
    Unsupported,       // the printer's emulation or the module's kind takes no such action: nothing was sent
    Refused,           // a value has no byte on the wire: nothing was sent
    BadReply,          // a reply came but is too short, failed its check or did not decode
};

}  // namespace hollin
