// The two ways a reading fails: ParseError for an error in the statement
// being read (caught where the statement began; the reading goes on), and
// FatalError for what ends the whole reading (#error, a bound reached, out
// of memory). Both are thrown inside the POV-Ray-syntax reader only and
// never leave Parser::Read.
#pragma once

#include <string>

#include "sdl/lexer.h"

namespace sdl {

struct ParseError {
  std::string message;
  Position where;
};

struct FatalError {
  std::string message;
  Position where;
};

}  // namespace sdl
