// Files for tests: the test run's own temporary folder (removed at the end
// by the test main, which also points the settings store into it).
#pragma once

#include <string>

// The folder, made once; ends in "/".
const std::string& TestDir();
// Writes `contents` to TestDir() + `name` and answers the path.
std::string WriteTestFile(const std::string& name, const std::string& contents);
// The whole file, or "" when it cannot be read.
std::string ReadWholeFile(const std::string& path);
