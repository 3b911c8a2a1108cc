#include "apps/kvqsim/serve/server.h"

#include <civetweb.h>

#if defined(_WIN32)
#include <winsock2.h>
#include <ws2tcpip.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <cctype>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <future>
#include <thread>

#include "apps/kvqsim/session/protocol.h"

namespace kvqsim {

namespace {

constexpr const char* STATE_PATH = "/state.json";
constexpr const char* SOCKET_PATH = "/ws";
constexpr const char* MESH_PREFIX = "/mesh/";
constexpr const char* TEXTURE_PREFIX = "/texture/";
constexpr auto STATE_FRESH = std::chrono::milliseconds(100);  // a /state.json this old is answered as it is
constexpr auto STATE_WAIT = std::chrono::milliseconds(300);   // for a newer one, at most
constexpr auto FIRST_STATE_WAIT = std::chrono::seconds(5);
constexpr intptr_t REFUSED = -1;  // a page over the limit, told so and closed

// civetweb's threads: one per connection at a time. Enough that idle or
// half-sent requests from one client, each given REQUEST_TIMEOUT_MS at
// most, do not keep the pages and their requests waiting. (A request on
// this machine or the local network arrives in one piece; the timeout also
// bounds how long civetweb's stop waits for one that never completes.)
constexpr const char* WORKER_THREADS = "48";
constexpr const char* REQUEST_TIMEOUT_MS = "1000";
// How long a page's socket may stay silent before it is pinged; a page
// that leaves six pings unanswered (3 s) is dropped. civetweb notices a
// stop between two such waits.
constexpr const char* SOCKET_TIMEOUT_MS = "500";
constexpr auto GOODBYE_WAIT = std::chrono::milliseconds(200);  // for pages to close their end
constexpr auto KNOCK_EVERY = std::chrono::milliseconds(10);    // until civetweb has stopped

bool EqualNoCase(const char* a, const char* b) {
  for (; *a && *b; ++a, ++b)
    if (std::tolower(static_cast<unsigned char>(*a)) != std::tolower(static_cast<unsigned char>(*b))) return false;
  return *a == *b;
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

Server* Self(const mg_connection* conn) { return static_cast<Server*>(mg_get_user_data(mg_get_context(conn))); }

intptr_t PersonOf(const mg_connection* conn) { return reinterpret_cast<intptr_t>(mg_get_user_connection_data(conn)); }

// Nothing throws into civetweb.
int OnBeginRequest(mg_connection* conn) {
  try {
    return Self(conn)->BeginRequest(conn);
  } catch (...) {
    return SendStatus(conn, 500, "Internal Server Error", "internal error\n");
  }
}

int OnConnect(const mg_connection*, void*) { return 0; }

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

// civetweb's accepting thread looks at the stop flag only between waits
// of two seconds, or when a connection arrives: one arrives.
void Knock(const std::string& host, int port) {
  sockaddr_in a{};
  a.sin_family = AF_INET;
  a.sin_port = htons(static_cast<uint16_t>(port));
  if (inet_pton(AF_INET, host == "0.0.0.0" ? "127.0.0.1" : host.c_str(), &a.sin_addr) != 1) return;
#if defined(_WIN32)
  SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
  if (s == INVALID_SOCKET) return;
  connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  closesocket(s);
#else
  const int s = socket(AF_INET, SOCK_STREAM, 0);
  if (s < 0) return;
  connect(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  close(s);
#endif
}

void SendText(mg_connection* conn, const std::string& text) {
  mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_TEXT, text.data(), text.size());
}

}  // namespace

Server::Server(InputQueue* inputs, std::vector<ServedFolder> folders, const AssetStore* assets)
    : inputs_(inputs), folders_(std::move(folders)), assets_(assets) {}

Server::~Server() {
  if (ctx_ != nullptr) Stop(std::chrono::steady_clock::now() + std::chrono::seconds(5));
}

bool Server::Start(const ServeAddress& address, std::string* error) {
  mg_init_library(0);
  const std::string listen = address.host + ":" + std::to_string(address.port);
  const char* options[] = {"listening_ports", listen.c_str(), "num_threads", WORKER_THREADS,
                           "request_timeout_ms", REQUEST_TIMEOUT_MS, "websocket_timeout_ms", SOCKET_TIMEOUT_MS,
                           "enable_websocket_ping_pong", "yes", "enable_keep_alive", "no",
                           // Small messages go out at once, not after the peer's delayed ACK.
                           "tcp_nodelay", "1", nullptr};
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
  host_ = address.host;
  mg_set_websocket_handler(ctx_, SOCKET_PATH, OnConnect, OnReady, OnData, OnClose, this);
  return true;
}

void Server::Goodbye() {
  std::vector<std::shared_ptr<Peer>> peers;
  {
    std::lock_guard<std::mutex> lock(mu_);
    stopping_ = true;
    for (auto& [id, peer] : peers_) peers.push_back(peer);
  }
  for (const auto& p : peers) {
    p->Post(ByeMessage());
    p->Finish();
  }
}

bool Server::Stop(std::chrono::steady_clock::time_point deadline) {
  if (ctx_ == nullptr) return true;
  Goodbye();
  // Pages answer the close frame at once, and civetweb then closes them
  // without waiting for its next look at the stop flag.
  const auto goodbye = std::min(deadline, std::chrono::steady_clock::now() + GOODBYE_WAIT);
  for (;;) {
    {
      std::lock_guard<std::mutex> lock(mu_);
      if (peers_.empty()) break;
    }
    if (std::chrono::steady_clock::now() >= goodbye) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  mg_context* ctx = ctx_;
  ctx_ = nullptr;
  auto done = std::make_shared<std::promise<void>>();
  std::future<void> stopped = done->get_future();
  std::thread([ctx, done] {
    mg_stop(ctx);
    done->set_value();
  }).detach();
  while (stopped.wait_for(KNOCK_EVERY) != std::future_status::ready) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    Knock(host_, port_);
  }
  mg_exit_library();
  return true;
}

void Server::Publish(std::string state) {
  auto st = std::make_shared<const std::string>(std::move(state));
  {
    std::lock_guard<std::mutex> lock(mu_);
    state_ = std::move(st);
    stateTime_ = std::chrono::steady_clock::now();
    ++stateVersion_;
    stateWanted_ = false;
  }
  stateCv_.notify_all();
}

bool Server::StateWanted() const {
  std::lock_guard<std::mutex> lock(mu_);
  return stateWanted_;
}

std::shared_ptr<Peer> Server::Find(int person) {
  std::lock_guard<std::mutex> lock(mu_);
  auto it = peers_.find(person);
  return it == peers_.end() ? nullptr : it->second;
}

void Server::Publish(int person, std::shared_ptr<const std::string> state) {
  if (auto p = Find(person)) p->Offer(std::move(state));
}

bool Server::Idle(int person) {
  auto p = Find(person);
  return p != nullptr && p->Idle();
}

void Server::Post(int person, std::string message) {
  if (person != 0) {
    if (auto p = Find(person)) p->Post(std::move(message));
    return;
  }
  std::lock_guard<std::mutex> lock(mu_);
  for (auto& [id, peer] : peers_) peer->Post(message);
}

void Server::SendState(mg_connection* conn, bool head) {
  std::shared_ptr<const std::string> state;
  {
    std::unique_lock<std::mutex> lock(mu_);
    const auto now = std::chrono::steady_clock::now();
    if (!state_ || now - stateTime_ > STATE_FRESH) {
      stateWanted_ = true;
      const uint64_t version = stateVersion_;
      lock.unlock();
      inputs_->Poke();
      lock.lock();
      // The first state waits for the scene to be loaded.
      stateCv_.wait_until(lock, now + (state_ ? STATE_WAIT : FIRST_STATE_WAIT),
                          [&] { return stateVersion_ != version; });
    }
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

void Server::SendAsset(mg_connection* conn, const Asset& asset, bool head) {
  const std::string& body = asset.Body();
  mg_printf(conn,
            "HTTP/1.1 200 OK\r\nContent-Type: %s\r\nContent-Length: %lu\r\n"
            "Cache-Control: no-cache\r\nConnection: close\r\n\r\n",
            asset.ContentType(), static_cast<unsigned long>(body.size()));
  if (!head) mg_write(conn, body.data(), body.size());
}

int Server::BeginRequest(mg_connection* conn) {
  const mg_request_info* ri = mg_get_request_info(conn);
  const char* host = mg_get_header(conn, "Host");
  const char* origin = mg_get_header(conn, "Origin");
  const char* upgrade = mg_get_header(conn, "Upgrade");
  const char* method = ri->request_method ? ri->request_method : "";
  const std::string uri = ri->local_uri ? ri->local_uri : "";
  const bool socket = upgrade != nullptr && EqualNoCase(upgrade, "websocket");
  const bool reads = !socket && (std::strcmp(method, "GET") == 0 || std::strcmp(method, "HEAD") == 0);

  if (!HostAllowed(host, ri->server_port) || (!reads && !OriginAllowed(origin, host)))
    return SendStatus(conn, 403, "Forbidden", "this server answers only its own page\n");
  if (socket) {
    if (uri == SOCKET_PATH) return 0;  // civetweb runs the handshake
    return SendStatus(conn, 404, "Not Found", "not found\n");
  }
  if (!reads) return SendStatus(conn, 405, "Method Not Allowed", "only GET and HEAD\n");
  const bool head = std::strcmp(method, "HEAD") == 0;
  if (uri == STATE_PATH) {
    SendState(conn, head);
    return 200;
  }
  if (uri.rfind(MESH_PREFIX, 0) == 0 || uri.rfind(TEXTURE_PREFIX, 0) == 0) {
    std::shared_ptr<const Asset> asset = assets_ ? assets_->Get(uri) : nullptr;
    if (asset == nullptr || asset->Body().empty())
      return SendStatus(conn, 404, "Not Found",
                        uri.rfind(MESH_PREFIX, 0) == 0 ? "no mesh of the scene by that name\n"
                                                       : "no texture of the scene's meshes by that name\n");
    SendAsset(conn, *asset, head);
    return 200;
  }
  const std::filesystem::path file = ServedFile(folders_, uri == "/" ? "/index.html" : uri);
  if (file.empty()) return SendStatus(conn, 404, "Not Found", "not found\n");
  mg_send_mime_file(conn, file.string().c_str(), nullptr);
  return 200;
}

void Server::WebSocketReady(mg_connection* conn) {
  intptr_t id = REFUSED;
  {
    // Counted and added in one step: two handshakes at once cannot both
    // take the last place.
    std::lock_guard<std::mutex> lock(mu_);
    if (!stopping_ && static_cast<int>(peers_.size()) < MAX_PAGES) {
      id = nextId_++;
      peers_[static_cast<int>(id)] = std::make_shared<Peer>(conn);
    }
  }
  mg_set_user_connection_data(conn, reinterpret_cast<void*>(id));
  if (id == REFUSED) {
    SendText(conn, ErrorMessage("kvqsim already has " + std::to_string(MAX_PAGES) +
                                    " pages connected; close one and reload this one",
                                -1));
    mg_websocket_write(conn, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, "\x03\xf0", 2);
    return;
  }
  Input join;
  join.kind = InputKind::Join;
  inputs_->Push(QueuedInput{static_cast<int>(id), std::move(join)});
}

int Server::WebSocketData(mg_connection* conn, int bits, char* data, size_t len) {
  const int opcode = bits & 0x0F;
  const bool final = (bits & 0x80) != 0;
  const intptr_t id = PersonOf(conn);
  if (id == REFUSED || opcode == MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE) return 0;
  std::shared_ptr<Peer> peer = Find(static_cast<int>(id));
  if (peer == nullptr || peer->Gone()) return 0;
  if (opcode == MG_WEBSOCKET_OPCODE_PING || opcode == MG_WEBSOCKET_OPCODE_PONG) return 1;
  Input in;
  std::string error;
  if (opcode != MG_WEBSOCKET_OPCODE_TEXT || !final) {
    error = "only whole text messages are accepted";
  } else if (DecodeInput(std::string_view(data, len), &in, &error)) {
    const int64_t seq = in.seq;
    if (inputs_->Push(QueuedInput{static_cast<int>(id), std::move(in)})) return 1;
    error = "too many inputs waiting; this one is dropped";
    in.seq = seq;
  }
  peer->Post(ErrorMessage(error, in.seq));
  return 1;
}

void Server::WebSocketClose(const mg_connection* conn) {
  const intptr_t id = PersonOf(conn);
  if (id <= 0) return;
  std::shared_ptr<Peer> peer;
  {
    std::lock_guard<std::mutex> lock(mu_);
    auto it = peers_.find(static_cast<int>(id));
    if (it == peers_.end()) return;
    peer = std::move(it->second);
    peers_.erase(it);
  }
  // The connection stays open until the writer is done with it.
  peer->Stop();
  Input leave;
  leave.kind = InputKind::Leave;
  inputs_->Push(QueuedInput{static_cast<int>(id), std::move(leave)});
}

}  // namespace kvqsim
