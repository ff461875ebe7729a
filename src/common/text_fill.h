#pragma once

#include <string>
#include <string_view>

namespace hollin {

// `format` with its first `marker` ("%s", "%d") replaced by `value`; a format without the marker is
// returned as it is. Built by appending, which GCC 12's optimiser reads without a false -Wrestrict
// alarm (it sees one in std::string::replace with a string argument).
inline std::string fillIn(std::string_view format, std::string_view marker, std::string_view value) {
    const std::size_t at = format.find(marker);
    if (at == std::string_view::npos)
        return std::string(format);
    std::string out;
    out.reserve(format.size() - marker.size() + value.size());
    out.append(format.substr(0, at)).append(value).append(format.substr(at + marker.size()));
    return out;
}

}  // namespace hollin
