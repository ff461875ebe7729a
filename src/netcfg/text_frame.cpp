#include "netcfg/text_frame.h"

#include <algorithm>
#include <cstring>

#include "common/text_case.h"

namespace hollin::netcfg {
namespace {

constexpr std::uint8_t kStx = 0x02, kEtx = 0x03;

TextFrame frameWith(std::string_view command) {
    TextFrame frame{};
    frame[0] = kStx;
    std::memcpy(frame.data() + 1, command.data(), 5);
    frame[1021] = '\r';
    frame[1022] = '\n';
    frame[1023] = kEtx;
    return frame;
}

bool commandIs(std::span<const std::uint8_t> datagram, std::string_view command) {
    return datagram.size() >= 6 && std::equal(command.begin(), command.end(), datagram.begin() + 1);
}

}  // namespace

TextFrame buildSearchFrame() {
    return frameWith("11111");
}

TextFrame buildSaveFrame(const TextRecord& record) {
    TextFrame frame = frameWith("00000");
    frame[6] = '\r';
    frame[7] = '\n';
    std::copy_n(record.begin(), 1013, frame.begin() + 8);
    return frame;
}

TextDatagram classifyTextDatagram(std::span<const std::uint8_t> datagram) {
    TextDatagram result;
    if (datagram.size() == kTextFrameSize && datagram[0] == kStx && datagram[1021] == '\r' &&
        datagram[1022] == '\n' && datagram[1023] == kEtx) {
        result.kind = TextDatagramKind::Answer;
        std::copy_n(datagram.begin() + 1, kTextRecordSize, result.record.begin());
    } else if (commandIs(datagram, "11111")) {
        result.kind = TextDatagramKind::OwnSearch;
    } else if (commandIs(datagram, "00000")) {
        result.kind = TextDatagramKind::OwnSave;
    }
    return result;
}

std::string_view macTextOf(const TextRecord& record) {
    return {reinterpret_cast<const char*>(record.data()) + 2, 12};
}

bool isSaveAnswerFor(std::span<const std::uint8_t> frame, std::string_view mac12) {
    // A printer may keep its MAC text in lower case although the save wrote it in upper case.
    return mac12.size() == 12 && frame.size() >= 15 &&
           sameIgnoringCase(mac12, std::string_view(reinterpret_cast<const char*>(frame.data()) + 3, 12));
}

}  // namespace hollin::netcfg
