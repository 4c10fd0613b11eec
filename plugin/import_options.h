// ImportOptions: the plug-in's options on the host's Import_FileOption base.
// An object lives for one importer operation: built from the settings store
// (option set "tarvo_in") and destroyed at the end, which stores them again.
// Allocated in host memory; one thread.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "plugin/host/options.h"

// The options file argument buffer: "@", a path of up to 4094 characters
// and the terminator.
constexpr int kOptionsArgumentCapacity = 4096;

extern const char kOptionSetName[];    // "tarvo_in"
extern const char kDefaultLogName[];   // "tarvoin.log"
extern const char kImportFilter[];     // the open-file filter, "|"-pairs
extern const char kSpecificSection[];  // "Specific Settings"

// How the scene file is read: the documented grammar, or POV-Ray's own
// language (directives, macros, expressions, includes).
enum Grammar : int { kGrammarLiteral = 0, kGrammarPovray = 1 };

// The grammar a settings text names ("literal", "povray"); `fallback` for
// anything else.
Grammar GrammarFromText(const char* text, Grammar fallback);
const char* GrammarText(Grammar grammar);

// The bounds of the POV-Ray-syntax reader that the settings hold: the key,
// the default (beyond any real scene; each keeps its kind of work within
// seconds) and what it bounds. A stored value must be a whole number from 1
// to the largest given.
struct ReaderBound {
  const char* key;
  int64_t fallback;
  int64_t largest;
  const char* what;
};
enum ReaderBoundIndex : int {
  kBoundBytes,
  kBoundTokens,
  kBoundLoopTurns,
  kBoundMacroCalls,
  kBoundValueBytes,
  kBoundNesting,
  kBoundTriangles,
  kReaderBoundCount
};
extern const ReaderBound kReaderBounds[kReaderBoundCount];

class ImportOptions : public Import_FileOption {
 public:
  ImportOptions();
  ~ImportOptions() override;

  void SetImportFilter();
  // The plug-in's own settings under "Specific Settings": the grammar, the
  // library path and the POV-Ray-syntax reader's limits. Each answers 1.
  int LoadSpecific();
  int SaveSpecific();
  // "Options:\n" and the host's print of the options; nothing for null.
  void PrintOptions(FILE* stream) const;
  // Writes the options file: 1 when written, 0 when it cannot be created.
  int SaveToFile(const char* path) const;
  // Reads an options file through the base's "@path" argument; answers 1.
  int LoadFromFile(const char* path);
  int LoadArgs(int count, char** vector);

  Grammar grammar = kGrammarLiteral;
  // Folders searched for #include in the POV-Ray-syntax mode, ':' between.
  std::string library_path;
  // In the POV-Ray-syntax mode: place objects as POV-Ray does (1), or import
  // each mesh once where it is declared (0).
  int place_objects = 1;
  // In the POV-Ray-syntax mode: POV-Ray's other shapes and CSG as meshes (1),
  // or passed over (0); their chord error relative to each curved part's
  // radius (the bound max_triangles may widen it).
  int shapes = 1;
  double tessellation_tolerance = 0.005;
  // The frame of an animation to read the scene for, for one import (the
  // command line's --clock and --frame): empty texts for a still image.
  std::string clock, frame;
  // Bounds of the POV-Ray-syntax reader's work, one per entry of
  // kReaderBounds, in its order.
  int64_t bounds[kReaderBoundCount] = {};
  // What was wrong with the stored settings ("max_nesting=abc ..."), for
  // the log and the host's messages of the next import.
  std::vector<std::string> setting_warnings;
};
