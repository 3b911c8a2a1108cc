// What the server takes from the network before anything reaches the
// scene: the address it listens on, the Host and Origin a request must
// carry, and the files a GET may read. Pure, for tests.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace kvqsim {

struct ServeAddress {
  std::string host = "127.0.0.1";  // an IPv4 address
  int port = 0;                    // 0: any free port
  bool explicitHost = false;
};

// "[ADDR:]PORT" with ADDR an IPv4 address or "localhost". False with a
// message for anything else.
bool ParseServeAddress(const std::string& text, ServeAddress* out, std::string* error);
bool IsLoopback(const std::string& host);

// Whether a request may reach the scene: its Host names this server by
// address or "localhost" and the right port, and its Origin (when given)
// is the page's own.
bool HostAllowed(const char* host, int port);
bool OriginAllowed(const char* origin, const char* host);

// A folder the server reads files from: requests for `prefix` + a path
// below it, for names ending in one of `endings` (any, when empty).
struct ServedFolder {
  std::string prefix;  // "/" or "/Sound/"
  std::filesystem::path dir;
  std::vector<std::string> endings;
};

// The file a GET of `uri` reads: a regular file that, with every link
// resolved, still lies in the folder the request's prefix names. Empty
// when the request names none.
std::filesystem::path ServedFile(const std::vector<ServedFolder>& folders, const std::string& uri);

}  // namespace kvqsim
