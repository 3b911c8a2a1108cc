#include "apps/kvqsim/serve/peer.h"

#include <civetweb.h>

namespace kvqsim {

namespace {

constexpr size_t MAX_OUTBOX = 256;  // messages waiting for one page

bool Send(mg_connection* conn, int opcode, const std::string& text) {
  return mg_websocket_write(conn, opcode, text.data(), text.size()) > 0;
}

}  // namespace

Peer::Peer(mg_connection* conn) : conn_(conn), writer_([this] { Run(); }) {}

Peer::~Peer() { Stop(); }

void Peer::Offer(std::shared_ptr<const std::string> state) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    state_ = std::move(state);
  }
  cv_.notify_one();
}

void Peer::Post(std::string message) {
  {
    std::lock_guard<std::mutex> lock(mu_);
    if (broken_ || finish_) return;
    if (outbox_.size() >= MAX_OUTBOX) {
      broken_ = true;
      outbox_.clear();
    } else {
      outbox_.push_back(std::move(message));
    }
  }
  cv_.notify_one();
}

void Peer::Finish() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    finish_ = true;
  }
  cv_.notify_one();
}

bool Peer::Idle() {
  std::lock_guard<std::mutex> lock(mu_);
  return !state_ && !sending_ && !broken_ && !finish_;
}

bool Peer::Gone() {
  std::lock_guard<std::mutex> lock(mu_);
  return broken_ || finished_;
}

void Peer::Stop() {
  {
    std::lock_guard<std::mutex> lock(mu_);
    stop_ = true;
  }
  cv_.notify_one();
  if (writer_.joinable()) writer_.join();
}

void Peer::Run() {
  std::unique_lock<std::mutex> lock(mu_);
  for (;;) {
    cv_.wait(lock, [&] { return stop_ || (!broken_ && !finished_ && (state_ || !outbox_.empty() || finish_)); });
    if (stop_) return;
    std::deque<std::string> out;
    out.swap(outbox_);
    std::shared_ptr<const std::string> state = std::move(state_);
    const bool finishing = finish_;
    sending_ = state != nullptr;
    lock.unlock();
    // Messages first: an answer refers to an input the next state shows.
    bool ok = true;
    for (const std::string& m : out) ok = ok && Send(conn_, MG_WEBSOCKET_OPCODE_TEXT, m);
    if (ok && state && !finishing) ok = Send(conn_, MG_WEBSOCKET_OPCODE_TEXT, *state);
    if (ok && finishing) Send(conn_, MG_WEBSOCKET_OPCODE_CONNECTION_CLOSE, std::string("\x03\xe8", 2));
    lock.lock();
    sending_ = false;
    if (!ok) broken_ = true;
    if (finishing) finished_ = true;
  }
}

}  // namespace kvqsim
