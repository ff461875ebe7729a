// The main window's setting buttons against an in-process printer: what reaches the printer, what it
// keeps, what the operator is shown and which controls change.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/printer_commands.h"
#include "sim/virtual_printer.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/no_spooler.h"
#include "support/virtual_serial_port.h"
#include "ui/info_window.h"

namespace hollin::printer {
namespace {

using namespace ids;
using sim::MediaMode;
using sim::SensorPosition;
using test::FakeDesktop;
using test::FakeView;

using test::bytesOf;
using test::concat;
using test::kCom1Device;
constexpr int kInfo = ui::InfoWindow::kDialogId;

using hollin::test::NoSpooler;

// The link's port, passing everything to the in-process port except writes that begin with a chosen
// command: those stay unfinished past the link's wait, as on a line held by flow control.
class StallingPort final : public SerialPort {
  public:
    explicit StallingPort(test::VirtualSerialPort& port) : port_(port) {}
    std::optional<Bytes>* stalled = nullptr;

    bool open(const std::string& device) override { return port_.open(device); }
    bool isOpen() const override { return port_.isOpen(); }
    bool configure(const LineSettings& line) override { return port_.configure(line); }
    bool setTimeouts(const PortTimeouts& t) override { return port_.setTimeouts(t); }
    WriteOutcome write(const std::uint8_t* data, std::size_t length, std::uint32_t waitMs) override {
        if (*stalled && length >= (*stalled)->size() &&
            std::equal((*stalled)->begin(), (*stalled)->end(), data))
            return {WriteStatus::TimedOut, 0};
        return port_.write(data, length, waitMs);
    }
    std::size_t bytesWaiting() override { return port_.bytesWaiting(); }
    long read(std::uint8_t* buffer, std::size_t capacity) override { return port_.read(buffer, capacity); }
    void purge() override { port_.purge(); }
    void close() override { port_.close(); }
    long nativeHandle() const override { return port_.nativeHandle(); }

  private:
    test::VirtualSerialPort& port_;
};

struct SettingsHandlers : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, kCom1Device};
    test::VirtualUsbFinder usb{printer};
    PortMap ports{{}, [](const std::string& name) -> std::optional<std::string> {
                      if (name == "HOLLIN_COM1")
                          return std::string(kCom1Device);
                      return std::nullopt;
                  }};
    NoSpooler spooler;
    std::optional<Bytes> stalledCommand;
    FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CHollinDlg> dlg;
    std::size_t before = 0;

    void SetUp() override {
        MainWindowDeps deps{.clock = clock,
                            .serialPorts = [this]() -> std::unique_ptr<SerialPort> {
                                auto p = std::make_unique<StallingPort>(port);
                                p->stalled = &stalledCommand;
                                return p;
                            },
                            .ports = ports,
                            .usbFinder = usb,
                            .spooler = spooler};
        deps.debugOutput = [](std::string_view) {};
        dlg = std::make_unique<CHollinDlg>(deps);
        view.open(*dlg);
    }

    // Opens COM1 on a printer of this emulation; what is sent afterwards is sent().
    void openOn(int emulation) {
        printer.setEmulation(emulation);
        ASSERT_TRUE(view.click(kOpenPort));
        ASSERT_TRUE(desktop.messages().empty()) << desktop.messageTexts()[0];
        ASSERT_TRUE(dlg->session().isOpen());
        before = port.commandBytes().size();
        printer.clearLog();
    }
    Bytes sent() const {
        const Bytes all = port.commandBytes();
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(before), all.end());
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
    // The last information window: its caption and text.
    std::pair<std::string, std::string> info() {
        FakeView* v = desktop.lastView(kInfo);
        if (v == nullptr)
            return {};
        return {v->title(), v->text(ui::InfoWindow::kText)};
    }
    void answerInfoWithOk() {
        desktop.script(kInfo, [](FakeView& v) { ASSERT_TRUE(v.click(ui::IDOK)); });
    }
    bool portClosed() const {
        return !dlg->session().isOpen() && view.enabled(kOpenPort) && !view.enabled(kClosePort) &&
               view.disabledAll({kSavePowerSave, kPowerSaveList, kPowerSaveMinutes, kGapCalibration});
    }
};

// --- power save

