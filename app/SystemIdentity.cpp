// The machine's name and IPv4 address, and the file name of this library: the few
// routines of the public unit that ask the operating system.
#include "app/uPublic.h"

#include "rtl/AnsiString.h"

#ifdef _WIN32
#include <winsock2.h>
#include <windows.h>
#else
#include <arpa/inet.h>
#include <netdb.h>
#include <unistd.h>
#include <climits>
#include <cstring>
#endif

namespace {

AnsiString FormatIPv4(const unsigned char* b) {
  return Format("%d.%d.%d.%d", {b[0], b[1], b[2], b[3]});
}

}  // namespace

#ifdef _WIN32

AnsiString GetComputerNameStr() {
  char buffer[200] = {};
  DWORD size = sizeof buffer;
  if (!::GetComputerNameA(buffer, &size)) return AnsiString();
  return AnsiString(buffer);
}

AnsiString GetLocalIP() {
  WSADATA data;
  if (::WSAStartup(MAKEWORD(1, 1), &data) != 0) return AnsiString();
  AnsiString result;
  const AnsiString name = GetComputerNameStr();
  const hostent* entry = ::gethostbyname(name.c_str());
  if (entry && entry->h_addrtype == AF_INET && entry->h_length == 4 && entry->h_addr_list && entry->h_addr_list[0])
    result = FormatIPv4(reinterpret_cast<const unsigned char*>(entry->h_addr_list[0]));
  ::WSACleanup();
  return result;
}

AnsiString GetDllFileName() {
  HMODULE self = nullptr;
  ::GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCSTR>(&GetDllFileName), &self);
  char buffer[MAX_PATH + 1] = {};
  const DWORD n = ::GetModuleFileNameA(self, buffer, MAX_PATH);
  return AnsiString(buffer, n);
}

#else

AnsiString GetComputerNameStr() {
  char buffer[200] = {};
  if (::gethostname(buffer, sizeof buffer - 1) != 0) return AnsiString();
  return AnsiString(buffer);
}

AnsiString GetLocalIP() {
  const AnsiString name = GetComputerNameStr();
  if (name.empty()) return AnsiString();
  addrinfo hints{};
  hints.ai_family = AF_INET;
  addrinfo* list = nullptr;
  if (::getaddrinfo(name.c_str(), nullptr, &hints, &list) != 0 || !list) return AnsiString();
  AnsiString result;
  if (list->ai_addr && list->ai_addr->sa_family == AF_INET) {
    const auto* in = reinterpret_cast<const sockaddr_in*>(list->ai_addr);
    result = FormatIPv4(reinterpret_cast<const unsigned char*>(&in->sin_addr));
  }
  ::freeaddrinfo(list);
  return result;
}

AnsiString GetDllFileName() {
  char buffer[PATH_MAX + 1] = {};
  const ssize_t n = ::readlink("/proc/self/exe", buffer, PATH_MAX);
  return n > 0 ? AnsiString(buffer, static_cast<size_t>(n)) : AnsiString();
}

#endif
