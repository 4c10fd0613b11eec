#include "ui/strings.h"

namespace {

constexpr char kHelpText[] =
    "Tarvo Import Plugin 1.0\n\nImports *.pov *.inc POV-Ray File\n\nCommon Settings:\n\n"
    "      Verbose: enable detailed logging\n      Log File name: enter new log file name\n\n"
    "Supports only mesh2 objects.\n\n"
    "Tarvo reads the polygon meshes of POV-Ray scene files into Korvan.";

}  // namespace

const char* LoadString(int id) {
  switch (id) {
    case kStringHelpText:
      return kHelpText;
    case kStringPov:
      return "POV";
    case kStringConfiguration:
      return "Configuration";
    case kStringHelp:
      return "Help";
    case kStringImport:
      return "Import";
    default:
      return "";
  }
}

std::string ExpandLineBreaks(const std::string& text) {
  std::string out;
  out.reserve(text.size() + text.size() / 16);
  for (char c : text) {
    if (c == '\n') out += '\r';
    out += c;
  }
  return out;
}

std::string Caption(int what) {
  return std::string(LoadString(kStringPov)) + " " + LoadString(what);
}
