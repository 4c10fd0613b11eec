// The plug-in's string table and the text helpers of its dialogs.
#pragma once

#include <string>

enum StringId {
  kStringHelpText = 1,
  kStringPov = 2,            // "POV"
  kStringConfiguration = 3,  // "Configuration"
  kStringHelp = 4,           // "Help"
  kStringImport = 5,         // "Import"
};

// The text of string `id`; "" for an id the table does not have.
const char* LoadString(int id);

// `text` with every line feed replaced by carriage return and line feed,
// for text boxes that break lines only at CR LF.
std::string ExpandLineBreaks(const std::string& text);

// "POV" and `what`, joined by a blank: "POV Help".
std::string Caption(int what);
