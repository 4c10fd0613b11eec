// The host's settings store (Profile) and the base of every importer's
// options (Import_FileOption). Constructing an Import_FileOption reads the
// option set's common settings (scene file name, log name, verbose) from the
// store; destroying it writes them back. One thread; objects live for one
// importer operation.
#pragma once

#include <cstdint>
#include <cstdio>

#include "plugin/host/api.h"
#include "plugin/host/memory.h"

class SettingsStore;  // host-private

// The settings of one option set (an INI section of the same name, with
// subsections "set/sub"). Reads on construction; Flush() or destruction
// writes the store back atomically when something changed.
class KORVAN_API Profile : public HostAllocated {
 public:
  explicit Profile(const char* option_set);
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;
  ~Profile();

  // `section` null or "" is the option set's own section. The answer of
  // GetString is owned by the profile and valid until the next call.
  const char* GetString(const char* section, const char* key, const char* fallback);
  int GetInt(const char* section, const char* key, int fallback);
  void SetString(const char* section, const char* key, const char* value);
  void SetInt(const char* section, const char* key, int value);
  // Writes the store if something changed: 1 when it is on disk, else 0.
  int Flush();

 private:
  char* option_set_;
  SettingsStore* store_;
};

// Size of the log-name buffer: a name of up to 258 characters fits.
constexpr int kLogNameCapacity = 260;

class KORVAN_API Import_FileOption : public HostAllocated {
 public:
  Import_FileOption(const char* option_set, const char* default_log_name);
  Import_FileOption(const Import_FileOption&) = delete;
  Import_FileOption& operator=(const Import_FileOption&) = delete;
  virtual ~Import_FileOption();

  const char* Get_Filename() const;
  void Set_Filename(const char* name);
  const char* Get_Filter() const;
  void Set_Filter(const char* filter);

  // Takes command-line-style options ("-f NAME", "-l NAME", "-v N"); an
  // argument "@path" reads one option per line from that file, skipping
  // lines that start with "//". Entry 0 stands for a program name and is
  // skipped. Answers the number of options taken, -1 when a file failed.
  int Load(int count, char** vector);
  // Writes the options in the form Load reads; answers 1, or 0 on failure.
  int Save(FILE* file) const;
  // A readable print of the options, one per line.
  void Print_Options(FILE* file) const;

  char* option_name;  // the option set; owned
  int arg_count = 0;  // as last handed to Load
  char** arg_vector = nullptr;
  char* log_name;   // kLogNameCapacity bytes, always terminated; owned
  int verbose = 0;  // 1: detailed log into log_name
  uint32_t host_context = 0;

 private:
  int TakeOption(const char* name, const char* value);
  int LoadFile(const char* path);

  char* filename_;
  char* filter_;
};
