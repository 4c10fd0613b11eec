#include "ui/progress_callbacks.h"

#include <climits>
#include <cstdarg>
#include <cstdio>
#include <cstring>

int g_showProgress = 1;
ProgressWindow* g_progressWindow = nullptr;

namespace {

int g_lastShown[3] = {0, 0, 0};

void SetStatus(int bar, const char* format, va_list args) {
  if (g_showProgress == 0 || g_progressWindow == nullptr) return;
  char text[1024];
  std::vsnprintf(text, sizeof text, format, args);
  char shown[1024];
  g_progressWindow->GetBarStatus(bar, shown, sizeof shown);
  if (std::strcmp(text, shown) != 0) g_progressWindow->SetBarStatus(bar, text);
}

void Progress(int bar, long position, long count) {
  if (g_showProgress == 0 || g_progressWindow == nullptr) return;
  const int percent = ProgressPercent(position, count);
  if (!BarMoves(bar, percent, g_lastShown[bar - 1])) return;
  g_progressWindow->SetBarPos(bar, percent);
  g_lastShown[bar - 1] = percent;
}

}  // namespace

int ProgressPercent(long position, long count) {
  int percent = 0;
  if (count > 1) {
    const double p = static_cast<double>(position) / static_cast<double>(count - 1) * 100.0;
    // Positions far outside the file cannot overflow the conversion.
    percent = p > 1e9 ? 1000000000 : p < -1e9 ? -1000000000 : static_cast<int>(p);
  }
  if (count != LONG_MIN && position == count - 1) percent = 100;
  return percent;
}

bool BarMoves(int bar, int percent, int last_shown) {
  if (percent == 0) return true;
  const long last = last_shown;  // no overflow in last + 9
  switch (bar) {
    case 1:
      return percent != last;
    case 2:
      return percent > last + 4;
    default:
      return percent > last + 9;
  }
}

int PercentLabel(long position, int low, int high) {
  if (high <= low) return 0;
  long p = (position - low) * 100 / (high - low);  // 64-bit: no overflow
  if (p != 100) p %= 100;
  return static_cast<int>(p);
}

void ResetProgressState() { g_lastShown[0] = g_lastShown[1] = g_lastShown[2] = 0; }

#define TARVO_MESSAGE_CALLBACK(name, bar) \
  void name(char* format, ...) {          \
    va_list args;                         \
    va_start(args, format);               \
    SetStatus(bar, format, args);         \
    va_end(args);                         \
  }
TARVO_MESSAGE_CALLBACK(Bar1Message, 1)
TARVO_MESSAGE_CALLBACK(Bar2Message, 2)
TARVO_MESSAGE_CALLBACK(Bar3Message, 3)
#undef TARVO_MESSAGE_CALLBACK

void Bar1Progress(long position, long count) { Progress(1, position, count); }
void Bar2Progress(long position, long count) { Progress(2, position, count); }
void Bar3Progress(long position, long count) { Progress(3, position, count); }
