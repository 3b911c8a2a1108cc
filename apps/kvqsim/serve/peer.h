// One page's connection as the server sees it: the newest state it has not
// had yet and the messages waiting for it, written by a thread of its own.
// A page that stops reading holds up only that thread: it gets no backlog
// (each state replaces the one before), and once a write fails it gets
// nothing more until civetweb drops the connection.
#pragma once

#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

struct mg_connection;

namespace kvqsim {

class Peer {
 public:
  explicit Peer(mg_connection* conn);
  ~Peer();
  Peer(const Peer&) = delete;
  Peer& operator=(const Peer&) = delete;

  // The newest state for this page; replaces one not yet sent.
  void Offer(std::shared_ptr<const std::string> state);
  // No state is waiting to be sent (and the page is not gone).
  bool Idle();
  // A message for this page, after those posted before it. A page that has
  // let too many pile up is taken for gone.
  void Post(std::string message);
  // Sends what is queued, then a close frame: the page closes its end.
  void Finish();
  // Whether the connection should be closed at the next chance (a write
  // failed, the page let messages pile up, or it was finished).
  bool Gone();
  // Stops the writer once its current write returns; the connection must
  // stay open until then. Called by the thread that closes the connection.
  void Stop();

 private:
  void Run();

  mg_connection* conn_;
  std::mutex mu_;
  std::condition_variable cv_;
  std::shared_ptr<const std::string> state_;  // newest, not yet sent
  std::deque<std::string> outbox_;
  bool finish_ = false, finished_ = false, broken_ = false, stop_ = false;
  bool sending_ = false;  // a state is being written
  std::thread writer_;
};

}  // namespace kvqsim
