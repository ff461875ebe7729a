#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "common/bytes.h"
#include "link/driver_port_check.h"
#include "link/port_map.h"
#include "main_window/hollin_dlg.h"
#include "main_window/main_window_ids.h"
#include "printer/printer_commands.h"
#include "sim/virtual_printer.h"
#include "support/byte_text.h"
#include "support/fake_desktop.h"
#include "support/virtual_serial_port.h"

namespace hollin::printer {
namespace {

using namespace ids;
using test::FakeDesktop;
using test::FakeView;

using test::bytesOf;
using test::concat;
using test::kCom1Device;

class ListedSpooler final : public Spooler {
  public:
    SpoolerListing listing;  // unreachable until a test fills it
    SpoolerListing localPrinters() override { return listing; }
};

// The main window on a FakeView, with COM1 leading to an in-process printer (serial) that is also
// the one USB printer present, all on virtual time.
struct MainWindow : ::testing::Test {
    VirtualClock clock;
    sim::VirtualPrinter printer{clock, kEscPos, "Alder"};
    test::VirtualSerialPort port{printer, clock, kCom1Device};
    test::VirtualUsbFinder usb{printer};
    PortMap ports{{"ttyUSB0", "ttyS0"}, [](const std::string& name) -> std::optional<std::string> {
                      if (name == "HOLLIN_COM1")
                          return std::string(kCom1Device);
                      return std::nullopt;
                  }};
    ListedSpooler spooler;
    std::vector<std::string> debugTexts;
    FakeDesktop desktop;
    FakeView view{desktop};
    std::unique_ptr<CHollinDlg> dlg;

    void SetUp() override {
        MainWindowDeps deps{.clock = clock,
                            .serialPorts = test::VirtualSerialPort::factoryFor(port),
                            .ports = ports,
                            .usbFinder = usb,
                            .spooler = spooler};
        deps.debugOutput = [this](std::string_view t) { debugTexts.emplace_back(t); };
        dlg = std::make_unique<CHollinDlg>(deps);
        view.open(*dlg);
    }

