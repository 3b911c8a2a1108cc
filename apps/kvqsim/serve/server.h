// The page's server: HTTP and the WebSocket at /ws (civetweb), on threads
// of its own. Those threads check requests, queue what the pages send and
// hand each page the newest state the simulation thread published for it;
// they never touch the scene. Each page is a person: its connection's id
// is the person's id in the inputs it queues. The protocol is described
// once, in page/README.md.
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "apps/kvqsim/serve/input_queue.h"
#include "apps/kvqsim/serve/peer.h"
#include "apps/kvqsim/serve/requests.h"

struct mg_context;
struct mg_connection;

namespace kvqsim {

constexpr int MAX_PAGES = 8;  // pages connected at once

class Server {
 public:
  Server(InputQueue* inputs, std::vector<ServedFolder> folders);
  ~Server();
  Server(const Server&) = delete;
  Server& operator=(const Server&) = delete;

  bool Start(const ServeAddress& address, std::string* error);
  int Port() const { return port_; }
  // Says `bye` to every page and asks it to close; new pages are turned
  // away from now on.
  void Goodbye();
  // Closes every connection and stops civetweb, by `deadline` at the
  // latest: false when a page held on past it (one that neither reads nor
  // answers), and civetweb is left to the process's end.
  bool Stop(std::chrono::steady_clock::time_point deadline);

  // The state answered to GET /state.json (a person-less view).
  void Publish(std::string state);
  // The newest state for one person's page.
  void Publish(int person, std::shared_ptr<const std::string> state);
  // A message to one person's page, or to every page (person 0).
  void Post(int person, std::string message);

  // civetweb's callbacks.
  int BeginRequest(mg_connection* conn);
  void WebSocketReady(mg_connection* conn);
  int WebSocketData(mg_connection* conn, int bits, char* data, size_t len);
  void WebSocketClose(const mg_connection* conn);

 private:
  void SendState(mg_connection* conn, bool head);
  std::shared_ptr<Peer> Find(int person);

  InputQueue* inputs_;
  std::vector<ServedFolder> folders_;
  mg_context* ctx_ = nullptr;
  std::string host_;
  int port_ = 0;  // for the owner; requests read their own server port

  std::mutex mu_;
  std::shared_ptr<const std::string> state_;  // for GET /state.json
  std::map<int, std::shared_ptr<Peer>> peers_;
  int nextId_ = 1;
  bool stopping_ = false;
};

}  // namespace kvqsim