TEST_F(SettingsHandlers, PowerSaveWithMinutesStillUnknownSendsZeroAndClosesThePort) {
    answerInfoWithOk();
    openOn(kEscPos);
    EXPECT_FALSE(view.enabled(kPowerSaveMinutes));
    ASSERT_TRUE(view.select(kPowerSaveList, "Power Off Mode"));
    EXPECT_TRUE(view.enabled(kPowerSaveMinutes));
    ASSERT_EQ(view.text(kPowerSaveMinutes), "?");
    ASSERT_TRUE(view.click(kSavePowerSave));

    EXPECT_EQ(sent(), concat({probeCommand(), {0x1D, 0x53, 0x50, 0x01, 0x00}}));
    EXPECT_EQ(printer.settings().powerSaveMode, 1);
    EXPECT_EQ(printer.settings().powerSaveMinutes, 0);
    EXPECT_EQ(info(), std::make_pair(std::string("Power Save Mode Setting Information"),
                                     std::string("The printer power will be off after 0 minute.")));
    EXPECT_TRUE(messages().empty());
    EXPECT_TRUE(portClosed());
}

TEST_F(SettingsHandlers, PowerSaveModeTwoWithThirtyMinutesClosesThePortEvenWhenTheInfoIsDismissed) {
    openOn(kCpcl);
    ASSERT_TRUE(view.select(kPowerSaveList, "Power Save Mode"));
    ASSERT_TRUE(view.typeOver(kPowerSaveMinutes, "30"));
    ASSERT_TRUE(view.click(kSavePowerSave));  // the info window is closed without its OK button

    EXPECT_EQ(sent(), concat({probeCommand(), {0x1D, 0x53, 0x50, 0x02, 0x1E}}));
    EXPECT_EQ(printer.settings().powerSaveMode, 2);
    EXPECT_EQ(printer.settings().powerSaveMinutes, 30);
    EXPECT_EQ(info().second, "The printer goes into power save mode after 30 minute.");
    EXPECT_EQ(desktop.runs().back().result, ui::kResultCancel);
    EXPECT_TRUE(portClosed());
}

TEST_F(SettingsHandlers, PowerSaveOffSaysTheModeIsOffAndMinutesFollowTheModeList) {
    answerInfoWithOk();
    openOn(kEscPos);
    ASSERT_TRUE(view.select(kPowerSaveList, 2));
    ASSERT_TRUE(view.typeOver(kPowerSaveMinutes, "7x"));  // leading digits count
    ASSERT_TRUE(view.select(kPowerSaveList, 0));
    EXPECT_FALSE(view.enabled(kPowerSaveMinutes));
    ASSERT_TRUE(view.click(kSavePowerSave));
    EXPECT_EQ(sent(), concat({probeCommand(), {0x1D, 0x53, 0x50, 0x00, 0x07}}));
    EXPECT_EQ(info().second, "Printer does not support the power save mode.");
}

TEST_F(SettingsHandlers, PowerSaveOnASilentPrinterSendsNothingAndKeepsThePortOpen) {
    openOn(kEscPos);
    printer.setSilent(true);
    ASSERT_TRUE(view.click(kSavePowerSave));
    EXPECT_EQ(messages(), std::vector<std::string>{"No Response in printer"});
    EXPECT_EQ(sent(), probeCommand());
    EXPECT_EQ(desktop.runCount(kInfo), 0);
    EXPECT_TRUE(dlg->session().isOpen());
    EXPECT_TRUE(view.enabledAll({kSavePowerSave, kPowerSaveList, kClosePort}));
}

TEST_F(SettingsHandlers, PowerSaveThatWasNotSentIsReportedWithoutInfoAndThePortCloses) {
    openOn(kEscPos);
    ASSERT_TRUE(view.select(kPowerSaveList, 1));
    ASSERT_TRUE(view.typeOver(kPowerSaveMinutes, "5"));
    stalledCommand = powerSaveCommand(1, 5);
    ASSERT_TRUE(view.click(kSavePowerSave));
    EXPECT_EQ(messages(), std::vector<std::string>{"Sending ERROR"});
    EXPECT_EQ(desktop.runCount(kInfo), 0);
    EXPECT_EQ(printer.settings().powerSaveMode, 0);
    EXPECT_TRUE(portClosed());
}

// --- code page, sample, density

