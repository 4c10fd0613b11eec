// The host's own file reading, shared by its settings and its options file
// (the helpers it gives plug-ins are in plugin/host/file.h). Plain functions,
// thread-safe.
#pragma once

#include <string>

// Appends the whole contents of the file `path` to `text`. False with errno
// set when it cannot be opened or read (what was read stays appended).
bool ReadWholeFile(const std::string& path, std::string* text);
