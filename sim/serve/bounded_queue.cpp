#include "sim/serve/bounded_queue.h"

namespace sim {

BoundedTaskQueue::BoundedTaskQueue(size_t workers, size_t capacity) : capacity_(capacity) {
  for (size_t i = 0; i < workers; ++i) threads_.emplace_back([this] { work(); });
}

BoundedTaskQueue::~BoundedTaskQueue() { shutdown(); }

void BoundedTaskQueue::enqueue(std::function<void()> fn) {
  std::unique_lock<std::mutex> lock(mutex_);
  room_.wait(lock, [&] { return tasks_.size() < capacity_ || shutdown_; });
  // After shutdown the task still runs here: it owns the connection's socket
  // and closes it.
  if (shutdown_) {
    lock.unlock();
    fn();
    return;
  }
  tasks_.push_back(std::move(fn));
  lock.unlock();
  ready_.notify_one();
}

void BoundedTaskQueue::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shutdown_ && threads_.empty()) return;
    shutdown_ = true;
  }
  ready_.notify_all();
  room_.notify_all();
  for (std::thread& t : threads_) t.join();
  threads_.clear();
}

void BoundedTaskQueue::work() {
  for (;;) {
    std::function<void()> fn;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      ready_.wait(lock, [&] { return !tasks_.empty() || shutdown_; });
      if (tasks_.empty()) return;  // shut down and drained
      fn = std::move(tasks_.front());
      tasks_.pop_front();
    }
    room_.notify_one();
    fn();
  }
}

}  // namespace sim
