// Work items run several at a time, their results taken in the items' order.
#pragma once

#include <condition_variable>
#include <algorithm>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace kw {

// Runs work(0) .. work(count - 1) on up to `threads` threads and hands each
// result to take on the calling thread, in index order, as soon as it and
// every item before it are done. Once stop() is true no further item is
// begun, items under way finish, and take sees the results up to the first
// item not done. work must not throw; when take throws, no further item is
// begun and the exception goes on once the items under way have ended.
template <class Result>
void RunInOrder(size_t count, size_t threads, const std::function<Result(size_t)>& work,
                const std::function<void(size_t, Result&)>& take, const std::function<bool()>& stop) {
  if (threads <= 1 || count <= 1) {
    for (size_t i = 0; i < count && !stop(); ++i) {
      Result result = work(i);
      take(i, result);
    }
    return;
  }
  std::mutex mutex;
  std::condition_variable changed;
  std::vector<std::optional<Result>> results(count);
  size_t begun = 0;
  bool stopped = false;
  auto worker = [&] {
    for (;;) {
      size_t i;
      {
        std::lock_guard lock(mutex);
        if (stopped || begun == count) return;
        if (stop()) {
          stopped = true;
          changed.notify_all();
          return;
        }
        i = begun++;
      }
      Result result = work(i);
      std::lock_guard lock(mutex);
      results[i] = std::move(result);
      changed.notify_all();
    }
  };
  std::vector<std::jthread> pool;
  // Before the pool is joined, on every way out.
  struct BeginNoMore {
    std::mutex& mutex;
    bool& stopped;
    ~BeginNoMore() {
      std::lock_guard lock(mutex);
      stopped = true;
    }
  } beginNoMore{mutex, stopped};
  for (size_t t = 0; t < std::min(threads, count); ++t) pool.emplace_back(worker);
  for (size_t i = 0; i < count; ++i) {
    std::unique_lock lock(mutex);
    changed.wait(lock, [&] { return results[i].has_value() || (stopped && i >= begun); });
    if (!results[i]) break;
    Result result = std::move(*results[i]);
    results[i].reset();
    lock.unlock();
    take(i, result);
  }
}

}  // namespace kw
