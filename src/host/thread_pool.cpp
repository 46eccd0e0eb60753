// A fixed pool of threads taking jobs from one queue. Jobs that find nothing left to do return at
// once, so that a caller never waits for a worker that has not started: it waits only until every
// index is done, doing the work itself when the workers are busy elsewhere.
#include "host/thread_pool.hpp"

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <deque>
#include <exception>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "host/platform.hpp"

namespace vardex::host::detail {
namespace {

class Pool {
 public:
  explicit Pool(unsigned workers) {
    for (unsigned i = 0; i < workers; ++i) threads_.emplace_back([this] { Work(); });
  }
  ~Pool() {
    {
      std::lock_guard lock(mutex_);
      stop_ = true;
    }
    ready_.notify_all();
    for (std::thread& t : threads_) t.join();
  }
  std::size_t Workers() const noexcept { return threads_.size(); }
  void Submit(std::function<void()> job) {
    {
      std::lock_guard lock(mutex_);
      jobs_.push_back(std::move(job));
    }
    ready_.notify_one();
  }

 private:
  void Work() {
    for (;;) {
      std::function<void()> job;
      {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return stop_ || !jobs_.empty(); });
        if (jobs_.empty()) return;
        job = std::move(jobs_.front());
        jobs_.pop_front();
      }
      job();
    }
  }

  std::mutex mutex_;
  std::condition_variable ready_;
  std::deque<std::function<void()>> jobs_;
  bool stop_ = false;
  std::vector<std::thread> threads_;
};

Pool& ThePool() {
  static Pool pool(std::max(1u, platform::CoreCount()) - 1);
  return pool;
}

// What the callers of one ParallelFor share; kept alive by jobs that start late.
struct Loop {
  std::size_t count = 0;
  const std::function<void(std::size_t)>* task = nullptr;
  std::atomic<std::size_t> next{0};
  std::size_t done = 0;
  std::exception_ptr error;
  std::mutex mutex;
  std::condition_variable finished;

  void Run() {
    for (std::size_t i = next++; i < count; i = next++) {
      std::exception_ptr failure;
      try {
        (*task)(i);
      } catch (...) {
        failure = std::current_exception();
      }
      std::lock_guard lock(mutex);
      if (failure && !error) error = failure;
      if (++done == count) finished.notify_all();
    }
  }
};

}  // namespace

void ParallelFor(std::size_t count, unsigned threads,
                 const std::function<void(std::size_t)>& task) {
  if (count == 0) return;
  Pool& pool = ThePool();
  const std::size_t helpers = std::min<std::size_t>(
      {count - 1, pool.Workers(), threads == 0 ? pool.Workers() : threads - std::size_t{1}});
  auto loop = std::make_shared<Loop>();
  loop->count = count;
  loop->task = &task;
  for (std::size_t h = 0; h < helpers; ++h) pool.Submit([loop] { loop->Run(); });
  loop->Run();
  std::unique_lock lock(loop->mutex);
  loop->finished.wait(lock, [&] { return loop->done == count; });
  if (loop->error) std::rethrow_exception(loop->error);
}

}  // namespace vardex::host::detail
