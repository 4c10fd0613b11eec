#include "ui/console_progress.h"

#include <cstring>

#include "ui/progress_callbacks.h"
#include "ui/strings.h"

namespace {
constexpr int kBarWidth = 30;
// A terminal shows no more than some 50 pictures a second.
constexpr std::chrono::milliseconds kFrame(20);
}  // namespace

ConsoleProgress::ConsoleProgress(FILE* out, const std::string& file_name) : out_(out) {
  bars_[0].caption = "File Progress:";
  bars_[1].caption = "Mesh Progress:";
  bars_[2].caption = "Mesh Progress:";
  std::fprintf(out_, "%s %s %s\n", LoadString(kStringPov), LoadString(kStringImport),
               file_name.c_str());
  Draw();
}

ConsoleProgress::~ConsoleProgress() {
  if (pending_) Draw();
  std::fflush(out_);
}

std::string ConsoleProgress::Render() const {
  std::string text;
  for (const Bar& bar : bars_) {
    const int filled = (bar.position < 0     ? 0
                        : bar.position > 100 ? 100
                                             : bar.position) *
                       kBarWidth / 100;
    text += std::string(bar.caption) + " " + bar.percent;
    text.append(5 - std::min<size_t>(5, bar.percent.size()), ' ');
    text += " [" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
    text += bar.status + "\n";
  }
  return text;
}

void ConsoleProgress::Redraw() {
  if (drawn_ && std::chrono::steady_clock::now() - last_drawn_ < kFrame) {
    pending_ = true;
    return;
  }
  Draw();
}

void ConsoleProgress::Draw() {
  // Back to the first of the three lines, each cleared before it is drawn;
  // in one write, since stderr is unbuffered and every piece written to it
  // would be a system call of its own.
  std::string frame = drawn_ ? "\033[3A" : "";
  const std::string text = Render();
  for (size_t start = 0, end; (end = text.find('\n', start)) != std::string::npos;
       start = end + 1) {
    frame += "\r\033[K";
    frame.append(text, start, end + 1 - start);
  }
  std::fwrite(frame.data(), 1, frame.size(), out_);
  std::fflush(out_);
  drawn_ = true;
  pending_ = false;
  last_drawn_ = std::chrono::steady_clock::now();
}

int ConsoleProgress::SetBarPos(int bar, int position) {
  Bar& b = BarAt(bar);
  const int previous = b.position;
  b.position = position < 0 ? 0 : position > 100 ? 100 : position;
  b.percent = std::to_string(PercentLabel(position, 0, 100)) + "%";
  Redraw();
  return previous;
}

void ConsoleProgress::SetBarStatus(int bar, const char* text) {
  BarAt(bar).status = text;
  Redraw();
}

void ConsoleProgress::GetBarStatus(int bar, char* buffer, int capacity) {
  if (capacity <= 0) return;
  std::strncpy(buffer, BarAt(bar).status.c_str(), capacity - 1);
  buffer[capacity - 1] = '\0';
}
