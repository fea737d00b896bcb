#pragma once

#include <cstddef>
#include <functional>
#include <utility>
#include <vector>

namespace zendra {

// A plain callback list: the model raises its events through one of these and the
// user interface (or a test) connects to it. Everything runs on one thread.
template <typename... Args>
class Signal {
 public:
  using Slot = std::function<void(Args...)>;
  using Connection = std::size_t;

  Connection connect(Slot slot) {
    slots_.push_back({++lastId_, std::move(slot)});
    return lastId_;
  }

  void disconnect(Connection id) {
    std::erase_if(slots_, [id](const Entry& e) { return e.id == id; });
  }

  // Calls every slot in connection order. A slot may connect or disconnect while the
  // signal is being raised: the call works on a snapshot of the list.
  void notify(Args... args) const {
    const auto snapshot = slots_;
    for (const auto& e : snapshot) e.slot(args...);
  }

  std::size_t size() const { return slots_.size(); }

 private:
  struct Entry {
    Connection id;
    Slot slot;
  };
  std::vector<Entry> slots_;
  Connection lastId_ = 0;
};

}  // namespace zendra

