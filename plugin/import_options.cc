#include "plugin/import_options.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin/host/file.h"

const char kOptionSetName[] = "tarvo_in";
const char kDefaultLogName[] = "tarvoin.log";
const char kImportFilter[] = "POV-Ray File     (*.pov;*.inc)|*.pov;*.inc|All Files (*.*)|*.*||";
const char kSpecificSection[] = "Specific Settings";

const ReaderBound kReaderBounds[kReaderBoundCount] = {
    {"max_bytes", INT64_C(2'000'000'000), INT64_C(1) << 50,
     "bytes scanned, comments, skipped blocks and rescans by loops and macros included"},
    {"max_tokens", 200'000'000, INT64_C(1) << 50, "tokens read, those of skipped blocks included"},
    {"max_loop_iterations", 10'000'000, INT64_C(1) << 50, "turns of all #while and #for loops"},
    {"max_macro_calls", 2'000'000, INT64_C(1) << 50, "macro calls"},
    {"max_value_bytes", INT64_C(800'000'000), INT64_C(1) << 50,
     "bytes of strings, arrays and meshes made, and, apart, of meshes placed"},
    {"max_nesting", 500, 100'000, "nested expressions, blocks, objects, macro calls and includes"},
    {"max_triangles", 5'000'000, INT64_C(1) << 40,
     "triangles of all shapes together, past which they are made coarser"},
};

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
constexpr char kShapesKey[] = "shapes";
constexpr char kToleranceKey[] = "tessellation_tolerance";
constexpr double kDefaultTolerance = 0.005;

// A stored tolerance: a number above 0 and at most 0.5, else the default
// and a warning.
double ReadTolerance(Profile& profile, std::vector<std::string>* warnings) {
  const char* text = profile.GetString(kSpecificSection, kToleranceKey, nullptr);
  if (text == nullptr) return kDefaultTolerance;
  char* end = nullptr;
  const double value = std::strtod(text, &end);
  if (end != text && *end == '\0' && value > 0 && value <= 0.5) return value;
  std::string shown;
  for (const char* c = text; *c != '\0' && shown.size() < 40; ++c) {
    shown += static_cast<unsigned char>(*c) < 0x20 ? '?' : *c;
  }
  warnings->push_back("setting " + std::string(kToleranceKey) + "=" + shown +
                      " is not a number above 0 and at most 0.5; the default 0.005 is used");
  return kDefaultTolerance;
}
// A stored bound: its value when it is a whole number within the bound's
// range, else its default and a warning that names the key and the value.
int64_t ReadBound(Profile& profile, const ReaderBound& bound, std::vector<std::string>* warnings) {
  const char* text = profile.GetString(kSpecificSection, bound.key, nullptr);
  if (text == nullptr) return bound.fallback;
  errno = 0;
  char* end = nullptr;
  const long long value = std::strtoll(text, &end, 10);
  if (end != text && *end == '\0' && errno == 0 && value >= 1 && value <= bound.largest) {
    return value;
  }
  std::string shown;
  for (const char* c = text; *c != '\0' && shown.size() < 40; ++c) {
    shown += static_cast<unsigned char>(*c) < 0x20 ? '?' : *c;
  }
  warnings->push_back("setting " + std::string(bound.key) + "=" + shown +
                      " is not a whole number from 1 to " + std::to_string(bound.largest) +
                      "; the default " + std::to_string(bound.fallback) + " is used");
  return bound.fallback;
}

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
  clock = profile.GetString(kSpecificSection, "clock", "");
  frame = profile.GetString(kSpecificSection, "frame", "");
  setting_warnings.clear();
  shapes = profile.GetInt(kSpecificSection, kShapesKey, 1) != 0 ? 1 : 0;
  tessellation_tolerance = ReadTolerance(profile, &setting_warnings);
  for (int i = 0; i < kReaderBoundCount; ++i) {
    bounds[i] = ReadBound(profile, kReaderBounds[i], &setting_warnings);
  }
  return 1;
}

int ImportOptions::SaveSpecific() {
  Profile profile(option_name);
  profile.SetString(kSpecificSection, kGrammarKey, GrammarText(grammar));
  profile.SetString(kSpecificSection, kLibraryPathKey, library_path.c_str());
  profile.SetInt(kSpecificSection, kPlaceKey, place_objects);
  profile.SetInt(kSpecificSection, kShapesKey, shapes);
  char tolerance[32];
  std::snprintf(tolerance, sizeof tolerance, "%.17g", tessellation_tolerance);
  profile.SetString(kSpecificSection, kToleranceKey, tolerance);
  for (int i = 0; i < kReaderBoundCount; ++i) {
    profile.SetString(kSpecificSection, kReaderBounds[i].key, std::to_string(bounds[i]).c_str());
  }
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
    std::fprintf(stream, "  Shapes:     %s (tolerance %g)\n", shapes ? "on" : "off",
                 tessellation_tolerance);
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
