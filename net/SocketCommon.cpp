// Parts of the socket layer that need no operating system.
#include "net/Socket.h"

namespace posnet {

bool IsIPv4Address(const std::string& text) {
  int groups = 0;
  size_t i = 0;
  for (;;) {
    const size_t start = i;
    int value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9' && i - start < 3) value = value * 10 + (text[i++] - '0');
    if (i == start || value > 255) return false;
    ++groups;
    if (i == text.size()) return groups == 4;
    if (text[i] != '.' || groups == 4) return false;
    ++i;
  }
}

}  // namespace posnet
