// SettingsStore: the host's settings, an INI file of sections and key=value
// lines, at $KORVAN_CONFIG_HOME/settings.ini, else
// $XDG_CONFIG_HOME/korvan/settings.ini, else ~/.config/korvan/settings.ini.
// A store that cannot be read or parsed gives empty settings and a warning
// on stderr. Save() writes a temporary file and renames it over the store,
// so the file on disk is always a whole old or a whole new version.
#pragma once

#include <map>
#include <string>

#include "plugin/host/api.h"

class KORVAN_API SettingsStore {
 public:
  using Section = std::map<std::string, std::string>;

  // Reads the store at `path` (the default place when empty).
  explicit SettingsStore(std::string path = "");

  static std::string DefaultPath();
  const std::string& path() const { return path_; }

  // Null when the key is not set.
  const std::string* Get(const std::string& section, const std::string& key) const;
  void Set(const std::string& section, const std::string& key, const std::string& value);
  bool changed() const { return changed_; }
  const std::map<std::string, Section>& sections() const { return sections_; }

  // A value that holds for this process only (a command-line setting): Get
  // answers it in place of the stored one, and Set leaves the key alone.
  // Section "*" stands for the own section of every option set, "*/SUB"
  // for the subsection SUB of every option set.
  static void SetOverride(const std::string& section, const std::string& key,
                          const std::string& value);
  static void ClearOverrides();

  // Writes the store atomically; false (and a warning) when it cannot.
  bool Save();

  // The text form, and its parser (false on a malformed line).
  std::string Serialize() const;
  static bool Parse(const std::string& text, std::map<std::string, Section>* out, int* bad_line);

 private:
  std::string path_;
  std::map<std::string, Section> sections_;
  bool changed_ = false;
};
