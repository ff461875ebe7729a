#include "link/cups_connection.h"

#include <sys/socket.h>

#include "platform/clock.h"

namespace hollin {
namespace {

// How often a request waiting for the server looks at its bound.
constexpr double kWaitSliceSeconds = 0.1;

// An administrator's request never asks anyone for a password: the user's own credentials (the
// local socket's peer credentials) are all it has.
const char* noPassword(const char* /*prompt*/, http_t* /*http*/, const char* /*method*/,
                       const char* /*resource*/, void* /*data*/) {
    return nullptr;
}

}  // namespace

CupsConnection::CupsConnection(const std::string& server, std::uint32_t boundMs)
    : deadline_{systemClock().tickMs(), boundMs, false} {
    cupsSetPasswordCB2(noPassword, nullptr);
    const std::string host = server.empty() ? std::string(cupsServer()) : server;
    http_ = httpConnect2(host.c_str(), ippPort(), nullptr, AF_UNSPEC, cupsEncryption(), 1,
                         static_cast<int>(boundMs), nullptr);
    if (http_ != nullptr)
        httpSetTimeout(http_, kWaitSliceSeconds, keepWaiting, &deadline_);
}

CupsConnection::~CupsConnection() {
    if (http_ != nullptr)
        httpClose(http_);
}

ipp_t* CupsConnection::request(ipp_t* request, const char* resource) {
    if (http_ == nullptr) {
        ippDelete(request);
        return nullptr;
    }
    return cupsDoRequest(http_, request, resource);
}

bool CupsConnection::unreachable() const {
    return http_ == nullptr || deadline_.expired || httpError(http_) != 0 ||
           cupsLastError() == IPP_STATUS_ERROR_SERVICE_UNAVAILABLE;
}

int CupsConnection::keepWaiting(http_t* /*http*/, void* data) {
    auto& deadline = *static_cast<Deadline*>(data);
    deadline.expired = elapsedMs(deadline.start, systemClock().tickMs()) >= deadline.boundMs;
    return deadline.expired ? 0 : 1;
}

}  // namespace hollin
