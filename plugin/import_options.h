// ImportOptions: the plug-in's options on the host's Import_FileOption base.
// An object lives for one importer operation: built from the settings store
// (option set "tarvo_in") and destroyed at the end, which stores them again.
// Allocated in host memory; one thread.
#pragma once

#include <cstdio>

#include "plugin/host/options.h"

// The options file argument buffer: "@", a path of up to 4094 characters
// and the terminator.
constexpr int kOptionsArgumentCapacity = 4096;

extern const char kOptionSetName[];    // "tarvo_in"
extern const char kDefaultLogName[];   // "tarvoin.log"
extern const char kImportFilter[];     // the open-file filter, "|"-pairs
extern const char kSpecificSection[];  // "Specific Settings"

class ImportOptions : public Import_FileOption {
 public:
  ImportOptions();
  ~ImportOptions() override;

  void SetImportFilter();
  // The plug-in's own settings: there are none; each answers 1.
  int LoadSpecific();
  int SaveSpecific();
  // "Options:\n" and the host's print of the options; nothing for null.
  void PrintOptions(FILE* stream) const;
  // Writes the options file: 1 when written, 0 when it cannot be created.
  int SaveToFile(const char* path) const;
  // Reads an options file through the base's "@path" argument; answers 1.
  int LoadFromFile(const char* path);
  int LoadArgs(int count, char** vector);
};
