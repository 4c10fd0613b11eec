// ImportControl: the cancel flag and time limit of the import under way, as
// the plug-in sees them through m_import_stop_requested(). One import runs
// at a time in a process (the C interface serialises them); a scoped
// ImportControl installs its request for the life of that import. The flag
// is the caller's and must outlive the import; any thread may set it.
#pragma once

#include <atomic>
#include <chrono>

class ImportControl {
 public:
  // `cancel` (may be null) is set non-zero to stop; `seconds` <= 0: no limit.
  ImportControl(const volatile int* cancel, double seconds);
  ~ImportControl();
  ImportControl(const ImportControl&) = delete;
  ImportControl& operator=(const ImportControl&) = delete;

  // Whether the installed request asks to stop now.
  static bool StopRequested();
};
