// The readers of POV-Ray's shapes other than the mesh family: one entry per
// keyword, reading the shape's parameters (what stands before its
// modifiers) into a shapes::Shape through ShapeArgs, and the words among the
// modifiers that change a shape's geometry. The table is constant; the
// readers run on the reading's thread.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "shapes/shape.h"

namespace sdl {

struct FunctionProgram;

// What a shape's reader asks of the parser; each call reads on from where
// the last left off, failing with ParseError at the token it stands on.
class ShapeArgs {
 public:
  virtual ~ShapeArgs() = default;
  virtual double Float() = 0;
  virtual Vec3 Vector() = 0;                // a float or vector, as 3 components
  virtual void Vector2(double out[2]) = 0;  // a float or vector, as 2 components
  // <a, b, c ...>: a vector of any length (a polynomial's coefficients).
  virtual std::vector<double> Numbers() = 0;
  virtual void Comma() = 0;  // a ',' if one comes next
  // Reads the character `c` if it comes next.
  virtual bool TakePunct(char c) = 0;
  // Reads one object modifier if one comes next: a transformation goes into
  // `transform`, a texture is read past. False (nothing read) otherwise.
  virtual bool TakeModifier(Transform& transform) = 0;
  virtual bool CommaFollows() = 0;  // a ',' comes next (not read)
  // Reads `word` if it comes next.
  virtual bool TakeWord(std::string_view word) = 0;
  virtual std::string String() = 0;
  // The file `name` as #include finds it, or "" when there is none.
  virtual std::string FindFile(const std::string& name) = 0;
  // A function { } body; null when it is one this reader does not compute
  // (a pigment's).
  virtual std::shared_ptr<const FunctionProgram> Function() = 0;
  // Charges `steps` of work (function calls) to the reading's budget.
  virtual void Work(int64_t steps) = 0;
  [[noreturn]] virtual void Fail(const std::string& message) = 0;
  // A warning at the shape's keyword; the shape is still made.
  virtual void Warn(const std::string& message) = 0;
  // The shape cannot be made: the rest of its block is passed over and
  // the object said to be passed over, as a kind not imported is.
  [[noreturn]] virtual void PassOver() = 0;
};

struct ShapeReader {
  std::string_view keyword;
  void (*read)(ShapeArgs& args, shapes::Shape& shape);
};

// The reader of the shape `keyword` names, or null.
const ShapeReader* FindShapeReader(std::string_view keyword);

// A word among a shape's modifiers that changes its geometry (open) or may
// be passed over without a block (sturm): true when it was one.
bool ShapeModifier(std::string_view word, shapes::Shape& shape);

}  // namespace sdl
