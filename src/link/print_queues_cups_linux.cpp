// The print queues of CUPS through IPP: CUPS-Get-Printers, CUPS-Add-Modify-Printer and
// CUPS-Delete-Printer on the administrator's resource.

#include <cups/cups.h>

#include <utility>

#include "link/cups_connection.h"
#include "link/print_queues.h"
#include "link/spooler_cups.h"

namespace hollin {
namespace {

// A queue is added, listed or removed within this bound.
constexpr std::uint32_t kAdminBoundMs = 5000;

QueueOutcome outcomeOf(const CupsConnection& connection, ipp_t* response) {
    const ipp_status_t status = cupsLastError();
    if (response != nullptr && status <= IPP_STATUS_OK_EVENTS_COMPLETE)
        return QueueOutcome::Done;
    if (status == IPP_STATUS_ERROR_NOT_AUTHORIZED || status == IPP_STATUS_ERROR_FORBIDDEN ||
        status == IPP_STATUS_ERROR_CUPS_AUTHENTICATION_CANCELED)
        return QueueOutcome::NotAuthorised;
    if (connection.unreachable())
        return QueueOutcome::ServerDown;
    return QueueOutcome::Refused;
}

// A request about queue `name`, addressed as ipp://localhost/printers/NAME.
ipp_t* queueRequest(ipp_op_t op, const std::string& name) {
    ipp_t* request = ippNewRequest(op);
    char uri[HTTP_MAX_URI];
    httpAssembleURIf(HTTP_URI_CODING_ALL, uri, sizeof uri, "ipp", nullptr, "localhost", 0, "/printers/%s",
                     name.c_str());
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_URI, "printer-uri", nullptr, uri);
    ippAddString(request, IPP_TAG_OPERATION, IPP_TAG_NAME, "requesting-user-name", nullptr, cupsUser());
    return request;
}

}  // namespace

std::vector<PrintQueue> printQueuesFromCupsReply(ipp_t* reply) {
    std::vector<PrintQueue> queues;
    PrintQueue queue;
    const auto endRecord = [&] {
        if (!queue.name.empty())
            queues.push_back(queue);
        queue = {};
    };
    for (ipp_attribute_t* a = ippFirstAttribute(reply); a != nullptr; a = ippNextAttribute(reply)) {
        const char* attribute = ippGetName(a);
        if (ippGetGroupTag(a) != IPP_TAG_PRINTER || attribute == nullptr) {
            endRecord();
            continue;
        }
        const char* value = ippGetString(a, 0, nullptr);
        if (value == nullptr)
            continue;
        if (std::string_view(attribute) == "printer-name")
            queue.name = value;
        else if (std::string_view(attribute) == "device-uri")
            queue.deviceUri = value;
    }
    endRecord();
    return queues;
}

namespace {

class CupsPrintQueues final : public PrintQueues {
  public:
    CupsPrintQueues(std::string server, std::uint32_t boundMs)
        : server_(std::move(server)), boundMs_(boundMs) {}

    QueueListing list() override {
        CupsConnection connection(server_, boundMs_);
        ipp_t* request = ippNewRequest(IPP_OP_CUPS_GET_PRINTERS);
        static const char* const kAttributes[] = {"printer-name", "device-uri"};
        ippAddStrings(request, IPP_TAG_OPERATION, IPP_TAG_KEYWORD, "requested-attributes", 2, nullptr,
                      kAttributes);
        ipp_t* response = connection.request(request, "/");
        QueueListing listing;
        listing.outcome = outcomeOf(connection, response);
        // No queue at all is an answer too.
        if (listing.outcome == QueueOutcome::Refused && cupsLastError() == IPP_STATUS_ERROR_NOT_FOUND)
            listing.outcome = QueueOutcome::Done;
        if (listing.outcome == QueueOutcome::Done && response != nullptr)
            listing.queues = printQueuesFromCupsReply(response);
        else if (listing.outcome != QueueOutcome::Done)
            listing.message = cupsLastErrorString();
        ippDelete(response);
        return listing;
    }

    QueueChange addRaw(const std::string& name, const std::string& deviceUri) override {
        // CUPS-Add-Modify-Printer changes a queue that exists: look first, so that none is changed.
        const QueueListing present = list();
        if (present.outcome != QueueOutcome::Done)
            return {present.outcome, present.message};
        for (const PrintQueue& queue : present.queues)
            if (queue.name == name)
                return {QueueOutcome::NameTaken, {}};
        ipp_t* request = queueRequest(IPP_OP_CUPS_ADD_MODIFY_PRINTER, name);
        ippAddString(request, IPP_TAG_PRINTER, IPP_TAG_URI, "device-uri", nullptr, deviceUri.c_str());
        ippAddInteger(request, IPP_TAG_PRINTER, IPP_TAG_ENUM, "printer-state", IPP_PSTATE_IDLE);
        ippAddBoolean(request, IPP_TAG_PRINTER, "printer-is-accepting-jobs", 1);
        return send(request);
    }

    QueueChange remove(const std::string& name) override {
        return send(queueRequest(IPP_OP_CUPS_DELETE_PRINTER, name));
    }

  private:
    QueueChange send(ipp_t* request) {
        CupsConnection connection(server_, boundMs_);
        ipp_t* response = connection.request(request, "/admin/");
        QueueChange change{outcomeOf(connection, response), {}};
        if (change.outcome != QueueOutcome::Done)
            change.message = cupsLastErrorString();
        ippDelete(response);
        return change;
    }

    std::string server_;
    std::uint32_t boundMs_;
};

}  // namespace

std::unique_ptr<PrintQueues> makeCupsPrintQueues(std::string server, std::uint32_t boundMs) {
    return std::make_unique<CupsPrintQueues>(std::move(server), boundMs);
}

std::unique_ptr<PrintQueues> makeSystemPrintQueues() {
    return makeCupsPrintQueues({}, kAdminBoundMs);
}

}  // namespace hollin
