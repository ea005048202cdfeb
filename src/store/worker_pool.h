// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace pb {

// Threads that run posted tasks, the first posted first. A task keeps its
// results in objects of its poster's and marks them finished last (an atomic
// flag released after the results), so the poster may look at them while
// other tasks still run.
class WorkerPool {
 public:
  explicit WorkerPool(int threads);
  // Drops the tasks not started yet and waits for the running ones.
  ~WorkerPool();
  WorkerPool(const WorkerPool&) = delete;
  WorkerPool& operator=(const WorkerPool&) = delete;

  void Post(std::function<void()> task);
  // Drops the tasks not started yet; returns once no task runs.
  void DropQueued();
  // Blocks until done() holds; done is asked again after every finished task.
  void WaitUntil(const std::function<bool()>& done);

 private:
  void Work();

  std::mutex mutex_;
  std::condition_variable taskReady_;
  std::condition_variable taskDone_;
  std::deque<std::function<void()>> queue_;
  int running_ = 0;
  bool stopping_ = false;
  std::vector<std::thread> threads_;
};

// One worker per core, at most 16.
int DefaultWorkers();

}  // namespace pb
