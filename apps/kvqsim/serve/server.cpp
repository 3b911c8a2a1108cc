#include "apps/kvqsim/serve/server.h"

#include <civetweb.h>

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace kvqsim {

namespace {

constexpr int MAX_PAGES = 8;           // WebSocket connections at once
constexpr size_t MAX_QUEUED = 1024;    // inputs waiting for the next frame boundary
constexpr const char* STATE_PATH = "/state.json";
constexpr const char* SOCKET_PATH = "/ws";
constexpr const char* SOUND_PREFIX = "/Sound/";

bool EqualNoCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool IsIPv4(const std::string& s) {
  int parts = 0;
  size_t i = 0;
  while (i <= s.size()) {
    size_t j = i;
    int value = 0;
    while (j < s.size() && std::isdigit(static_cast<unsigned char>(s[j])) && j - i < 3) value = value * 10 + (s[j++] - '0');
    if (j == i || value > 255) return false;
    ++parts;
    if (j == s.size()) break;
    if (s[j] != '.') return false;
    i = j + 1;
  }
  return parts == 4;
}

bool ParsePort(const std::string& s, int* port) {
  if (s.empty() || s.size() > 5) return false;
  int v = 0;
  for (char c : s) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    v = v * 10 + (c - '0');
  }
  if (v > 65535) return false;
  *port = v;
  return true;
}

// A path of the page's or the root's files: letters, digits, '.', '-',
// '_' and '/' only, no empty, "." or ".." part.
bool SafePath(const std::string& p) {
  if (p.empty() || p[0] != '/') return false;
  size_t start = 1;
  for (size_t i = 1; i <= p.size(); ++i) {
    if (i == p.size() || p[i] == '/') {
      const std::string part = p.substr(start, i - start);
      if (part.empty() || part == "." || part == "..") return false;
      start = i + 1;
      continue;
    }
    const unsigned char c = static_cast<unsigned char>(p[i]);
    if (!std::isalnum(c) && c != '.' && c != '-' && c != '_') return false;
  }
  return true;
}

bool EndsWith(const std::string& s, const char* tail) {
  const size_t n = std::strlen(tail);
  return s.size() >= n && EqualNoCase(s.substr(s.size() - n), tail);
}

bool FileExists(const std::string& path) {
  FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return false;
  std::fclose(f);
  return true;
}

// A whole plain-text answer. (civetweb's own error page leaves out the
// status line on a WebSocket handshake.)
int SendStatus(mg_connection* conn, int status, const char* reason, const char* text) {
  mg_printf(conn,
            "HTTP/1.1 %d %s\r\nContent-Type: text/plain; charset=utf-8\r\nContent-Length: %lu\r\n"
            "Cache-Control: no-store\r\nConnection: close\r\n\r\n%s",
            status, reason, static_cast<unsigned long>(std::strlen(text)), text);
  return status;
}

Server* Self(const mg_connection* conn) {
  return static_cast<Server*>(mg_get_user_data(mg_get_context(conn)));
}

int OnBeginRequest(mg_connection* conn) {
  try {
    return Self(conn)->BeginRequest(conn);
  } catch (...) {
    return SendStatus(conn, 500, "Internal Server Error", "internal error\n");
  }
}

int OnConnect(const mg_connection* conn, void* data) {
  try {
    return static_cast<Server*>(data)->WebSocketConnect(conn);
  } catch (...) {
    return 1;
  }
}

void OnReady(mg_connection* conn, void* data) {
  try {
    static_cast<Server*>(data)->WebSocketReady(conn);
  } catch (...) {
  }
}

int OnData(mg_connection* conn, int bits, char* bytes, size_t len, void* data) {
  try {
    return static_cast<Server*>(data)->WebSocketData(conn, bits, bytes, len);
  } catch (...) {
    return 0;
  }
}

void OnClose(const mg_connection* conn, void* data) {
  try {
    static_cast<Server*>(data)->WebSocketClose(conn);
  } catch (...) {
  }
}

int OnLog(const mg_connection*, const char* message) {
  std::fprintf(stderr, "kvqsim: server: %s\n", message);
  return 1;
}

}  // namespace

// --- InputQueue ---------------------------------------------------------

bool InputQueue::Push(QueuedInput in) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (queue_.size() >= MAX_QUEUED) return false;
    queue_.push_back(std::move(in));
  }
  cv_.notify_one();
  return true;
}

