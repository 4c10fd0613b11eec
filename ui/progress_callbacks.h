// The six progress callbacks that an import hands to the host's bundle, and
// the library-wide progress state they use. Plain code: the window they
// drive is behind ProgressWindow. UI thread only; one import at a time.
#pragma once

#include "ui/progress_window.h"

// Whether imports show progress (1, the start value) or not (0); shared by
// every importer of the library.
extern int g_showProgress;
// The window of the import under way, or null; not owned.
extern ProgressWindow* g_progressWindow;

void Bar1Message(char* format, ...);
void Bar1Progress(long position, long count);
void Bar2Message(char* format, ...);
void Bar2Progress(long position, long count);
void Bar3Message(char* format, ...);
void Bar3Progress(long position, long count);

// The percent a bar shows for `position` within 0 .. `count` - 1.
int ProgressPercent(long position, long count);
// Whether bar 1..3 moves from the last shown percent to `percent`: bar 1 on
// any change, bar 2 by 5 or more, bar 3 by 10 or more; 0 always moves.
bool BarMoves(int bar, int percent, int last_shown);
// The number a bar's percent label shows for `position` in low..high: the
// share in percent, reduced modulo 100 except for exactly 100 ("102" shows
// 2, "200" shows 0). Needs high > low.
int PercentLabel(long position, int low, int high);
// Forgets the last shown percents (they otherwise live with the library).
void ResetProgressState();
