// The korvan command line: parses the arguments and runs one command.
// Answers the process exit status: 0 done, 1 a file or plug-in could not
// be used, 2 the import ended on a syntax error in the scene file.
#pragma once

#include <string>
#include <vector>

int RunKorvan(const std::vector<std::string>& args);
