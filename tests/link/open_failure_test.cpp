#include "link/open_failure.h"

#include <gtest/gtest.h>

#include <cerrno>

#include "common/text_twin.h"

namespace hollin {
namespace {

struct DetailCase {
    OpenFailure failure;
    PortKind kind;
    int language;
    const char* detail;
};

TEST(OpenFailure, TheSecondLineNamesTheDeviceTheReasonAndForARefusalTheRemedy) {
    const DetailCase cases[] = {
        {openFailureFor("/dev/ttyUSB0", EACCES), PortKind::Serial, kLanguageEnglish,
         "/dev/ttyUSB0: permission denied. Add your user to the group of the device (on Debian: sudo "
         "adduser $USER dialout) and log in again."},
        {openFailureFor("/dev/usb/lp0", EPERM), PortKind::Usb, kLanguageEnglish,
         "/dev/usb/lp0: permission denied. Install Hollin's package (its udev rule gives the printer to the "
         "user at the desk) and plug the printer in again, or add your user to the lp group (sudo adduser "
         "$USER lp) and log in again."},
        {openFailureFor("/dev/ttyS0", EBUSY), PortKind::Serial, kLanguageEnglish,
         "/dev/ttyS0: busy, another program holds the port."},
        {openFailureFor("/dev/ttyS0", EWOULDBLOCK), PortKind::Serial, kLanguageEnglish,
         "/dev/ttyS0: busy, another program holds the port."},
        {openFailureFor("/dev/rfcomm0", ENOENT), PortKind::Serial, kLanguageEnglish,
         "/dev/rfcomm0: no such device."},
        {openFailureFor("/dev/ttyACM0", ENXIO), PortKind::Serial, kLanguageKorean,
         "/dev/ttyACM0: 장치가 없습니다."},
        {{"COM7", OpenFailureReason::Missing, 0},
         PortKind::Serial,
         kLanguageEnglish,
         "COM7: no such device."},
        {{"", OpenFailureReason::Missing, 0},
         PortKind::Usb,
         kLanguageEnglish,
         "No USB printer (12ee:9485 or 0525:a702) is plugged in."},
        {openFailureFor("/tmp/file", ENOTTY), PortKind::Serial, kLanguageEnglish,
         "/tmp/file: cannot be opened (Inappropriate ioctl for device)."},
        {{"/dev/ttyUSB1", OpenFailureReason::LineSettings, 0},
         PortKind::Serial,
         kLanguageEnglish,
         "/dev/ttyUSB1: the port did not take its line settings."},
        {openFailureFor("/dev/ttyUSB2", 0), PortKind::Serial, kLanguageEnglish,
         "/dev/ttyUSB2: cannot be opened."},
        {{}, PortKind::Serial, kLanguageEnglish, ""},
    };
    for (const DetailCase& c : cases) {
        SCOPED_TRACE(c.failure.device + " " + std::to_string(c.failure.error));
        EXPECT_EQ(openFailureDetail(c.failure, c.kind, c.language), c.detail);
    }
}

TEST(OpenFailure, TheFirstLineStaysAsItIs) {
    EXPECT_EQ(openFailureMessage("Serial Port Open Failed", openFailureFor("/dev/ttyS3", EBUSY),
                                 PortKind::Serial, kLanguageEnglish),
              "Serial Port Open Failed\n/dev/ttyS3: busy, another program holds the port.");
    EXPECT_EQ(openFailureMessage("USB Port Open Failed", {}, PortKind::Usb, kLanguageEnglish),
              "USB Port Open Failed");
}

}  // namespace
}  // namespace hollin
