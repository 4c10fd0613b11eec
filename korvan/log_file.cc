#include "plugin/host/log_file.h"

#include <cstdarg>
#include <cstring>
#include <string>

namespace {

constexpr size_t kLogBuffer = 1 << 18;

// A relative log name goes into the folder of the scene file.
std::string LogPath(const char* input_path, const char* log_name) {
  if (log_name[0] == '/' || input_path == nullptr) return log_name;
  const char* slash = std::strrchr(input_path, '/');
  if (slash == nullptr) return log_name;
  return std::string(input_path, slash + 1) + log_name;
}

}  // namespace

LogFile::LogFile(const char* input_path, const char* log_name) {
  if (log_name == nullptr || log_name[0] == '\0') return;
  const std::string path = LogPath(input_path, log_name);
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return;
  path_ = my_strdup(path.c_str());
  buffer_ = static_cast<char*>(my_malloc(kLogBuffer));
  if (buffer_ != nullptr) std::setvbuf(file_, buffer_, _IOFBF, kLogBuffer);
}

LogFile::~LogFile() {
  if (file_ != nullptr) std::fclose(file_);
  my_free(buffer_);
  my_free(path_);
}

void LogFile::write(const char* format, ...) {
  if (file_ == nullptr) return;
  va_list args;
  va_start(args, format);
  std::vfprintf(file_, format, args);
  va_end(args);
}
