#pragma once

#include "link/driver_port_check.h"

namespace hollin::test {

// No spooler to ask: no port is held by a printer driver, and nothing is said about it.
class NoSpooler final : public Spooler {
  public:
    SpoolerListing localPrinters() override { return {}; }
};

}  // namespace hollin::test