std::vector<QueuedInput> InputQueue::Drain() {
  std::lock_guard<std::mutex> lock(mu_);
  std::vector<QueuedInput> out(std::make_move_iterator(queue_.begin()), std::make_move_iterator(queue_.end()));
  queue_.clear();
  woken_ = false;
  return out;
}

void InputQueue::WaitUntil(std::chrono::steady_clock::time_point deadline) {
  std::unique_lock<std::mutex> lock(mu_);
  cv_.wait_until(lock, deadline, [&] { return !queue_.empty() || woken_; });
}

void InputQueue::Wake() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    woken_ = true;
  }
  cv_.notify_one();
}

// --- Addresses and the checks of a request --------------------------------

bool IsLoopback(const std::string& host) { return host.rfind("127.", 0) == 0 && IsIPv4(host); }

bool ParseServeAddress(const std::string& text, ServeAddress* out, std::string* error) {
  ServeAddress a;
  const size_t colon = text.rfind(':');
  std::string host, port = text;
  if (colon != std::string::npos) {
    host = text.substr(0, colon);
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
  if (colon == std::string::npos || colon == 0) return false;
  int p = -1;
  if (!ParsePort(h.substr(colon + 1), &p) || p != port) return false;
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

// --- Server ----------------------------------------------------------------

Server::Server(InputQueue* inputs, std::string pageDir, std::string root)
    : inputs_(inputs), pageDir_(std::move(pageDir)), root_(std::move(root)) {}

Server::~Server() { Stop(); }

bool Server::Start(const ServeAddress& address, std::string* error) {
  mg_init_library(0);
  const std::string listen = address.host + ":" + std::to_string(address.port);
  const char* options[] = {"listening_ports",
                           listen.c_str(),
                           "num_threads",
                           "12",
                           "request_timeout_ms",
                           "10000",
                           "websocket_timeout_ms",
                           "10000",
                           "enable_websocket_ping_pong",
                           "yes",
                           "enable_keep_alive",
                           "no",
                           // Small messages go out at once, not after the peer's delayed ACK.
                           "tcp_nodelay",
                           "1",
                           nullptr};
  mg_callbacks callbacks{};
  callbacks.begin_request = OnBeginRequest;
  callbacks.log_message = OnLog;
  ctx_ = mg_start(&callbacks, this, options);
  if (ctx_ == nullptr) {
    *error = "cannot listen on " + listen + " (in use, or not an address of this machine)";
    mg_exit_library();
    return false;
  }
  mg_server_port ports[4];
  const int n = mg_get_server_ports(ctx_, 4, ports);
  port_ = n > 0 ? ports[0].port : address.port;
  mg_set_websocket_handler(ctx_, SOCKET_PATH, OnConnect, OnReady, OnData, OnClose, this);
  pusher_ = std::thread([this] { Pusher(); });
  return true;
}

void Server::Stop() {
  if (ctx_ == nullptr) return;
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_all();
  if (pusher_.joinable()) pusher_.join();
  mg_stop(ctx_);
  ctx_ = nullptr;
  mg_exit_library();
}

void Server::Publish(std::string state) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    state_ = std::make_shared<const std::string>(std::move(state));
    ++version_;
  }
  cv_.notify_all();
}

void Server::Post(int connection, std::string message) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    outbox_.emplace_back(connection, std::move(message));
  }
  cv_.notify_all();
}

int Server::Connections() {
  std::lock_guard<std::mutex> lock(peersMu_);
  return static_cast<int>(peers_.size());
}

void Server::Write(mg_connection* conn, const std::string& text) {
  mg_lock_connection(conn);
  mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size());
  mg_unlock_connection(conn);
}

// Sends each page the newest state it has not had, and the messages for
// it. A slow page delays only this thread; it gets fewer states.
void Server::Pusher() {
  for (;;) {
    std::shared_ptr<const std::string> state;
    uint64_t version = 0;
    std::deque<std::pair<int, std::string>> out;
    bool stopping = false;
    {
      std::unique_lock<std::mutex> lock(mu_);
      cv_.wait(lock, [&] { return stop_ || wake_ || !outbox_.empty() || version_ != 0; });
      state = state_;
      version = version_;
      out.swap(outbox_);
      stopping = stop_;
      wake_ = false;
    }
    {
      std::lock_guard<std::mutex> lock(peersMu_);
      for (auto& [id, peer] : peers_) {
        if (state && peer.sentVersion != version) {
          Write(peer.conn, *state);
          peer.sentVersion = version;
        }
        for (const auto& [to, message] : out)
          if (to == 0 || to == id) Write(peer.conn, message);
      }
    }
    if (stopping) return;
    // Wait for the next state rather than spinning on the one just sent.
    std::unique_lock<std::mutex> lock(mu_);
    cv_.wait(lock, [&] { return stop_ || wake_ || !outbox_.empty() || version_ != version; });
  }
}

