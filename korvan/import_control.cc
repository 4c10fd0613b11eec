#include "korvan/import_control.h"

#include "plugin/host/import_control.h"

namespace {

using Clock = std::chrono::steady_clock;

// The request of the import under way; readable from any thread.
struct Request {
  std::atomic<const volatile int*> cancel{nullptr};
  std::atomic<int64_t> deadline{0};  // Clock ticks; 0: none
};

Request& Current() {
  static Request request;
  return request;
}

}  // namespace

ImportControl::ImportControl(const volatile int* cancel, double seconds) {
  Request& request = Current();
  request.cancel.store(cancel);
  int64_t deadline = 0;
  if (seconds > 0) {
    const auto limit = std::chrono::duration_cast<Clock::duration>(
        std::chrono::duration<double>(seconds < 1e9 ? seconds : 1e9));
    deadline = (Clock::now() + limit).time_since_epoch().count();
  }
  request.deadline.store(deadline);
}

ImportControl::~ImportControl() {
  Current().cancel.store(nullptr);
  Current().deadline.store(0);
}

bool ImportControl::StopRequested() {
  const Request& request = Current();
  const volatile int* cancel = request.cancel.load(std::memory_order_relaxed);
  if (cancel != nullptr && *cancel != 0) return true;
  const int64_t deadline = request.deadline.load(std::memory_order_relaxed);
  return deadline != 0 && Clock::now().time_since_epoch().count() >= deadline;
}

bool m_import_stop_requested() { return ImportControl::StopRequested(); }
