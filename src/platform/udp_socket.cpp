#include "platform/udp_socket.h"

namespace hollin {

std::string ipv4Text(Ipv4 address) {
    return std::to_string(address >> 24) + "." + std::to_string((address >> 16) & 0xFF) + "." +
           std::to_string((address >> 8) & 0xFF) + "." + std::to_string(address & 0xFF);
}

}  // namespace hollin
