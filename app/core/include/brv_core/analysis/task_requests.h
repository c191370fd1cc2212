#pragma once
// Requests to the monitor task from other threads (the GUI, a signal handler's thread):
// a stop, a user stop, an operating-system standby. Checked between records at little cost.

#include <atomic>
#include <deque>
#include <mutex>

namespace brv {

enum class RequeteTache { Arret, ArretUtilisateur, Veille };

class CFileRequetes {
 public:
  void Poste(RequeteTache r) {
    std::lock_guard lock(mutex_);
    file_.push_back(r);
    nombre_.store(file_.size(), std::memory_order_release);
  }
  bool Vide() const { return nombre_.load(std::memory_order_acquire) == 0; }
  // Takes the oldest request; false when there is none.
  bool Prend(RequeteTache& r) {
    if (nombre_.load(std::memory_order_acquire) == 0) return false;
    std::lock_guard lock(mutex_);
    if (file_.empty()) return false;
    r = file_.front();
    file_.pop_front();
    nombre_.store(file_.size(), std::memory_order_release);
    return true;
  }

 private:
  std::mutex mutex_;
  std::deque<RequeteTache> file_;
  std::atomic<size_t> nombre_{0};
};

}  // namespace brv
