// The built-in functions that functions.inc declares with internal(N)
// (f_sphere, f_rounded_box, f_torus ...): one constant table by number,
// each entry with its name, its parameters and how it is computed. The
// table is immutable and each function pure, so calls may run on any
// thread. A few whose values are not yet matched to POV-Ray's are not in
// it; those built on noise use this reader's noise, not POV-Ray's numbers.
#pragma once

#include <cstdint>

namespace sdl {

struct InternalFunction {
  int number;                              // N of internal(N)
  const char* name;                        // functions.inc's name for it
  int params;                              // x, y, z and the extra ones
  int64_t cost;                            // what a call costs the budget, in instructions
  double (*evaluate)(const double* args);  // args: `params` values
};

// The function internal(number) computes; null for one this reader does
// not compute or that does not exist.
const InternalFunction* FindInternalFunction(int number);

}  // namespace sdl
