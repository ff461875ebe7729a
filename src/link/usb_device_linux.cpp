// USB printers on Linux: the kernel's printer-class driver (usblp) gives each printer a node
// /dev/usb/lpN; sysfs tells which USB device is behind it.
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#include <utility>

#include "link/usb_device.h"

namespace hollin {
namespace {

namespace fs = std::filesystem;

// How long one write waits for the printer to take bytes before it counts as failed.
constexpr int kWriteWaitMs = 2000;

class LinuxUsbPrinterDevice final : public UsbPrinterDevice {
  public:
    explicit LinuxUsbPrinterDevice(int fd) : fd_(fd) {}
    ~LinuxUsbPrinterDevice() override { close(fd_); }

    long write(std::span<const std::uint8_t> data) override {
        pollfd p{fd_, POLLOUT, 0};
        const int ready = poll(&p, 1, kWriteWaitMs);
        if (ready < 0)
            return errno == EINTR ? 0 : -1;
        if (ready == 0)
            return 0;
        if (p.revents & (POLLERR | POLLHUP | POLLNVAL))
            return -1;
        const ssize_t n = ::write(fd_, data.data(), data.size());
        if (n < 0)
            return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
        return static_cast<long>(n);
    }

    long readAvailable(std::span<std::uint8_t> buffer) override {
        const ssize_t n = ::read(fd_, buffer.data(), buffer.size());
        if (n < 0)
            return (errno == EAGAIN || errno == EINTR) ? 0 : -1;
        return static_cast<long>(n);
    }

    ReadWait waitReadable(std::uint32_t ms) override {
        pollfd p{fd_, POLLIN, 0};
        const int ready = poll(&p, 1, static_cast<int>(std::min<std::uint32_t>(ms, 1u << 30)));
        if (ready == 0)
            return ReadWait::TimedOut;
        if (ready > 0 && (p.revents & POLLIN) != 0)
            return ReadWait::Readable;
        // Interrupted, or the printer is gone: the caller's clock takes the pause.
        return ReadWait::CannotWait;
    }

  private:
    int fd_;
};

std::optional<std::uint16_t> readUsbId(const fs::path& file) {
    std::ifstream in(file);
    if (!in)
        return std::nullopt;
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    return parseUsbId(text);
}

// The ids of the USB device whose interface carries the printer-class device `entry`.
bool acceptedEntry(const fs::path& entry) {
    std::error_code ec;
    const fs::path iface = fs::canonical(entry / "device", ec);
    if (ec)
        return false;
    const auto vendor = readUsbId(iface.parent_path() / "idVendor");
    const auto product = readUsbId(iface.parent_path() / "idProduct");
    return vendor && product && isAcceptedUsbPrinter(*vendor, *product);
}

// Opens a printer's device node; on failure `failure` tells which node and why.
std::unique_ptr<UsbPrinterDevice> openNode(const std::string& node, OpenFailure& failure) {
    const int fd = open(node.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        failure = openFailureFor(node, errno);
        return nullptr;
    }
    failure = {};
    return std::make_unique<LinuxUsbPrinterDevice>(fd);
}

class LinuxUsbPrinterFinder final : public UsbPrinterFinder {
  public:
    LinuxUsbPrinterFinder(std::string sysRoot, std::string devRoot, std::optional<std::string> node)
        : sysRoot_(std::move(sysRoot)), devRoot_(std::move(devRoot)), node_(std::move(node)) {}

    std::unique_ptr<UsbPrinterDevice> openPrinter() override {
        failure_ = {"", OpenFailureReason::Missing, 0};
        if (node_)
            return openNode(*node_, failure_);
        for (const std::string& node : findUsbPrinterNodes(sysRoot_, devRoot_)) {
            if (auto device = openNode(node, failure_))
                return device;
        }
        return nullptr;
    }

    OpenFailure lastFailure() const override { return failure_; }

  private:
    std::string sysRoot_;
    std::string devRoot_;
    std::optional<std::string> node_;
    OpenFailure failure_;
};

}  // namespace

std::vector<std::string> findUsbPrinterNodes(const std::string& sysRoot, const std::string& devRoot) {
    std::vector<std::pair<int, std::string>> found;
    std::error_code ec;
    for (fs::directory_iterator it(fs::path(sysRoot) / "class" / "usbmisc", ec), end; !ec && it != end;
         it.increment(ec)) {
        const std::string name = it->path().filename().string();
        const auto number = printerDeviceNumber(name);
        if (number && acceptedEntry(it->path()))
            found.emplace_back(*number, (fs::path(devRoot) / "usb" / name).string());
    }
    std::sort(found.begin(), found.end());
    std::vector<std::string> nodes;
    for (auto& entry : found)
        nodes.push_back(std::move(entry.second));
    return nodes;
}

std::unique_ptr<UsbPrinterFinder> makeLinuxUsbPrinterFinder(std::string sysRoot, std::string devRoot,
                                                            std::optional<std::string> node) {
    return std::make_unique<LinuxUsbPrinterFinder>(std::move(sysRoot), std::move(devRoot), std::move(node));
}

std::unique_ptr<UsbPrinterFinder> makeUsbPrinterFinder() {
    std::optional<std::string> node;
    if (const char* named = std::getenv("HOLLIN_USB"); named != nullptr && *named != '\0')
        node = named;
    return makeLinuxUsbPrinterFinder("/sys", "/dev", std::move(node));
}

}  // namespace hollin
