// The page's server: HTTP and the WebSocket at /ws (civetweb), on threads
// of its own. Those threads check requests, queue what the pages send and
// hand each page the newest state the simulation thread published for it;
// they never touch the scene. Each page is a person: its connection's id
// is the person's id in the inputs it queues. The protocol is described
// once, in page/README.md.
#pragma once

#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

#include "apps/kvqsim/serve/assets.h"
#include "apps/kvqsim/serve/input_queue.h"
#include "apps/kvqsim/serve/peer.h"
#include "apps/kvqsim/serve/requests.h"

struct mg_context;
struct mg_connection;

namespace kvqsim {

constexpr int MAX_PAGES = 8;  // pages connected at once

class Server {
 public:
  // Serves files from `folders`, meshes and textures from `assets`.
  Server(InputQueue* inputs, std::vector<ServedFolder> folders, const AssetStore* assets);
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

  // The state answered to GET /state.json. A request finds it no older
  // than STATE_FRESH, or asks for a new one (StateWanted) and waits for it.
  void Publish(std::string state);
  bool StateWanted() const;
  // The newest state for one person's page, replacing one not sent yet.
  void Publish(int person, std::shared_ptr<const std::string> state);
  // Whether a person's page has taken the last state it was given: a new
  // one is made for it only then, so that no state is lost between two.
  bool Idle(int person);
  // A message to one person's page, or to every page (person 0).
  void Post(int person, std::string message);

  // civetweb's callbacks.
  int BeginRequest(mg_connection* conn);
  void WebSocketReady(mg_connection* conn);
  int WebSocketData(mg_connection* conn, int bits, char* data, size_t len);
  void WebSocketClose(const mg_connection* conn);

 private:
  void SendState(mg_connection* conn, bool head);
  static void SendAsset(mg_connection* conn, const Asset& asset, bool head);
  std::shared_ptr<Peer> Find(int person);

  InputQueue* inputs_;
  std::vector<ServedFolder> folders_;
  const AssetStore* assets_;
  mg_context* ctx_ = nullptr;
  std::string host_;
  int port_ = 0;  // for the owner; requests read their own server port

  mutable std::mutex mu_;
  std::condition_variable stateCv_;
  std::shared_ptr<const std::string> state_;  // for GET /state.json
  std::chrono::steady_clock::time_point stateTime_{};
  uint64_t stateVersion_ = 0;
  bool stateWanted_ = false;
  std::map<int, std::shared_ptr<Peer>> peers_;
  int nextId_ = 1;
  bool stopping_ = false;
};

}  // namespace kvqsim
