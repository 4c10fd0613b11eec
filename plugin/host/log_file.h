// LogFile: the text log of one import. With a log name it writes that file
// anew (a relative name is placed in the scene file's folder); without one,
// or when the file cannot be created, it has no file and write() returns at
// once without formatting. Owned by the import run; one thread.
#pragma once

#include <cstdio>

#include "plugin/host/api.h"
#include "plugin/host/memory.h"

// The lines that end an import's log, one per import, and the outcome each
// tells the host: the readers write them with these formats, and the log
// learns the outcome by the format it is given.
enum class ImportOutcome {
  kNone,      // no outcome line was written
  kParsed,    // "N lines parsed"
  kError,     // "###Error in line N "
  kNotFound,  // "File NAME not found"
};
inline constexpr char kLogLinesParsed[] = "%lld lines parsed\n";
inline constexpr char kLogErrorInLine[] = "###Error in line %lld \n";
inline constexpr char kLogFileNotFound[] = "File %s not found\n";
struct LogOutcomeLine {
  ImportOutcome outcome;
  const char* format;
};
inline constexpr LogOutcomeLine kLogOutcomeLines[] = {
    {ImportOutcome::kParsed, kLogLinesParsed},
    {ImportOutcome::kError, kLogErrorInLine},
    {ImportOutcome::kNotFound, kLogFileNotFound},
};

class KORVAN_API LogFile : public HostAllocated {
 public:
  // `input_path`: the scene file; `log_name`: the log's name, or null.
  LogFile(const char* input_path, const char* log_name);
  LogFile(const LogFile&) = delete;
  LogFile& operator=(const LogFile&) = delete;
  ~LogFile();

  void write(const char* format, ...) __attribute__((format(printf, 2, 3)));
  // The log's stream, or null when it has no file. Owned by the log.
  FILE* Get_FILE() const { return file_; }
  // Where the log goes ("" when it has no file).
  const char* Get_Path() const { return path_ != nullptr ? path_ : ""; }

 private:
  FILE* file_ = nullptr;
  char* path_ = nullptr;
  char* buffer_ = nullptr;  // the stream's buffer, host memory
};
