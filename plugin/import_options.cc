#include "plugin/import_options.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <string>

const char kOptionSetName[] = "tarvo_in";
const char kDefaultLogName[] = "tarvoin.log";
const char kImportFilter[] = "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||";
const char kSpecificSection[] = "Specific Settings";

ImportOptions::ImportOptions() : Import_FileOption(kOptionSetName, kDefaultLogName) {
  SetImportFilter();
  LoadSpecific();
}

ImportOptions::~ImportOptions() { SaveSpecific(); }

void ImportOptions::SetImportFilter() { Set_Filter(kImportFilter); }

int ImportOptions::LoadSpecific() {
  Profile profile(option_name);  // no plug-in specific values to read
  return 1;
}

int ImportOptions::SaveSpecific() {
  Profile profile(option_name);  // no plug-in specific values to write
  return 1;
}

void ImportOptions::PrintOptions(FILE* stream) const {
  if (stream == nullptr) return;
  std::fputs("Options:\n", stream);
  Print_Options(stream);
}

// The file is written beside its place and then renamed over it, so that a
// crash never leaves half an options file: it is the old one or the new.
int ImportOptions::SaveToFile(const char* path) const {
  if (path == nullptr) return 0;
  std::string temp = std::string(path) + ".XXXXXX";
  const int fd = mkstemp(temp.data());
  if (fd < 0) return 0;
  FILE* file = fdopen(fd, "wb");
  if (file == nullptr) {
    close(fd);
    unlink(temp.c_str());
    return 0;
  }
  Save(file);
  std::fputs("// Tarvo in options\n", file);
  std::fputs("// \n", file);
  bool written = std::fflush(file) == 0 && fsync(fd) == 0;
  written = std::fclose(file) == 0 && written;
  // mkstemp makes the file private; an options file gets the usual mode.
  const mode_t mask = umask(0);
  umask(mask);
  written = written && chmod(temp.c_str(), 0666 & ~mask) == 0;
  if (!written || rename(temp.c_str(), path) != 0) {
    unlink(temp.c_str());
    return 0;
  }
  return 1;
}

int ImportOptions::LoadFromFile(const char* path) {
  if (path == nullptr || std::strlen(path) > kOptionsArgumentCapacity - 2) {
    std::fprintf(stderr, "tarvo_in: options file name too long, not read\n");
    return 1;
  }
  char argument[kOptionsArgumentCapacity];
  std::snprintf(argument, sizeof argument, "@%s", path);
  char program[] = "";
  char* vector[] = {program, argument};
  arg_count = 2;
  arg_vector = vector;
  LoadArgs(2, vector);
  arg_vector = nullptr;  // the vector dies with this call
  return 1;
}

int ImportOptions::LoadArgs(int count, char** vector) {
  Load(count, vector);
  return 1;
}
