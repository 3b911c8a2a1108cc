// The page's server: HTTP and the WebSocket at /ws (civetweb), on threads of
// its own. Those threads only check and queue what the page sends and pass
// on the latest state the simulation thread published; they never touch
// the scene.
#pragma once

#include <condition_variable>
#include <chrono>
#include <cstdint>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "apps/kvqsim/session/protocol.h"

struct mg_context;
struct mg_connection;

namespace kvqsim {

// An input from a page, with the connection that sent it (for the answer).
struct QueuedInput {
  int connection = 0;
  Input input;
};

// Inputs in arrival order, from the server's threads to the simulation.
class InputQueue {
 public:
  // False when the queue is full (a page flooding kvqsim): the input is
  // dropped and the page told so.
  bool Push(QueuedInput in);
  std::vector<QueuedInput> Drain();
  // Waits until an input arrives or the deadline passes.
  void WaitUntil(std::chrono::steady_clock::time_point deadline);
  // Wakes a waiting simulation thread (a signal or the end).
  void Wake();

 private:
  std::mutex mu_;
  std::condition_variable cv_;
  std::deque<QueuedInput> queue_;
  bool woken_ = false;
};

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
// is the page's own. Pure, for tests.
bool HostAllowed(const char* host, int port);
bool OriginAllowed(const char* origin, const char* host);

class Server {
 public:
  Server(InputQueue* inputs, std::string pageDir, std::string root);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  bool Start(const ServeAddress& address, std::string* error);
  // Sends what is still queued for the pages, then closes every connection.
  void Stop();
  int Port() const { return port_; }

  // The latest state; pushed to every page and answered to GET /state.json.
  void Publish(std::string state);
  // A message to one connection, or to all (connection 0).
  void Post(int connection, std::string message);
  int Connections();

  // civetweb's callbacks.
  int BeginRequest(mg_connection* conn);
  int WebSocketConnect(const mg_connection* conn);
  void WebSocketReady(mg_connection* conn);
  int WebSocketData(mg_connection* conn, int bits, char* data, size_t len);
  void WebSocketClose(const mg_connection* conn);

 private:
  struct Peer {
    mg_connection* conn = nullptr;
    uint64_t sentVersion = 0;
  };
  void Pusher();
  bool SendFile(mg_connection* conn, const std::string& path);
  void SendState(mg_connection* conn, bool head);
  static void Write(mg_connection* conn, const std::string& text);

  InputQueue* inputs_;
  std::string pageDir_, root_;
  mg_context* ctx_ = nullptr;
  int port_ = 0;

  // State and outgoing messages, shared with the pusher thread.
  std::mutex mu_;
  std::condition_variable cv_;
  std::shared_ptr<const std::string> state_;
  uint64_t version_ = 0;
  std::deque<std::pair<int, std::string>> outbox_;
  bool stop_ = false, wake_ = false;
  std::thread pusher_;

  // Open WebSocket connections by id.
  std::mutex peersMu_;
  std::map<int, Peer> peers_;
  int nextId_ = 1;
};

}  // namespace kvqsim
