// progress_bench [IMPORT_MS] [MOVES]: what showing the progress costs one
// import. Drives the progress callbacks as the reader does over an import
// of IMPORT_MS milliseconds (default 60) in which bar 1 moves MOVES times
// (default 100); the reading between the moves is a busy wait, not
// counted. Times the console form (on a pseudo-terminal) and, when there
// is a display, the window: opening, the callbacks and closing, as the
// median of 7 imports, and their share of the import.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "bench/pseudo_terminal.h"
#include "ui/console_progress.h"
#include "ui/progress_callbacks.h"
#include "ui/progress_window_wx.h"
#include "ui/toolkit.h"
#include "ui/user_interface.h"
#include "ui/windows.h"

namespace {

using Clock = std::chrono::steady_clock;

struct Cost {
  double open = 0, moves = 0, close = 0;  // milliseconds
  double Total() const { return open + moves + close; }
};

double Since(Clock::time_point start) {
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

// One import's progress, shown by what `open` makes.
template <class Open>
Cost OneImport(Open open, double import_ms, int moves) {
  const long size = 20000000;
  Cost cost;
  Clock::time_point t = Clock::now();
  g_progressWindow = open();
  cost.open = Since(t);
  t = Clock::now();
  Bar1Progress(0, size);
  Bar1Message(const_cast<char*>("Parsing ..."));
  cost.moves = Since(t);
  const Clock::time_point start = Clock::now();
  for (int k = 1; k <= moves; ++k) {
    const auto due = start + std::chrono::duration<double, std::milli>(import_ms * k / moves);
    while (Clock::now() < due) {
    }
    t = Clock::now();
    Bar1Progress((size - 1) / moves * k, size);
    cost.moves += Since(t);
  }
  t = Clock::now();
  CloseProgressWindow(g_progressWindow);
  g_progressWindow = nullptr;
  cost.close = Since(t);
  return cost;
}

template <class Open>
void Report(const char* what, Open open, double import_ms, int moves) {
  std::vector<Cost> costs;
  for (int i = 0; i < 8; ++i) {
    const Cost cost = OneImport(open, import_ms, moves);
    if (i > 0) costs.push_back(cost);  // the first also starts the toolkit
  }
  std::sort(costs.begin(), costs.end(),
            [](const Cost& a, const Cost& b) { return a.Total() < b.Total(); });
  const Cost& median = costs[costs.size() / 2];
  std::printf(
      "%-13s import of %4.0f ms, %3d moves: open %.2f ms, moves %.2f ms, close %.2f ms; "
      "%.2f ms, %.1f %%\n",
      what, import_ms, moves, median.open, median.moves, median.close, median.Total(),
      100.0 * median.Total() / import_ms);
}

}  // namespace

int main(int argc, char** argv) {
  UseWindowsModule(WxWindows());  // linked in: no companion module
  const double import_ms = argc > 1 ? std::atof(argv[1]) : 60;
  const int moves = argc > 2 ? std::atoi(argv[2]) : 100;
  if (import_ms <= 0 || moves <= 0) {
    std::fprintf(stderr, "usage: progress_bench [IMPORT_MS] [MOVES]\n");
    return 2;
  }
  const int tty = OpenDrainedTerminal();
  FILE* terminal = tty >= 0 ? fdopen(tty, "w") : nullptr;
  if (terminal == nullptr) {
    std::fprintf(stderr, "progress_bench: no pseudo-terminal\n");
    return 1;
  }
  Report(
      "console form:", [&] { return new ConsoleProgress(terminal, "grid.pov"); }, import_ms, moves);
  if (EnsureToolkit()) {
    Report(
        "window:",
        [] {
          auto* window = new CProgressWindow;
          window->m_fileName = "grid.pov";
          window->Create(nullptr);
          return window;
        },
        import_ms, moves);
  }
  return 0;
}
