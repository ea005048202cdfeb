// SPDX-License-Identifier: GPL-3.0-or-later
#include "store/worker_pool.h"

#include <algorithm>

namespace pb {

WorkerPool::WorkerPool(int threads) {
  for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { Work(); });
}

WorkerPool::~WorkerPool() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
    queue_.clear();
  }
  taskReady_.notify_all();
  for (std::thread& thread : threads_) thread.join();
}

void WorkerPool::Post(std::function<void()> task) {
  {
    std::lock_guard lock(mutex_);
    queue_.push_back(std::move(task));
  }
  taskReady_.notify_one();
}

void WorkerPool::DropQueued() {
  std::unique_lock lock(mutex_);
  queue_.clear();
  taskDone_.wait(lock, [&] { return running_ == 0; });
}

void WorkerPool::WaitUntil(const std::function<bool()>& done) {
  std::unique_lock lock(mutex_);
  taskDone_.wait(lock, done);
}

void WorkerPool::Work() {
  for (;;) {
    std::function<void()> task;
    {
      std::unique_lock lock(mutex_);
      taskReady_.wait(lock, [&] { return stopping_ || !queue_.empty(); });
      if (stopping_) return;
      task = std::move(queue_.front());
      queue_.pop_front();
      ++running_;
    }
    task();
    task = nullptr;  // what the task held goes before its end is told
    {
      std::lock_guard lock(mutex_);
      --running_;
    }
    taskDone_.notify_all();
  }
}

int DefaultWorkers() {
  constexpr int kMaxDefaultWorkers = 16;
  return std::clamp(static_cast<int>(std::thread::hardware_concurrency()), 1, kMaxDefaultWorkers);
}

}  // namespace pb