bool Server::SendFile(mg_connection* conn, const std::string& path) {
  if (!FileExists(path)) return false;
  mg_send_file(conn, path.c_str());
  return true;
}

void Server::SendState(mg_connection* conn, bool head) {
  std::shared_ptr<const std::string> state;
  {
    std::lock_guard<std::mutex> lock(mu_);
    state = state_;
  }
  static const std::string NONE = "{}";
  const std::string& body = state ? *state : NONE;
  mg_printf(conn,
            "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: %lu\r\n"
            "Cache-Control: no-store\r\nConnection: close\r\n\r\n",
            static_cast<unsigned long>(body.size()));
  if (!head) mg_write(conn, body.data(), body.size());
}

int Server::BeginRequest(mg_connection* conn) {
  const mg_request_info* ri = mg_get_request_info(conn);
  const char* host = mg_get_header(conn, "Host");
  const char* origin = mg_get_header(conn, "Origin");
  const char* upgrade = mg_get_header(conn, "Upgrade");
  const std::string method = ri->request_method ? ri->request_method : "";
  const std::string uri = ri->local_uri ? ri->local_uri : "";
  const bool socket = upgrade != nullptr && EqualNoCase(upgrade, "websocket");
  const bool reads = !socket && (method == "GET" || method == "HEAD");

  if (!HostAllowed(host, port_) || (!reads && !OriginAllowed(origin, host)))
    return SendStatus(conn, 403, "Forbidden", "this server answers only its own page\n");
  if (socket) {
    if (uri == SOCKET_PATH) return 0;  // civetweb runs the handshake
    return SendStatus(conn, 404, "Not Found", "not found\n");
  }
  if (!reads) return SendStatus(conn, 405, "Method Not Allowed", "only GET and HEAD\n");
  if (uri == STATE_PATH) {
    SendState(conn, method == "HEAD");
    return 200;
  }
  bool sent = false;
  if (uri == "/") {
    sent = SendFile(conn, pageDir_ + "/index.html");
  } else if (SafePath(uri) && uri.rfind(SOUND_PREFIX, 0) == 0) {
    sent = EndsWith(uri, ".wav") && SendFile(conn, root_ + uri);
  } else if (SafePath(uri)) {
    sent = SendFile(conn, pageDir_ + uri);
  }
  return sent ? 200 : SendStatus(conn, 404, "Not Found", "not found\n");
}

int Server::WebSocketConnect(const mg_connection*) {
  std::lock_guard<std::mutex> lock(peersMu_);
  return static_cast<int>(peers_.size()) < MAX_PAGES ? 0 : 1;
}

void Server::WebSocketReady(mg_connection* conn) {
  {
    std::lock_guard<std::mutex> lock(peersMu_);
    const int id = nextId_++;
    mg_set_user_connection_data(conn, reinterpret_cast<void*>(static_cast<intptr_t>(id)));
    peers_[id] = Peer{conn, 0};
  }
  {
    std::lock_guard<std::mutex> lock(mu_);
    wake_ = true;  // the pusher sends it the state at once
  }
  cv_.notify_all();
}

int Server::WebSocketData(mg_connection* conn, int bits, char* data, size_t len) {
  const int opcode = bits & 0x0F;
  const bool final = (bits & 0x80) != 0;
  if (opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
  if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG) return 1;
  const int id = static_cast<int>(reinterpret_cast<intptr_t>(mg_get_user_connection_data(conn)));
  Input in;
  std::string error;
  if (opcode != MG_WEBSOCKET_OPCODE_TEXT || !final) {
    error = "only whole text messages are accepted";
  } else if (DecodeInput(std::string_view(data, len), &in, &error)) {
    const int64_t seq = in.seq;
    if (inputs_->Push(QueuedInput{id, std::move(in)})) return 1;
    error = "too many inputs waiting; this one is dropped";
    in.seq = seq;
  }
  Write(conn, ErrorMessage(error, in.seq));
  return 1;
}

void Server::WebSocketClose(const mg_connection* conn) {
  std::lock_guard<std::mutex> lock(peersMu_);
  for (auto it = peers_.begin(); it != peers_.end(); ++it) {
    if (it->second.conn == conn) {
      peers_.erase(it);
      return;
    }
  }
}

}  // namespace kvqsim