TEST_F(SettingsHandlers, CodePageIsCountedFromOneOnEplAndNamedFromThePrintersOwnList) {
    struct Case {
        int emulation;
        int position;
        Bytes bytes;
        std::string text;
        int codePage;
    };
    const Case cases[] = {
        {kEscPos, 0, {0x1C, 0x45, 0x50, 0x00}, "Code Page changed to CP_437.", 0},
        {kEpl, 0, {0x1C, 0x45, 0x50, 0x01}, "Code Page changed to CP_437.", 1},
        {kEscPos, 1, {0x1C, 0x45, 0x50, 0x01}, "Code Page changed to CP_KATAKANA.", 1},
        {kEpl, 1, {0x1C, 0x45, 0x50, 0x02}, "Code Page changed to CP_850.", 2},
        {kEpl, 19, {0x1C, 0x45, 0x50, 0x14}, "Code Page changed to CP_1255.", 20},
    };
    std::uint64_t sleptAtInfo = 0;
    desktop.script(kInfo, [&](FakeView& v) {
        sleptAtInfo = clock.sleptMs();
        v.click(ui::IDOK);
    });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        openOn(c.emulation);
        ASSERT_TRUE(view.select(kCodePageList, c.position));
        clock.resetCounts();
        ASSERT_TRUE(view.click(kSaveCodePage));
        EXPECT_EQ(sent(), c.bytes);
        EXPECT_EQ(printer.settings().codePage, c.codePage);
        EXPECT_EQ(info(), std::make_pair(std::string("Code Page Setting Information"), c.text));
        EXPECT_EQ(sleptAtInfo, 100u);  // the printer settles before the result is shown
        EXPECT_TRUE(dlg->session().isOpen());
        ASSERT_TRUE(view.click(kClosePort));
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(SettingsHandlers, PrintCodePageSendsTheSampleThatThePrinterPrints) {
    openOn(kEscPos);
    ASSERT_TRUE(view.click(kPrintCodePage));
    const Bytes all = sent();
    ASSERT_EQ(all.size(), 3u + 180u);
    EXPECT_EQ(Bytes(all.begin(), all.begin() + 3), (Bytes{0x1B, 0x61, 0x01}));
    const sim::PrinterSettings s = printer.settings();
    EXPECT_EQ(s.codePageSamplesPrinted, 1);
    ASSERT_EQ(s.lastCodePageSample.size(), 180u);
    Bytes high;
    for (std::uint8_t b : s.lastCodePageSample) {
        if (b >= 0x80)
            high.push_back(b);
    }
    ASSERT_EQ(high.size(), 128u);
    for (std::size_t i = 0; i < high.size(); ++i)
        EXPECT_EQ(static_cast<std::size_t>(high[i]), 0x80 + i);
    EXPECT_EQ(desktop.runCount(kInfo), 0);
}

TEST_F(SettingsHandlers, DensityMinusOneSendsPositionPlusOneAndIsAnnounced) {
    openOn(kEscPos);
    ASSERT_TRUE(view.select(kDensityList, "DENSITY [-1]"));
    ASSERT_TRUE(view.click(kSaveDensity));
    EXPECT_EQ(sent(), (Bytes{0x1C, 0x23, 0x23, 0x44, 0x45, 0x4E, 0x53, 0x49, 0x54, 0x59, 0x01}));
    EXPECT_EQ(printer.settings().density, 1);
    EXPECT_EQ(info(), std::make_pair(std::string("Printer Density Setting Information"),
                                     std::string("Printer Density changed to DENSITY [-1].")));
    EXPECT_EQ(desktop.runs().back().parent, dlg.get());
}

TEST_F(SettingsHandlers, SettingsThatWereNotSentAreReportedWithoutInfo) {
    openOn(kEscPos);
    stalledCommand = Bytes{0x1C, 0x23};  // density
    ASSERT_TRUE(view.click(kSaveDensity));
    stalledCommand = Bytes{0x1C, 0x45, 0x50};  // code page
    ASSERT_TRUE(view.click(kSaveCodePage));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Sending ERROR", "Sending ERROR"}));
    EXPECT_EQ(desktop.runCount(kInfo), 0);
    EXPECT_EQ(printer.settings().density, sim::PrinterSettings{}.density);
    EXPECT_TRUE(dlg->session().isOpen());
    EXPECT_TRUE(view.enabledAll({kSaveDensity, kSaveCodePage, kDensityList}));
}

TEST_F(SettingsHandlers, AListWithoutAChosenEntryOrNegativeMinutesSendNothingAndSaySo) {
    openOn(kEscPos);
    ASSERT_TRUE(view.select(kPowerSaveList, 1));
    ASSERT_TRUE(view.typeOver(kPowerSaveMinutes, "-5"));
    ASSERT_TRUE(view.click(kSavePowerSave));
    EXPECT_EQ(messages(), std::vector<std::string>{"The minutes must be a number from 0 to 255."});
    desktop.clearMessages();
    view.setSelection(kDensityList, -1);
    view.setSelection(kCodePageList, -1);
    view.setSelection(kPowerSaveList, -1);
    ASSERT_TRUE(view.click(kSaveDensity));
    ASSERT_TRUE(view.click(kSaveCodePage));
    ASSERT_TRUE(view.click(kSavePowerSave));
    EXPECT_EQ(messages(), std::vector<std::string>(3, "No entry is selected in the list."));
    EXPECT_EQ(desktop.messages()[0].caption, "Error");
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(desktop.runCount(kInfo), 0);
    EXPECT_TRUE(dlg->session().isOpen());
}

// --- label media

TEST_F(SettingsHandlers, BlackMarkUpperReachesZplAndCpclPrintersInTheirOwnCommands) {
    for (int emulation : {kZpl, kCpcl}) {
        SCOPED_TRACE(emulation);
        openOn(emulation);
        ASSERT_TRUE(view.select(kSensorPositionList, "Upper"));
        ASSERT_TRUE(view.click(kSetBlackMark));
        const Bytes command = emulation == kZpl ? Bytes{0x1C, 0x55}
                                                : bytesOf(
                                                      "! U1 setvar \"media.sense_mode\" \"bar\"\r\n"
                                                      "! U1 setvar \"media.BM_sense_pos\" \"upper\"\r\n");
        EXPECT_EQ(sent(), concat({probeCommand(), command}));
        EXPECT_EQ(printer.settings().mediaMode, MediaMode::kBlackMark);
        EXPECT_EQ(printer.settings().sensorPosition, SensorPosition::kUpper);
        EXPECT_TRUE(view.disabledAll({kSetBlackMark, kSensorPositionList}));
        EXPECT_TRUE(view.enabledAll({kSetGap, kSetContinuous}));
        ASSERT_TRUE(view.click(kClosePort));
        printer.setSettings({});
    }
    EXPECT_TRUE(messages().empty());
}

TEST_F(SettingsHandlers, OnlyTheButtonOfTheModeJustSetIsDisabled) {
    openOn(kEpl);
    ASSERT_TRUE(view.click(kSetContinuous));
    EXPECT_EQ(sent(), concat({probeCommand(), {0x1C, 0x4A}}));
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kContinuous);
    EXPECT_TRUE(view.disabledAll({kSetContinuous}));
    EXPECT_TRUE(view.enabledAll({kSetGap, kSetBlackMark, kSensorPositionList}));

    ASSERT_TRUE(view.click(kSetGap));
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kGap);
    EXPECT_TRUE(view.disabledAll({kSetGap}));
    EXPECT_TRUE(view.enabledAll({kSetBlackMark, kSetContinuous, kSensorPositionList}));
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"emulation probe", "media continuous",
                                                       "emulation probe", "media gap"}));
}

