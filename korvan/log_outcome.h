// What the host learns from an import's log: the reader's outcome line,
// seen as it is written whether or not the log has a file (only the few
// outcome formats are formatted when there is none). Process-wide; the
// last import's outcome stays until the next LogFile is made.
#pragma once

#include <string>

#include "plugin/host/api.h"
#include "plugin/host/log_file.h"

struct LogOutcome {
  ImportOutcome kind = ImportOutcome::kNone;
  std::string line;  // the outcome line without its line end
};

KORVAN_API LogOutcome korvan_last_log_outcome();
