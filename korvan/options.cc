#include "plugin/host/options.h"

#include <sys/stat.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "korvan/file.h"
#include "korvan/settings_store.h"

namespace {

// Keys of the common settings in the option set's section.
constexpr char kFileKey[] = "file_name";
constexpr char kLogKey[] = "log_name";
constexpr char kVerboseKey[] = "verbose";

std::string SectionName(const char* option_set, const char* section) {
  std::string name = option_set != nullptr ? option_set : "";
  if (section != nullptr && *section != '\0') name += std::string("/") + section;
  return name;
}

// Copies `text` into the log-name buffer, cut to the 258 characters that
// the configuration dialog takes.
void CopyLogName(char* buffer, const char* text) {
  std::strncpy(buffer, text != nullptr ? text : "", kLogNameCapacity - 2);
  buffer[kLogNameCapacity - 2] = '\0';
}

// Whole decimal number or `fallback`.
int ToInt(const std::string& text, int fallback) {
  char* end = nullptr;
  long value = std::strtol(text.c_str(), &end, 10);
  if (end == text.c_str() || *end != '\0' || value < INT32_MIN || value > INT32_MAX) {
    return fallback;
  }
  return static_cast<int>(value);
}

}  // namespace

// ---- Profile ----

Profile::Profile(const char* option_set)
    : option_set_(my_strdup(option_set != nullptr ? option_set : "")), store_(new SettingsStore) {}

Profile::~Profile() {
  Flush();
  delete store_;
  my_free(option_set_);
}

const char* Profile::GetString(const char* section, const char* key, const char* fallback) {
  const std::string* value = store_->Get(SectionName(option_set_, section), key);
  return value != nullptr ? value->c_str() : fallback;
}

int Profile::GetInt(const char* section, const char* key, int fallback) {
  const std::string* value = store_->Get(SectionName(option_set_, section), key);
  return value != nullptr ? ToInt(*value, fallback) : fallback;
}

void Profile::SetString(const char* section, const char* key, const char* value) {
  store_->Set(SectionName(option_set_, section), key, value != nullptr ? value : "");
}

void Profile::SetInt(const char* section, const char* key, int value) {
  store_->Set(SectionName(option_set_, section), key, std::to_string(value));
}

int Profile::Flush() {
  if (!store_->changed()) return 1;
  return store_->Save() ? 1 : 0;
}

// ---- Import_FileOption ----

Import_FileOption::Import_FileOption(const char* option_set, const char* default_log_name)
    : option_name(my_strdup(option_set != nullptr ? option_set : "")),
      log_name(static_cast<char*>(my_malloc(kLogNameCapacity))),
      filename_(my_strdup("")),
      filter_(my_strdup("")) {
  if (log_name == nullptr) return;  // no memory: an inert object
  Profile profile(option_name);
  CopyLogName(log_name, profile.GetString(nullptr, kLogKey, default_log_name));
  verbose = profile.GetInt(nullptr, kVerboseKey, 0);
  Set_Filename(profile.GetString(nullptr, kFileKey, ""));
}

Import_FileOption::~Import_FileOption() {
  if (log_name != nullptr) {
    Profile profile(option_name);
    profile.SetString(nullptr, kFileKey, Get_Filename());
    profile.SetString(nullptr, kLogKey, log_name);
    profile.SetInt(nullptr, kVerboseKey, verbose);
  }
  my_free(filter_);
  my_free(filename_);
  my_free(log_name);
  my_free(option_name);
}

const char* Import_FileOption::Get_Filename() const {
  return filename_ != nullptr ? filename_ : "";
}

void Import_FileOption::Set_Filename(const char* name) {
  char* copy = my_strdup(name != nullptr ? name : "");
  if (copy == nullptr) return;
  my_free(filename_);
  filename_ = copy;
}

const char* Import_FileOption::Get_Filter() const { return filter_ != nullptr ? filter_ : ""; }

void Import_FileOption::Set_Filter(const char* filter) {
  char* copy = my_strdup(filter != nullptr ? filter : "");
  if (copy == nullptr) return;
  my_free(filter_);
  filter_ = copy;
}

int Import_FileOption::TakeOption(const char* name, const char* value) {
  if (std::strcmp(name, "-f") == 0) {
    Set_Filename(value);
  } else if (std::strcmp(name, "-l") == 0) {
    if (log_name != nullptr) CopyLogName(log_name, value);
  } else if (std::strcmp(name, "-v") == 0) {
    verbose = ToInt(value, verbose);
  } else {
    std::fprintf(stderr, "korvan: warning: unknown option %s ignored\n", name);
    return 0;
  }
  return 1;
}

int Import_FileOption::LoadFile(const char* path) {
  struct stat info;
  if (stat(path, &info) == 0 && S_ISDIR(info.st_mode)) {
    std::fprintf(stderr, "korvan: warning: options file %s is a folder, not read\n", path);
    return -1;
  }
  std::string text;
  if (!ReadWholeFile(path, &text)) {
    std::fprintf(stderr, "korvan: warning: cannot read options file %s\n", path);
    return -1;
  }
  int taken = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    std::string line = text.substr(start, end - start);
    start = end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line.rfind("//", 0) == 0) continue;
    // "NAME VALUE": the value is the rest of the line, blanks included.
    size_t blank = line.find(' ');
    std::string name = line.substr(0, blank);
    std::string value = blank == std::string::npos ? "" : line.substr(blank + 1);
    taken += TakeOption(name.c_str(), value.c_str());
  }
  return taken;
}

int Import_FileOption::Load(int count, char** vector) {
  int taken = 0;
  for (int i = 1; i < count && vector != nullptr; ++i) {
    const char* arg = vector[i];
    if (arg == nullptr) continue;
    if (arg[0] == '@') {
      int from_file = LoadFile(arg + 1);
      if (from_file < 0) return -1;
      taken += from_file;
    } else if (i + 1 < count && vector[i + 1] != nullptr) {
      taken += TakeOption(arg, vector[i + 1]);
      ++i;
    }
  }
  return taken;
}

int Import_FileOption::Save(FILE* file) const {
  if (file == nullptr) return 0;
  int ok = std::fprintf(file, "-f %s\n-l %s\n-v %d\n", Get_Filename(),
                        log_name != nullptr ? log_name : "", verbose);
  return ok < 0 ? 0 : 1;
}

void Import_FileOption::Print_Options(FILE* file) const {
  if (file == nullptr) return;
  std::fprintf(file, "  Scene file: %s\n  Log file:   %s\n  Verbose:    %d\n", Get_Filename(),
               log_name != nullptr ? log_name : "", verbose);
}
