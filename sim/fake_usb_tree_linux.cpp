#include <stdlib.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

#include "sim/fake_usb_tree.h"

namespace hollin::sim {
namespace {

namespace fs = std::filesystem;

std::string hexId(std::uint16_t id) {
    char text[8];
    std::snprintf(text, sizeof text, "%04x\n", id);
    return text;
}

bool writeText(const fs::path& file, const std::string& text) {
    std::ofstream out(file);
    out << text;
    return static_cast<bool>(out);
}

// Each device sits on its own port of the first bus: 1-1 for lp0, 1-2 for lp1, ...
std::string busDevice(int number) {
    return "1-" + std::to_string(number + 1);
}

}  // namespace

FakeUsbTree::FakeUsbTree() {
    std::error_code ec;
    const fs::path base = fs::temp_directory_path(ec);
    if (ec)
        return;
    std::string pattern = (base / "hollin-usb-XXXXXX").string();
    std::vector<char> name(pattern.begin(), pattern.end());
    name.push_back('\0');
    if (mkdtemp(name.data()) == nullptr)
        return;
    const fs::path root = name.data();
    fs::create_directories(root / "sys" / "class" / "usbmisc", ec);
    if (!ec)
        fs::create_directories(root / "sys" / "devices" / "usb1", ec);
    if (!ec)
        fs::create_directories(root / "dev" / "usb", ec);
    if (ec) {
        fs::remove_all(root, ec);
        return;
    }
    root_ = root.string();
}

FakeUsbTree::~FakeUsbTree() {
    std::lock_guard lock(mutex_);
    for (auto& [number, device] : devices_)
        detach(number, device);
    if (!root_.empty()) {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }
}

std::string FakeUsbTree::sysRoot() const {
    return (fs::path(root_) / "sys").string();
}

std::string FakeUsbTree::devRoot() const {
    return (fs::path(root_) / "dev").string();
}

std::string FakeUsbTree::nodePath(int number) const {
    return (fs::path(root_) / "dev" / "usb" / ("lp" + std::to_string(number))).string();
}

bool FakeUsbTree::addPrinter(int number, std::uint16_t vendor, std::uint16_t product,
                             VirtualPrinter& printer) {
    std::lock_guard lock(mutex_);
    if (root_.empty() || number < 0 || devices_.count(number) != 0)
        return false;
    Device device{vendor, product, std::make_unique<PtyPrinterServer>(printer)};
    if (!attach(number, device))
        return false;
    devices_.emplace(number, std::move(device));
    return true;
}

void FakeUsbTree::unplug(int number) {
    std::lock_guard lock(mutex_);
    const auto it = devices_.find(number);
    if (it != devices_.end())
        detach(number, it->second);
}

bool FakeUsbTree::plugIn(int number) {
    std::lock_guard lock(mutex_);
    const auto it = devices_.find(number);
    return it != devices_.end() && attach(number, it->second);
}

bool FakeUsbTree::attach(int number, Device& device) {
    if (!device.server->start())
        return false;
    const std::string lp = "lp" + std::to_string(number);
    const std::string usb = busDevice(number);
    const std::string iface = usb + ":1.0";
    const fs::path sys = fs::path(root_) / "sys";
    const fs::path usbDir = sys / "devices" / "usb1" / usb;
    const fs::path lpDir = usbDir / iface / "usbmisc" / lp;
    std::error_code ec;
    fs::create_directories(lpDir, ec);
    const bool made = !ec && writeText(usbDir / "idVendor", hexId(device.vendor)) &&
                      writeText(usbDir / "idProduct", hexId(device.product)) &&
                      writeText(lpDir / "dev", "180:" + std::to_string(number) + "\n");
    if (made) {
        fs::create_directory_symlink(fs::path("../../..") / iface, lpDir / "device", ec);
        if (!ec)
            fs::create_directory_symlink(fs::path("../../devices/usb1") / usb / iface / "usbmisc" / lp,
                                         sys / "class" / "usbmisc" / lp, ec);
        if (!ec)
            fs::create_symlink(device.server->slavePath(), nodePath(number), ec);
    }
    if (!made || ec) {
        detach(number, device);
        return false;
    }
    return true;
}

void FakeUsbTree::detach(int number, Device& device) {
    const std::string lp = "lp" + std::to_string(number);
    const fs::path sys = fs::path(root_) / "sys";
    std::error_code ec;
    fs::remove(sys / "class" / "usbmisc" / lp, ec);
    fs::remove_all(sys / "devices" / "usb1" / busDevice(number), ec);
    fs::remove(nodePath(number), ec);
    device.server->stop();
}

}  // namespace hollin::sim
