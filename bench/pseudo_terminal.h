// A pseudo-terminal for the benchmarks to draw progress on, as a user's
// terminal would be: a detached thread reads and drops what is written (a
// full terminal would block the writer). Lives until the process ends.
#pragma once

// The terminal's descriptor to write to, or -1 when there is none.
int OpenDrainedTerminal();