TEST_F(SettingsHandlers, SetGapWithoutAGapCommandStillMovesTheButtons) {
    for (int now : {kEscPos, kDpl}) {
        SCOPED_TRACE(now);
        openOn(kCpcl);  // media buttons usable; the printer has since changed its emulation
        ASSERT_TRUE(view.click(kSetBlackMark));
        printer.setEmulation(now);
        before = port.commandBytes().size();
        const sim::PrinterSettings kept = printer.settings();
        ASSERT_TRUE(view.click(kSetGap));
        EXPECT_EQ(sent(), probeCommand());
        EXPECT_EQ(printer.settings(), kept);
        EXPECT_EQ(dlg->session().emulationKind, now);
        EXPECT_TRUE(view.disabledAll({kSetGap}));
        EXPECT_TRUE(view.enabledAll({kSetBlackMark, kSetContinuous, kSensorPositionList}));
        ASSERT_TRUE(view.click(kClosePort));
    }
}

TEST_F(SettingsHandlers, KindSixPrintersTakeTheCpclMediaCommandsIncludingGap) {
    openOn(kCpcl);
    ASSERT_TRUE(view.click(kSetContinuous));
    printer.setEmulation(6);
    before = port.commandBytes().size();
    ASSERT_TRUE(view.click(kSetGap));
    EXPECT_EQ(sent(), concat({probeCommand(), bytesOf("! U1 setvar \"media.sense_mode\" \"gap\"\r\n")}));
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kGap);
}

