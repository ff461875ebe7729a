#pragma once

#include <cups/cups.h>

#include <cstdint>
#include <string>

// One connection to a CUPS server whose every wait ends within a bound counted from its start, for
// the spooler adapters.
namespace hollin {

class CupsConnection {
  public:
    // `server`: a host, "host:port" or a local socket path; empty: the configured one.
    CupsConnection(const std::string& server, std::uint32_t boundMs);
    ~CupsConnection();
    CupsConnection(const CupsConnection&) = delete;
    CupsConnection& operator=(const CupsConnection&) = delete;

    http_t* http() const { return http_; }
    // The request's reply (nothing when it failed); takes the request.
    ipp_t* request(ipp_t* request, const char* resource);
    // Whether the server could not be reached or did not answer within the bound.
    bool unreachable() const;

  private:
    struct Deadline {
        std::uint32_t start = 0;
        std::uint32_t boundMs = 0;
        bool expired = false;
    };
    static int keepWaiting(http_t* http, void* data);

    Deadline deadline_;
    http_t* http_ = nullptr;
};

}  // namespace hollin
