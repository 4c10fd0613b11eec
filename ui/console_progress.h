// ConsoleProgress: the progress window's console form for hosts that run no
// GUI: the same three bars with their percent labels and status texts,
// drawn as three lines on a terminal and redrawn in place, at most about
// as often as a terminal shows a new picture; the last state is drawn when
// it closes. Driven by the same callbacks as the window. Owned by the
// importer for one import.
#pragma once

#include <chrono>
#include <cstdio>
#include <string>

#include "ui/progress_window.h"

class ConsoleProgress : public ProgressWindow {
 public:
  // Draws on `out` (a terminal), below the cursor.
  ConsoleProgress(FILE* out, const std::string& file_name);
  ~ConsoleProgress() override;

  int SetBarPos(int bar, int position) override;
  void SetBarStatus(int bar, const char* text) override;
  void GetBarStatus(int bar, char* buffer, int capacity) override;

  // The three lines as they are drawn (for tests).
  std::string Render() const;

 private:
  struct Bar {
    const char* caption;
    int position = 0;
    std::string percent = " 0 %";
    std::string status = "Status";
  };
  Bar& BarAt(int bar) { return bars_[(bar < 1 ? 1 : bar > 3 ? 3 : bar) - 1]; }
  // Draws the bars, unless they were drawn less than a frame ago (then the
  // next draw or the closing shows the change).
  void Redraw();
  void Draw();

  FILE* out_;
  Bar bars_[3];
  bool drawn_ = false;
  bool pending_ = false;  // a change not drawn yet
  std::chrono::steady_clock::time_point last_drawn_;
};
