// The server's task queue: a fixed set of worker threads and a bounded queue
// of accepted connections. When the queue is full the accepting thread waits,
// so further connections wait in the kernel's backlog instead of in memory.
#pragma once

#include <httplib.h>

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace sim {

class BoundedTaskQueue : public httplib::TaskQueue {
 public:
  BoundedTaskQueue(size_t workers, size_t capacity);
  ~BoundedTaskQueue() override;
  void enqueue(std::function<void()> fn) override;
  void shutdown() override;

 private:
  void work();

  size_t capacity_;
  std::mutex mutex_;
  std::condition_variable ready_, room_;
  std::deque<std::function<void()>> tasks_;
  std::vector<std::thread> threads_;
  bool shutdown_ = false;
};

}  // namespace sim
