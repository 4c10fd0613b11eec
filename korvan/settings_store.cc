#include "korvan/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>

#include "plugin/host/file.h"

namespace {

// Without the blanks and carriage returns at either end.
std::string Trim(const std::string& s) {
  size_t begin = s.find_first_not_of(" \t\r");
  if (begin == std::string::npos) return "";
  size_t end = s.find_last_not_of(" \t\r");
  return s.substr(begin, end - begin + 1);
}

// Values may hold any byte: backslash, line ends and NUL are escaped.
std::string Escape(const std::string& value) {
  std::string out;
  for (char c : value) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string Unescape(const std::string& value) {
  std::string out;
  for (size_t i = 0; i < value.size(); ++i) {
    if (value[i] != '\\' || i + 1 == value.size()) {
      out += value[i];
      continue;
    }
    char c = value[++i];
    out += c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

bool MakeFolders(const std::string& path) {
  for (size_t slash = path.find('/', 1); slash != std::string::npos;
       slash = path.find('/', slash + 1)) {
    std::string folder = path.substr(0, slash);
    if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) return false;
  }
  return true;
}

std::map<std::string, SettingsStore::Section>& Overrides() {
  static std::map<std::string, SettingsStore::Section> overrides;
  return overrides;
}

const std::string* Find(const std::map<std::string, SettingsStore::Section>& sections,
                        const std::string& section, const std::string& key) {
  auto s = sections.find(section);
  if (s == sections.end()) return nullptr;
  auto k = s->second.find(key);
  return k == s->second.end() ? nullptr : &k->second;
}

// An override of section "*" holds for every option set's own section, and
// one of "*/SUB" for every option set's subsection SUB.
const std::string* FindOverride(const std::string& section, const std::string& key) {
  if (const std::string* value = Find(Overrides(), section, key)) return value;
  const size_t slash = section.find('/');
  if (slash == std::string::npos) return Find(Overrides(), "*", key);
  std::string any = "*";
  any.append(section, slash, std::string::npos);
  return Find(Overrides(), any, key);
}

}  // namespace

void SettingsStore::SetOverride(const std::string& section, const std::string& key,
                                const std::string& value) {
  Overrides()[section][key] = value;
}

void SettingsStore::ClearOverrides() { Overrides().clear(); }

std::string SettingsStore::DefaultPath() {
  if (const char* home = std::getenv("KORVAN_CONFIG_HOME"); home && *home) {
    return std::string(home) + "/settings.ini";
  }
  if (const char* xdg = std::getenv("XDG_CONFIG_HOME"); xdg && *xdg) {
    return std::string(xdg) + "/korvan/settings.ini";
  }
  const char* home = std::getenv("HOME");
  return std::string(home && *home ? home : ".") + "/.config/korvan/settings.ini";
}

SettingsStore::SettingsStore(std::string path)
    : path_(path.empty() ? DefaultPath() : std::move(path)) {
  struct stat info;
  if (stat(path_.c_str(), &info) == 0 && !S_ISREG(info.st_mode)) {
    std::fprintf(stderr, "korvan: warning: settings %s are not a file; using defaults\n",
                 path_.c_str());
    return;
  }
  std::ifstream in(path_, std::ios::binary);
  if (!in) {
    if (errno != ENOENT) {
      std::fprintf(stderr, "korvan: warning: cannot read settings %s: %s; using defaults\n",
                   path_.c_str(), std::strerror(errno));
    }
    return;
  }
  std::stringstream text;
  text << in.rdbuf();
  int bad_line = 0;
  if (in.bad() || !Parse(text.str(), &sections_, &bad_line)) {
    std::fprintf(stderr, "korvan: warning: settings %s are malformed (line %d); using defaults\n",
                 path_.c_str(), bad_line);
    sections_.clear();
  }
}

bool SettingsStore::Parse(const std::string& text, std::map<std::string, Section>* out,
                          int* bad_line) {
  std::istringstream lines(text);
  std::string line, section;
  int number = 0;
  while (std::getline(lines, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      section = trimmed.substr(1, trimmed.size() - 2);
      (*out)[section];
      continue;
    }
    size_t equals = line.find('=');
    if (equals == std::string::npos || Trim(line.substr(0, equals)).empty()) {
      *bad_line = number;
      return false;
    }
    (*out)[section][Trim(line.substr(0, equals))] = Unescape(line.substr(equals + 1));
  }
  return true;
}

const std::string* SettingsStore::Get(const std::string& section, const std::string& key) const {
  if (const std::string* value = FindOverride(section, key)) return value;
  return Find(sections_, section, key);
}

void SettingsStore::Set(const std::string& section, const std::string& key,
                        const std::string& value) {
  if (FindOverride(section, key) != nullptr) return;  // this run's value only
  Section& entries = sections_[section];
  auto it = entries.find(key);
  if (it != entries.end() && it->second == value) return;
  entries[key] = value;
  changed_ = true;
}

std::string SettingsStore::Serialize() const {
  std::string out = "; korvan settings\n";
  for (const auto& [name, entries] : sections_) {
    out += "\n[" + name + "]\n";
    for (const auto& [key, value] : entries) out += key + "=" + Escape(value) + "\n";
  }
  return out;
}

bool SettingsStore::Save() {
  if (!MakeFolders(path_)) {
    std::fprintf(stderr, "korvan: warning: cannot create the folder of %s\n", path_.c_str());
    return false;
  }
  const std::string text = Serialize();
  // Private to the user, like every file of its kind.
  if (m_write_file(path_.c_str(), text.data(), text.size(), 0600) == kWriteFailed) {
    std::fprintf(stderr, "korvan: warning: cannot write settings %s: %s\n", path_.c_str(),
                 std::strerror(errno));
    return false;
  }
  changed_ = false;
  return true;
}
