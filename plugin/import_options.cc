#include "plugin/import_options.h"

#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin/host/file.h"

const char kOptionSetName[] = "tarvo_in";
const char kDefaultLogName[] = "tarvoin.log";
const char kImportFilter[] = "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||";
const char kSpecificSection[] = "Specific Settings";

ImportOptions::ImportOptions() : Import_FileOption(kOptionSetName, kDefaultLogName) {
  SetImportFilter();
  LoadSpecific();
}

ImportOptions::~ImportOptions() { SaveSpecific(); }

void ImportOptions::SetImportFilter() { Set_Filter(kImportFilter); }

namespace {

constexpr char kGrammarKey[] = "grammar";
constexpr char kLibraryPathKey[] = "library_path";
constexpr char kPlaceKey[] = "place_objects";
constexpr char kLoopKey[] = "max_loop_iterations";
constexpr char kMacroCallsKey[] = "max_macro_calls";
constexpr char kNestingKey[] = "max_nesting";

// A stored limit below 1 would stop every scene: such a value is not taken.
int Positive(int value, int fallback) { return value >= 1 ? value : fallback; }

}  // namespace

Grammar GrammarFromText(const char* text, Grammar fallback) {
  if (text == nullptr) return fallback;
  if (std::strcmp(text, "literal") == 0) return kGrammarLiteral;
  if (std::strcmp(text, "povray") == 0) return kGrammarPovray;
  return fallback;
}

const char* GrammarText(Grammar grammar) {
  return grammar == kGrammarPovray ? "povray" : "literal";
}

int ImportOptions::LoadSpecific() {
  Profile profile(option_name);
  grammar =
      GrammarFromText(profile.GetString(kSpecificSection, kGrammarKey, "literal"), kGrammarLiteral);
  library_path = profile.GetString(kSpecificSection, kLibraryPathKey, "");
  place_objects = profile.GetInt(kSpecificSection, kPlaceKey, 1) != 0 ? 1 : 0;
  max_loop_iterations = Positive(profile.GetInt(kSpecificSection, kLoopKey, max_loop_iterations),
                                 max_loop_iterations);
  max_macro_calls =
      Positive(profile.GetInt(kSpecificSection, kMacroCallsKey, max_macro_calls), max_macro_calls);
  max_nesting = Positive(profile.GetInt(kSpecificSection, kNestingKey, max_nesting), max_nesting);
  return 1;
}

int ImportOptions::SaveSpecific() {
  Profile profile(option_name);
  profile.SetString(kSpecificSection, kGrammarKey, GrammarText(grammar));
  profile.SetString(kSpecificSection, kLibraryPathKey, library_path.c_str());
  profile.SetInt(kSpecificSection, kPlaceKey, place_objects);
  profile.SetInt(kSpecificSection, kLoopKey, max_loop_iterations);
  profile.SetInt(kSpecificSection, kMacroCallsKey, max_macro_calls);
  profile.SetInt(kSpecificSection, kNestingKey, max_nesting);
  return 1;
}

void ImportOptions::PrintOptions(FILE* stream) const {
  if (stream == nullptr) return;
  std::fputs("Options:\n", stream);
  Print_Options(stream);
  // The documented grammar's log stays as it always was.
  if (grammar == kGrammarPovray) {
    std::fprintf(stream, "  Grammar:    povray\n  Library:    %s\n  Placement:  %s\n",
                 library_path.c_str(), place_objects ? "on" : "off");
  }
}

// The host writes the file beside its place and renames it over it, so that
// a crash never leaves half an options file (see m_write_file).
int ImportOptions::SaveToFile(const char* path) const {
  if (path == nullptr) return 0;
  char* text = nullptr;
  size_t size = 0;
  FILE* file = open_memstream(&text, &size);
  if (file == nullptr) return 0;
  Save(file);
  std::fputs("// Tarvo in options\n", file);
  std::fputs("// \n", file);
  const bool formatted = std::fclose(file) == 0;
  const bool written = formatted && m_write_file(path, text, size, 0666) != kWriteFailed;
  std::free(text);
  return written ? 1 : 0;
}

int ImportOptions::LoadFromFile(const char* path) {
  if (path == nullptr || std::strlen(path) > kOptionsArgumentCapacity - 2) {
    std::fprintf(stderr, "tarvo_in: options file name too long, not read\n");
    return 1;
  }
  char argument[kOptionsArgumentCapacity];
  std::snprintf(argument, sizeof argument, "@%s", path);
  char program[] = "";
  char* vector[] = {program, argument};
  arg_count = 2;
  arg_vector = vector;
  LoadArgs(2, vector);
  arg_vector = nullptr;  // the vector dies with this call
  return 1;
}

int ImportOptions::LoadArgs(int count, char** vector) {
  Load(count, vector);
  return 1;
}