    // Opens COM1 (or whatever is selected) on a printer of this emulation.
    void openOn(int emulation) {
        printer.setEmulation(emulation);
        ASSERT_TRUE(view.click(kOpenPort));
        ASSERT_TRUE(desktop.messages().empty()) << desktop.messageTexts()[0];
        ASSERT_TRUE(dlg->session().isOpen());
    }
    // The command bytes written after the first `count`.
    Bytes sentSince(std::size_t count) const {
        const Bytes all = port.commandBytes();
        return Bytes(all.begin() + static_cast<std::ptrdiff_t>(count), all.end());
    }
    std::vector<std::string> messages() const { return desktop.messageTexts(); }
    bool closedState() const {
        return !dlg->session().isOpen() && view.enabled(kOpenPort) && !view.enabled(kClosePort) &&
               view.enabled(kExit) && view.enabled(kPortList) && view.enabled(kStartWifi);
    }
};

TEST_F(MainWindow, StartsWithTheConnectionListsAndOnlyConnectionControlsUsable) {
    ASSERT_EQ(view.items(kPortList).size(), 10u);
    EXPECT_EQ(view.items(kPortList).front(), "COM1");
    EXPECT_EQ(view.items(kPortList)[8], "COM9");
    EXPECT_EQ(view.items(kPortList).back(), "USB");
    EXPECT_EQ(view.selectedText(kPortList), "COM1");
    EXPECT_EQ(view.items(kBaudList), (std::vector<std::string>{"115200", "57600", "38400", "19200", "9600",
                                                               "4800", "2400", "1200"}));
    EXPECT_EQ(view.selectedText(kBaudList), "19200");
    EXPECT_EQ(view.selectedText(kParityList), "NONE");
    EXPECT_EQ(view.selectedText(kDataBitsList), "8");
    EXPECT_EQ(view.selectedText(kStopBitsList), "1");
    EXPECT_EQ(view.items(kFlowList), (std::vector<std::string>{"DTR/DSR", "Xon/Xoff"}));
    EXPECT_EQ(view.selectedText(kFlowList), "DTR/DSR");

    EXPECT_TRUE(view.enabledAll({kPortList, kOpenPort, kStartWifi, kExit, kBaudList, kFlowList}));
    EXPECT_TRUE(view.disabledAll({kClosePort,
                                  kSaveSerialConfig,
                                  kGetEmulation,
                                  kSetCpcl,
                                  kSetEscPos,
                                  kSetGap,
                                  kSetBlackMark,
                                  kSetContinuous,
                                  kSensorPositionList,
                                  kDensityList,
                                  kSaveDensity,
                                  kFontOpenFile,
                                  kFontDownload,
                                  kPowerSaveList,
                                  kSavePowerSave,
                                  kCodePageList,
                                  kAdvancedOptions,
                                  kStartBluetooth,
                                  kGapCalibration,
                                  kBlackMarkCalibration,
                                  kSaveCompatible,
                                  kCompatibleOn,
                                  kCompatibleOff,
                                  kBtPin,
                                  kBtName}));
    EXPECT_EQ(view.limit(kBtPin), 10);
    EXPECT_EQ(view.limit(kPowerSaveMinutes), 2);
    EXPECT_EQ(view.limit(kBtName), 18);
    EXPECT_EQ(view.icon(kOpenPort), 130);
    EXPECT_EQ(view.icon(kBlackMarkCalibration), 182);
    const test::GroupCaptionStyle plain{0x108CE7, true, false}, centred{0x108CE7, true, true};
    EXPECT_EQ(view.captionStyle(1020), plain);
    EXPECT_EQ(view.captionStyle(1023), centred);
    EXPECT_EQ(view.captionStyle(1219), plain);
    // The port box tells which device each COM name stands for.
    EXPECT_EQ(view.itemToolTip(kPortList, 0), ports.toolTip("COM1"));
    EXPECT_NE(view.itemToolTip(kPortList, 0).find(kCom1Device), std::string::npos);
    EXPECT_NE(view.itemToolTip(kPortList, 1).find("/dev/ttyS0"), std::string::npos);
}

TEST_F(MainWindow, UsbHasNoLineParametersAndComOneGetsThemBack) {
    const auto lines = {kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList};
    ASSERT_TRUE(view.select(kPortList, "USB"));
    EXPECT_TRUE(view.disabledAll(lines));
    EXPECT_EQ(view.icon(kOpenPort), 142);
    EXPECT_EQ(view.icon(kClosePort), 143);
    ASSERT_TRUE(view.select(kPortList, "COM1"));
    EXPECT_TRUE(view.enabledAll(lines));
    EXPECT_EQ(view.icon(kOpenPort), 130);
    EXPECT_EQ(view.icon(kClosePort), 135);
}

TEST_F(MainWindow, SevenDataBitsWithoutParityIsRefusedWhicheverListChanged) {
    ASSERT_TRUE(view.select(kDataBitsList, "7"));
    ASSERT_EQ(messages(), std::vector<std::string>{"Data Bits=7, Parity=NONE is not supported"});
    EXPECT_EQ(desktop.messages()[0].caption, "ERROR");
    EXPECT_EQ(view.selectedText(kDataBitsList), "8");

    ASSERT_TRUE(view.select(kParityList, "EVEN"));
    ASSERT_TRUE(view.select(kDataBitsList, "7"));
    EXPECT_EQ(messages().size(), 1u);  // 7 with EVEN is fine
    ASSERT_TRUE(view.select(kParityList, "NONE"));
    EXPECT_EQ(messages().size(), 2u);
    EXPECT_EQ(view.selectedText(kParityList), "ODD");
    EXPECT_EQ(view.selectedText(kDataBitsList), "7");
}

TEST_F(MainWindow, OpeningAnEscPosPrinterEnablesItsControlsAndCloseGivesExitBack) {
    openOn(kEscPos);
    EXPECT_EQ(view.text(kEmulationText), "ESC/POS");
    EXPECT_TRUE(view.enabledAll({kClosePort, kGetEmulation, kSetCpcl, kSetEscPos, kSaveSerialConfig,
                                 kDensityList, kSaveDensity, kCodePageList, kSaveCodePage, kPrintCodePage,
                                 kPowerSaveList, kSavePowerSave, kBaudList, kDataBitsList, kParityList,
                                 kStopBitsList, kStartBluetooth, kGapCalibration, kBlackMarkCalibration}));
    EXPECT_TRUE(view.disabledAll({kPortList, kOpenPort, kStartWifi, kExit, kSetGap, kSetBlackMark,
                                  kSetContinuous, kSensorPositionList, kAdvancedOptions, kFontOpenFile}));
    EXPECT_TRUE(view.hiddenAll({kFontGroup, kFontOpenFile, kFontDownload}));
    EXPECT_EQ(view.items(kCodePageList).size(), 29u);
    EXPECT_EQ(view.selectedText(kCodePageList), "CP_437");
    EXPECT_EQ(view.selectedText(kDensityList), "DENSITY [+1]");
    EXPECT_EQ(view.selectedText(kPowerSaveList), "Power Save Off");
    EXPECT_EQ(view.text(kPowerSaveMinutes), "?");
    EXPECT_EQ(view.items(kSensorPositionList), (std::vector<std::string>{"Lower", "Upper"}));
    EXPECT_EQ(view.text(kSetCpcl), "Set CPCL");
    // The printer heard the probe and the model query, after the wake-up.
    EXPECT_EQ(printer.log(), (std::vector<std::string>{"emulation probe", "model query"}));
    EXPECT_EQ(printer.wakeUpBytes(), 2u);
    EXPECT_EQ(port.line()->baud, 19200u);

    ASSERT_TRUE(view.click(kClosePort));
    EXPECT_TRUE(closedState());
    EXPECT_TRUE(view.enabledAll({kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList}));
    EXPECT_TRUE(
        view.disabledAll({kGetEmulation, kDensityList, kCodePageList, kStartBluetooth, kGapCalibration}));
    EXPECT_EQ(view.text(kEmulationText), "");
}

TEST_F(MainWindow, ACpclPrinterGetsMediaFontsAndAdvancedOptionsButNoDensityOrDataBits) {
    openOn(kCpcl);
    EXPECT_EQ(view.text(kEmulationText), "CPCL");
    EXPECT_TRUE(view.enabledAll({kSetGap, kSetBlackMark, kSetContinuous, kSensorPositionList,
                                 kAdvancedOptions, kFontOpenFile, kSaveSerialConfig, kSetCpcl, kSetEscPos}));
    EXPECT_TRUE(view.visibleAll({kFontGroup, kFontOpenFile, kFontDownload, kAdvancedOptions}));
    EXPECT_TRUE(view.disabledAll(
        {kDensityList, kSaveDensity, kDataBitsList, kFlowList, kFontDownload, kCodePageList}));
    // After Close Port the data-bits and flow lists stay disabled for a CPCL printer.
    ASSERT_TRUE(view.click(kClosePort));
    EXPECT_TRUE(closedState());
    EXPECT_TRUE(view.disabledAll({kDataBitsList, kFlowList}));
    EXPECT_TRUE(view.enabledAll({kBaudList, kParityList, kStopBitsList}));
}

TEST_F(MainWindow, AnMpclPrinterCannotSaveItsLineOrSwitchEmulation) {
    openOn(kMpcl);
    EXPECT_EQ(view.text(kEmulationText), "MPCL");
    EXPECT_TRUE(view.disabledAll({kSaveSerialConfig, kSetCpcl, kSetEscPos, kSetGap, kDensityList}));
    EXPECT_TRUE(view.enabledAll({kClosePort, kGetEmulation, kPowerSaveList}));
}

TEST_F(MainWindow, AnEplPrinterGetsTheEplCodePagesWithoutTheSample) {
    openOn(kEpl);
    EXPECT_EQ(view.text(kEmulationText), "EPL");
    ASSERT_EQ(view.items(kCodePageList).size(), 20u);
    EXPECT_EQ(view.items(kCodePageList)[19], "CP_1255");
    EXPECT_TRUE(view.enabledAll({kCodePageList, kSaveCodePage, kSetGap}));
    EXPECT_TRUE(view.disabledAll({kPrintCodePage, kSetCpcl, kSetEscPos, kAdvancedOptions}));
    EXPECT_TRUE(view.hiddenAll({kFontGroup}));
}

TEST_F(MainWindow, ModelsBirchAndCedarLoseContinuousMediaOthersChangeNothing) {
    printer.setModel("Birch 2inch");
    openOn(kCpcl);
    EXPECT_EQ(dlg->session().modelIndex, 1);
    EXPECT_TRUE(view.disabledAll({kSetContinuous, kSensorPositionList}));
    EXPECT_TRUE(view.enabledAll({kSetGap, kSetBlackMark}));
    view.click(kClosePort);

    for (const char* model : {"Oak 4inch", ""}) {  // no model name; no answer at all
        SCOPED_TRACE(model);
        printer.setModel(model);
        openOn(kCpcl);
        EXPECT_TRUE(view.enabledAll({kSetContinuous, kSensorPositionList}));
        view.click(kClosePort);
    }
}

TEST_F(MainWindow, ASilentPrinterIsReportedAfter200PausesAndNothingElseIsSent) {
    printer.setSilent(true);
    clock.resetCounts();
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_EQ(messages(), std::vector<std::string>{"No Response in printer"});
    EXPECT_EQ(desktop.messages()[0].caption, "Error");
    EXPECT_EQ(clock.sleepCount(), 1u + 200u);  // the wake-up pause, then the probe's
    EXPECT_EQ(clock.sleptMs(), 350u + 2000u);
    EXPECT_EQ(port.commandBytes(), probeCommand());
    EXPECT_FALSE(dlg->session().isOpen());
    EXPECT_TRUE(view.enabledAll({kOpenPort, kPortList, kExit}));
    EXPECT_TRUE(view.disabledAll({kClosePort, kGetEmulation}));
}

TEST_F(MainWindow, AnUnknownEmulationCodeIsReportedAndThePortClosed) {
    port.answerNextWriteWith(bytesOf("OK\r\n"));
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_EQ(messages(), std::vector<std::string>{"Failed to read emulation"});
    EXPECT_FALSE(dlg->session().isOpen());
    EXPECT_TRUE(view.disabledAll({kClosePort}));
}

TEST_F(MainWindow, PortsThatDoNotOpenAreReported) {
    ASSERT_TRUE(view.select(kPortList, "COM2"));  // no device behind it
    ASSERT_TRUE(view.click(kOpenPort));
    ASSERT_TRUE(view.select(kPortList, "USB"));
    usb.setPresent(false);
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_EQ(messages(), (std::vector<std::string>{"Serial Port Open Failed\n/dev/ttyS0: no such device.",
                                                    "USB Port Open Failed\nNo USB printer (12ee:9485 or "
                                                    "0525:a702) is plugged in."}));
    EXPECT_EQ(desktop.messages()[1].caption, "Error");
    EXPECT_TRUE(view.enabledAll({kOpenPort, kExit}));
    EXPECT_EQ(printer.bytesReceived(), 0u);
}

TEST_F(MainWindow, APortHeldByAPrinterDriverIsNotOpened) {
    spooler.listing = {SpoolerListing::Status::Listed, {{"Label Printer", "COM1:"}}};
    ASSERT_TRUE(view.click(kOpenPort));
    ASSERT_EQ(messages().size(), 1u);
    EXPECT_NE(
        messages()[0].find("The port(COM1:) is already occupied in windows printer driver(Label Printer)"),
        std::string::npos);
    EXPECT_EQ(port.openCount(), 0);

    // A spooler without printers is mentioned, and the port opens.
    spooler.listing = {SpoolerListing::Status::Listed, {}};
    desktop.clearMessages();
    ASSERT_TRUE(view.click(kOpenPort));
    EXPECT_EQ(messages(), std::vector<std::string>{"EnumPrinters() failed"});
    EXPECT_TRUE(dlg->session().isOpen());
}

TEST_F(MainWindow, UsbOpensWithoutLineParametersAndReadsTheEmulation) {
    ASSERT_TRUE(view.select(kPortList, "USB"));
    openOn(kZpl);
    EXPECT_EQ(dlg->session().linkKind(), kLinkUsb);
    EXPECT_EQ(view.text(kEmulationText), "ZPL");
    EXPECT_EQ(port.openCount(), 0);
    EXPECT_EQ(printer.wakeUpBytes(), 0u);
    const BorrowedLink lent = dlg->lendLink();
    EXPECT_TRUE(lent.valid());
    EXPECT_EQ(lent.link, &dlg->session().usb);
    EXPECT_EQ(lent.emulationKind, kZpl);
}

TEST_F(MainWindow, TheOpenSerialPortIsLentToChildWindows) {
    EXPECT_FALSE(dlg->lendLink().valid());
    openOn(kCpcl);
    const BorrowedLink lent = dlg->lendLink();
    ASSERT_TRUE(lent.valid());
    EXPECT_EQ(lent.link, &dlg->session().serial);
    EXPECT_EQ(dlg->session().serial.nativeHandle(), test::VirtualSerialPort::kHandle);
    EXPECT_EQ(dlg->borrowedLink().link, lent.link);
}

TEST_F(MainWindow, GetEmulationReadsOnlyTheNamedEmulations) {
    openOn(kEscPos);
    printer.setEmulation(kZpl);
    ASSERT_TRUE(view.click(kGetEmulation));
    EXPECT_EQ(view.text(kEmulationText), "ZPL");
    EXPECT_EQ(dlg->session().emulationKind, kZpl);

    port.answerNextWriteWith(bytesOf("6"));
    ASSERT_TRUE(view.click(kGetEmulation));
    EXPECT_EQ(view.text(kEmulationText), "Unkonwn Emulation");
    EXPECT_EQ(dlg->session().emulationKind, kZpl);

    printer.setSilent(true);
    ASSERT_TRUE(view.click(kGetEmulation));
    EXPECT_EQ(messages(), std::vector<std::string>{"No Response in printer"});
    EXPECT_EQ(view.text(kEmulationText), "Unkonwn Emulation");
    // The other controls keep their state.
    EXPECT_TRUE(view.enabledAll({kClosePort, kSetCpcl, kSetEscPos, kDensityList}));
}

TEST_F(MainWindow, SetCpclOnAnEplPrinterSwitchesItToZplAndClosesThePort) {
    openOn(kEscPos);
    printer.setEmulation(kEpl);
    ASSERT_TRUE(view.click(kGetEmulation));  // Set CPCL is still enabled from the ESC/POS open
    const std::size_t before = port.commandBytes().size();
    ASSERT_TRUE(view.click(kSetCpcl));
    const Bytes sent = sentSince(before);
    EXPECT_EQ(sent, (Bytes{0x1C, 0x45, 0x53, 0x03}));
    EXPECT_EQ(view.text(kEmulationText), "ZPL");
    EXPECT_EQ(printer.emulation(), kZpl);
    EXPECT_TRUE(closedState());
    EXPECT_TRUE(view.disabledAll({kDataBitsList, kFlowList, kAdvancedOptions, kGetEmulation, kStartBluetooth,
                                  kGapCalibration, kBlackMarkCalibration}));
    EXPECT_TRUE(messages().empty());
}

TEST_F(MainWindow, SetEscPosGivesTheDataBitsAndFlowListsBack) {
    openOn(kCpcl);
    ASSERT_TRUE(view.click(kSetEscPos));
    EXPECT_EQ(view.text(kEmulationText), "ESC/POS");
    EXPECT_EQ(printer.emulation(), kEscPos);
    EXPECT_TRUE(closedState());
    EXPECT_TRUE(view.enabledAll({kDataBitsList, kFlowList, kBaudList}));
    // The printer answers the next open in its new emulation.
    openOn(printer.emulation());
    EXPECT_EQ(view.text(kEmulationText), "ESC/POS");
}

TEST_F(MainWindow, AnEmulationSwitchThatWasNotSentChangesNothingAndSaysSo) {
    openOn(kCpcl);
    port.setWritesTimeOut(true);
    ASSERT_TRUE(view.click(kSetEscPos));
    EXPECT_EQ(messages(), std::vector<std::string>{"Sending ERROR"});
    EXPECT_EQ(dlg->session().emulationKind, kCpcl);
    EXPECT_EQ(view.text(kEmulationText), "CPCL");
    EXPECT_EQ(printer.emulation(), kCpcl);
    EXPECT_TRUE(closedState());
}

TEST_F(MainWindow, SerialSaveSendsTheNineByteCommandAndTheNewLineOpensAgain) {
    openOn(kEscPos);
    ASSERT_TRUE(view.select(kBaudList, "115200"));
    ASSERT_TRUE(view.select(kParityList, "EVEN"));
    ASSERT_TRUE(view.select(kStopBitsList, "2"));
    ASSERT_TRUE(view.select(kFlowList, "Xon/Xoff"));
    const std::size_t before = port.commandBytes().size();
    ASSERT_TRUE(view.click(kSaveSerialConfig));
    const Bytes sent = sentSince(before);
    EXPECT_EQ(sent, concat({{0x1D, 0x53, 0x43, 0x01}, bytesOf("41232")}));
    EXPECT_TRUE(closedState());
    EXPECT_TRUE(view.enabledAll({kBaudList, kDataBitsList, kParityList, kStopBitsList, kFlowList}));
    EXPECT_TRUE(view.disabledAll({kSaveSerialConfig, kGetEmulation, kStartBluetooth, kGapCalibration}));
    EXPECT_TRUE(debugTexts.empty());

    // The lists keep the values just saved, and the printer answers on them.
    EXPECT_EQ(printer.settings().serialLine.baud, 115200);
    openOn(kEscPos);
    EXPECT_EQ(port.line()->baud, 115200u);
}

TEST_F(MainWindow, ACpclPrinterGetsItsLineAsFourTextsAlsoWrittenToTheDebugOutput) {
    openOn(kCpcl);
    ASSERT_TRUE(view.select(kBaudList, "9600"));
    ASSERT_TRUE(view.select(kParityList, "ODD"));
    const std::size_t before = port.commandBytes().size();
    ASSERT_TRUE(view.click(kSaveSerialConfig));
    const std::vector<std::string> texts = {
        "! U1 setvar \"comm.baud\" \"9600\"\r\n", "! U1 setvar \"comm.parity\" \"o\"\r\n",
        "! U1 setvar \"comm.stop_bits\" \"1\"\r\n", "! U1 do \"comm.comm_apply\"\r\n"};
    const Bytes sent = sentSince(before);
    EXPECT_EQ(sent, concat({bytesOf(texts[0]), bytesOf(texts[1]), bytesOf(texts[2]), bytesOf(texts[3])}));
    EXPECT_EQ(debugTexts, texts);
    EXPECT_EQ(printer.settings().serialLine.baud, 9600);
    EXPECT_EQ(printer.settings().serialLine.parity, sim::Parity::kOdd);
    EXPECT_TRUE(closedState());
    EXPECT_FALSE(view.enabled(kClosePort));
}

TEST_F(MainWindow, ASerialSaveThatWasNotSentIsReported) {
    openOn(kEscPos);
    port.setWritesTimeOut(true);
    ASSERT_TRUE(view.click(kSaveSerialConfig));
    EXPECT_EQ(messages(), std::vector<std::string>{"Sending ERROR"});
    EXPECT_TRUE(closedState());
}

TEST_F(MainWindow, StartWifiSettingsRunsDialog103Modally) {
    ASSERT_TRUE(view.click(kStartWifi));
    ASSERT_EQ(desktop.runCount(WifiSettingsStandIn::kDialogId), 1);
    const auto& run = desktop.runs().back();
    EXPECT_TRUE(run.modal);
    EXPECT_EQ(run.parent, dlg.get());
    EXPECT_EQ(run.view->title(), "Wi-Fi Settings Dialog 2.69");
    // Not while a port is open.
    openOn(kEscPos);
    EXPECT_FALSE(view.click(kStartWifi));
}

}  // namespace
}  // namespace hollin::printer
