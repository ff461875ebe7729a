#include "link/open_failure.h"

#include <cerrno>
#include <cstring>

#include "common/text_twin.h"

namespace hollin {

namespace {

constexpr TextTwin kDeniedSerial = {
    ": permission denied. Add your user to the group of the device (on Debian: sudo adduser $USER "
    "dialout) and log in again.",
    ": 권한이 없습니다. 사용자를 장치의 그룹에 추가한 뒤 (Debian: sudo adduser $USER dialout) 다시 "
    "로그인하십시오."};
constexpr TextTwin kDeniedUsb = {
    ": permission denied. Install Hollin's package (its udev rule gives the printer to the user at the "
    "desk) and plug the printer in again, or add your user to the lp group (sudo adduser $USER lp) and "
    "log in again.",
    ": 권한이 없습니다. Hollin 패키지를 설치하고 (udev 규칙) 프린터를 다시 연결하거나, 사용자를 lp "
    "그룹에 추가한 뒤 (sudo adduser $USER lp) 다시 로그인하십시오."};
constexpr TextTwin kBusy = {": busy, another program holds the port.",
                            ": 다른 프로그램이 포트를 사용 중입니다."};
constexpr TextTwin kMissing = {": no such device.", ": 장치가 없습니다."};
constexpr TextTwin kNoUsbPrinter = {"No USB printer (12ee:9485 or 0525:a702) is plugged in.",
                                    "USB 프린터 (12ee:9485, 0525:a702)가 연결되어 있지 않습니다."};
constexpr TextTwin kNotSetUp = {": the port did not take its line settings.", ": 포트 설정에 실패했습니다."};
constexpr TextTwin kOther = {": cannot be opened", ": 열 수 없습니다"};

}  // namespace

OpenFailureReason openFailureReasonFor(int error) {
    switch (error) {
        case 0:
            return OpenFailureReason::None;
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenFailureReason::PermissionDenied;
        case EBUSY:
        case EWOULDBLOCK:
            return OpenFailureReason::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenFailureReason::Missing;
        default:
            return OpenFailureReason::Other;
    }
}

OpenFailure openFailureFor(std::string device, int error) {
    const OpenFailureReason reason = openFailureReasonFor(error);
    return {std::move(device), reason == OpenFailureReason::None ? OpenFailureReason::Other : reason, error};
}

std::string openFailureDetail(const OpenFailure& failure, PortKind kind, int messageLanguage) {
    const auto with = [&](const TextTwin& text) {
        return failure.device + std::string(pickText(text, messageLanguage));
    };
    switch (failure.reason) {
        case OpenFailureReason::None:
            return {};
        case OpenFailureReason::PermissionDenied:
            return with(kind == PortKind::Usb ? kDeniedUsb : kDeniedSerial);
        case OpenFailureReason::Busy:
            return with(kBusy);
        case OpenFailureReason::Missing:
            if (failure.device.empty())
                return std::string(pickText(kNoUsbPrinter, messageLanguage));
            return with(kMissing);
        case OpenFailureReason::LineSettings:
            return with(kNotSetUp);
        case OpenFailureReason::Other:
            break;
    }
    if (failure.error == 0)
        return with(kOther) + ".";
    return with(kOther) + " (" + std::strerror(failure.error) + ").";
}

std::string openFailureMessage(std::string_view firstLine, const OpenFailure& failure, PortKind kind,
                               int messageLanguage) {
    std::string text(firstLine);
    const std::string detail = openFailureDetail(failure, kind, messageLanguage);
    if (!detail.empty())
        text += "\n" + detail;
    return text;
}

}  // namespace hollin
