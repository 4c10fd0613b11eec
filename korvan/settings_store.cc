#include "korvan/settings_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

#include "korvan/file.h"
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

// A key whose first character would make its line a section, a comment or
// an escaped key, or would be trimmed away, is written with a backslash
// before it.
std::string KeyText(const std::string& key) {
  return !key.empty() && std::strchr("[;#\\ \t\r", key[0]) != nullptr ? "\\" + key : key;
}

std::string Key(const std::string& text) {
  return !text.empty() && text[0] == '\\' ? text.substr(1) : text;
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

// The last store read, by its file's identity: an import makes several
// option sets, each reading the store, and parsing it each time cost a
// sixth of a small import's work. The file is read again whenever its
// inode, size or change time differs, and after every Save.
struct ReadCache {
  std::mutex mutex;
  std::string path;
  struct stat info {};
  std::map<std::string, SettingsStore::Section> sections;
  bool valid = false;

  static bool Same(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino && a.st_size == b.st_size &&
           a.st_mtim.tv_sec == b.st_mtim.tv_sec && a.st_mtim.tv_nsec == b.st_mtim.tv_nsec &&
           a.st_ctim.tv_sec == b.st_ctim.tv_sec && a.st_ctim.tv_nsec == b.st_ctim.tv_nsec;
  }
};

// The whole file; false with errno set when it cannot be read. Plain reads:
// a stream's locale set-up costs more than this file's parsing.
ReadCache& Cache() {
  static ReadCache* cache = new ReadCache;  // outlives every static store
  return *cache;
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
  const bool exists = stat(path_.c_str(), &info) == 0;
  if (exists && !S_ISREG(info.st_mode)) {
    std::fprintf(stderr, "korvan: warning: settings %s are not a file; using defaults\n",
                 path_.c_str());
    return;
  }
  ReadCache& cache = Cache();
  std::lock_guard<std::mutex> lock(cache.mutex);
  if (exists && cache.valid && cache.path == path_ && ReadCache::Same(cache.info, info)) {
    sections_ = cache.sections;
    return;
  }
  std::string text;
  if (!ReadWholeFile(path_, &text)) {
    if (errno != ENOENT) {
      std::fprintf(stderr, "korvan: warning: cannot read settings %s: %s; using defaults\n",
                   path_.c_str(), std::strerror(errno));
    }
    return;
  }
  int bad_line = 0;
  if (!Parse(text, &sections_, &bad_line)) {
    std::fprintf(stderr, "korvan: warning: settings %s are malformed (line %d); using defaults\n",
                 path_.c_str(), bad_line);
    sections_.clear();
    return;  // not kept: the warning is said again by the next reader
  }
  // Kept only when the file is what was stat'ed before the read.
  struct stat after;
  if (exists && stat(path_.c_str(), &after) == 0 && ReadCache::Same(info, after)) {
    cache.path = path_;
    cache.info = info;
    cache.sections = sections_;
    cache.valid = true;
  }
}

bool SettingsStore::Parse(const std::string& text, std::map<std::string, Section>* out,
                          int* bad_line) {
  std::string line, section;
  int number = 0;
  for (size_t start = 0; start < text.size();) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    line.assign(text, start, end - start);
    start = end + 1;
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::string trimmed = Trim(line);
    if (trimmed.empty() || trimmed[0] == ';' || trimmed[0] == '#') continue;
    if (trimmed.front() == '[' && trimmed.back() == ']') {
      section = trimmed.substr(1, trimmed.size() - 2);
      (*out)[section];
      continue;
    }
    const size_t equals = line.find('=');
    const std::string key = equals != std::string::npos ? Key(Trim(line.substr(0, equals))) : "";
    if (key.empty()) {
      *bad_line = number;
      return false;
    }
    (*out)[section][key] = Unescape(line.substr(equals + 1));
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
    for (const auto& [key, value] : entries) out += KeyText(key) + "=" + Escape(value) + "\n";
  }
  return out;
}

bool SettingsStore::Save() {
  if (!MakeFolders(path_)) {
    std::fprintf(stderr, "korvan: warning: cannot create the folder of %s\n", path_.c_str());
    return false;
  }
  const std::string text = Serialize();
  {
    std::lock_guard<std::mutex> lock(Cache().mutex);
    Cache().valid = false;
  }
  // Private to the user, like every file of its kind.
  if (m_write_file(path_.c_str(), text.data(), text.size(), 0600) == kWriteFailed) {
    std::fprintf(stderr, "korvan: warning: cannot write settings %s: %s\n", path_.c_str(),
                 std::strerror(errno));
    return false;
  }
  changed_ = false;
  return true;
}
