#pragma once

namespace hollin {

// How a wait for the printer's bytes ended.
enum class ReadWait {
    Readable,    // bytes wait to be read
    TimedOut,    // the whole wait passed without any
    CannotWait,  // the device has nothing to wait on; the caller pauses on its own clock
};

}  // namespace hollin
