#include "plugin/import_options.h"

#include <cstring>

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

int ImportOptions::SaveToFile(const char* path) const {
  FILE* file = path != nullptr ? std::fopen(path, "wb") : nullptr;
  if (file == nullptr) return 0;
  Save(file);
  std::fputs("// Tarvo in options\n", file);
  std::fputs("// \n", file);
  return std::fclose(file) == 0 ? 1 : 0;
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
