// Small text helpers of the host, header-only so that the host library, its
// export and its programs share them. Plain functions.
#pragma once

#include <cctype>
#include <string>

// `s` with ASCII letters in lower case (extensions, format ids).
inline std::string Lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

inline bool EndsWith(const std::string& s, const std::string& tail) {
  return s.size() >= tail.size() && s.compare(s.size() - tail.size(), tail.size(), tail) == 0;
}
