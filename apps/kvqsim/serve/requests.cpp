#include "apps/kvqsim/serve/requests.h"

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#endif

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cstring>

namespace kvqsim {

namespace {

bool EqualNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
           return std::tolower(static_cast<unsigned char>(x)) == std::tolower(static_cast<unsigned char>(y));
         });
}

bool EndsWithNoCase(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && EqualNoCase(std::string_view(s).substr(s.size() - tail.size()), tail);
}

// Dotted decimal only ("127.0.0.1"): inet_pton refuses the short and
// octal spellings that inet_aton would take.
bool IsIPv4(const std::string& s) {
  in_addr a{};
  return inet_pton(AF_INET, s.c_str(), &a) == 1;
}

bool ParsePort(std::string_view s, int* port) {
  int v = -1;
  const auto [end, ec] = std::from_chars(s.data(), s.data() + s.size(), v);
  if (s.empty() || s.size() > 5 || ec != std::errc() || end != s.data() + s.size() || v < 0 || v > 65535)
    return false;
  *port = v;
  return true;
}

// Letters, digits, '.', '-', '_' and '/' only, and no empty, "." or ".."
// part: a path no shell or file system reads as anything but a name.
bool PlainPath(const std::string& p) {
  if (p.empty()) return false;
  size_t start = 0;
  for (size_t i = 0; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string_view part(p.data() + start, i - start);
      if (part.empty() || part == "." || part == "..") return false;
      start = i + 1;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (!std::isalnum(c) && c != '.' && c != '-' && c != '_') return false;
  }
  return true;
}

bool Within(const std::filesystem::path& dir, const std::filesystem::path& file) {
  auto d = dir.begin(), f = file.begin();
  for (; d != dir.end(); ++d, ++f)
    if (f == file.end() || *d != *f) return false;
  return f != file.end();
}

}  // namespace

bool IsLoopback(const std::string& host) { return host.rfind("127.", 0) == 0 && IsIPv4(host); }

bool ParseServeAddress(const std::string& text, ServeAddress* out, std::string* error) {
  ServeAddress a;
  const size_t colon = text.rfind(':');
  std::string port = text;
  if (colon != std::string::npos) {
    std::string host = text.substr(0, colon);
    port = text.substr(colon + 1);
    if (EqualNoCase(host, "localhost")) host = "127.0.0.1";
    if (!IsIPv4(host)) {
      *error = "--serve: '" + host + "' is not an IPv4 address (e.g. 127.0.0.1 or 0.0.0.0)";
      return false;
    }
    a.host = host;
    a.explicitHost = true;
  }
  if (!ParsePort(port, &a.port)) {
    *error = "--serve: '" + port + "' is not a port (0 to 65535)";
    return false;
  }
  *out = a;
  return true;
}

bool HostAllowed(const char* host, int port) {
  if (host == nullptr) return false;
  const std::string h = host;
  const size_t colon = h.rfind(':');
  int p = -1;
  if (colon == std::string::npos || colon == 0 || !ParsePort(std::string_view(h).substr(colon + 1), &p) ||
      p != port)
    return false;
  const std::string name = h.substr(0, colon);
  // Names other than localhost could be any site's, pointed at this
  // machine: only addresses are taken.
  return EqualNoCase(name, "localhost") || IsIPv4(name);
}

bool OriginAllowed(const char* origin, const char* host) {
  if (origin == nullptr) return true;  // not a browser page
  if (host == nullptr) return false;
  return EqualNoCase(origin, std::string("http://") + host);
}

std::filesystem::path ServedFile(const std::vector<ServedFolder>& folders, const std::string& uri) {
  // The longest prefix names the folder: "/Sound/x.wav" is the root's, not the page's.
  const ServedFolder* best = nullptr;
  for (const ServedFolder& f : folders)
    if (uri.rfind(f.prefix, 0) == 0 && (best == nullptr || f.prefix.size() > best->prefix.size())) best = &f;
  if (best == nullptr) return {};
  const std::string rest = uri.substr(best->prefix.size());
  if (!PlainPath(rest)) return {};
  if (!best->endings.empty() &&
      std::none_of(best->endings.begin(), best->endings.end(), [&](const std::string& e) { return EndsWithNoCase(rest, e); }))
    return {};
  std::error_code ec;
  const std::filesystem::path dir = std::filesystem::canonical(best->dir, ec);
  if (ec) return {};
  const std::filesystem::path file = std::filesystem::canonical(dir / rest, ec);
  if (ec || !Within(dir, file) || !std::filesystem::is_regular_file(file, ec)) return {};
  return file;
}

}  // namespace kvqsim