TEST_F(SettingsHandlers, MediaButtonsChangeNothingWhenThePrinterIsSilentOrTheCommandIsNotSent) {
    openOn(kZpl);
    printer.setSilent(true);
    ASSERT_TRUE(view.click(kSetGap));
    EXPECT_EQ(messages(), std::vector<std::string>{"No Response in printer"});
    EXPECT_EQ(desktop.messages()[0].caption, "Error");
    EXPECT_EQ(sent(), probeCommand());
    EXPECT_TRUE(view.enabledAll({kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList}));

    printer.setSilent(false);
    desktop.clearMessages();
    stalledCommand = Bytes{0x1C, 0x4C};  // black mark, lower
    ASSERT_TRUE(view.click(kSetBlackMark));
    EXPECT_EQ(messages(), std::vector<std::string>{"Sending ERROR"});
    EXPECT_EQ(printer.settings().mediaMode, MediaMode::kGap);
    EXPECT_TRUE(view.enabledAll({kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList}));
}

TEST_F(SettingsHandlers, CalibrationsAreSentWithoutProbeAndCountedByThePrinter) {
    openOn(kCpcl);
    ASSERT_TRUE(view.click(kGapCalibration));
    ASSERT_TRUE(view.click(kGapCalibration));
    ASSERT_TRUE(view.click(kBlackMarkCalibration));
    EXPECT_EQ(sent(), (Bytes{0x1C, 0x46, 0x1C, 0x46, 0x1C, 0x42}));
    EXPECT_EQ(printer.settings().gapCalibrations, 2);
    EXPECT_EQ(printer.settings().blackMarkCalibrations, 1);
    EXPECT_TRUE(view.enabledAll({kGapCalibration, kBlackMarkCalibration, kSetGap, kSetBlackMark}));
    EXPECT_TRUE(messages().empty());
}

// --- compatible mode (its group lies below the window's visible area; nothing in the window enables
// the radios, so the test does)

TEST_F(SettingsHandlers, CompatibleModeIsSavedOnlyOnEscPosAndCpclPrinters) {
    const auto choose = [this](ControlId radio) {
        view.enable(kCompatibleOn, true);
        view.enable(kCompatibleOff, true);
        return view.chooseRadio(radio, {kCompatibleOn, kCompatibleOff});
    };
    openOn(kCpcl);
    EXPECT_FALSE(view.enabled(kSaveCompatible));
    ASSERT_TRUE(choose(kCompatibleOn));
    EXPECT_TRUE(view.checked(kCompatibleOn));
    EXPECT_FALSE(view.checked(kCompatibleOff));
    ASSERT_TRUE(view.click(kSaveCompatible));
    EXPECT_EQ(sent(), concat({{0x1B, 0x23}, bytesOf("tavik"), {0x02, 0x43, 0x01}}));
    EXPECT_EQ(printer.settings().compatibleMode, 1);
    EXPECT_FALSE(view.enabled(kSaveCompatible));

    ASSERT_TRUE(choose(kCompatibleOff));
    EXPECT_TRUE(view.enabled(kSaveCompatible));
    stalledCommand = Bytes{0x1B, 0x23};
    ASSERT_TRUE(view.click(kSaveCompatible));
    EXPECT_EQ(messages(), std::vector<std::string>{"Sending ERROR"});
    EXPECT_TRUE(view.enabled(kSaveCompatible));
    EXPECT_EQ(printer.settings().compatibleMode, 1);
    stalledCommand.reset();
    ASSERT_TRUE(view.click(kSaveCompatible));
    EXPECT_EQ(printer.settings().compatibleMode, 0);
    ASSERT_TRUE(view.click(kClosePort));

    desktop.clearMessages();
    openOn(kZpl);
    ASSERT_TRUE(choose(kCompatibleOn));
    ASSERT_TRUE(view.click(kSaveCompatible));
    EXPECT_TRUE(sent().empty());
    EXPECT_EQ(printer.settings().compatibleMode, 0);
    EXPECT_FALSE(view.enabled(kSaveCompatible));
}

}  // namespace
}  // namespace hollin::printer
