// The values of POV-Ray's scene language as this reader keeps them: numbers
// and vectors (colours are 5-vectors), strings, arrays, declared objects and
// textures (by name), transformations and macros. Plain values; arrays and
// macros are shared between the identifiers that hold them.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "csg/solid.h"
#include "sdl/function.h"
#include "sdl/lexer.h"
#include "sdl/mesh_data.h"
#include "sdl/pigment_function.h"
#include "sdl/spline.h"
#include "sdl/transform.h"

namespace sdl {

enum class ValueType : uint8_t {
  kNone,       // declared but not set (an array element never assigned)
  kFloat,      // v[0]
  kVector,     // v[0 .. dim-1], dim 2 to 5
  kString,     // text
  kArray,      // array
  kObject,     // an object; text is the name its meshes were built under, `object` its meshes
  kTexture,    // a texture, pigment or material; text is its identifier
  kTransform,  // transform
  kMacro,      // macro
  kOther,      // anything else that can be declared (finish, camera ...); text the keyword
};

struct Value;

// One mesh (or solid) of an object as it is placed: the mesh as its own
// block made it (shared by every placement), the transformation of the objects around it,
// and the texture of the innermost object around it that has one, for the
// faces that have none of their own.
// A part with neither mesh nor solid stands for an object of a kind that is
// not imported (`kind` at `where`): it is reported when it is placed.
struct PlacedPart {
  std::shared_ptr<MeshData> mesh;  // never changed while shared
  // A shape or CSG object instead of a mesh, meshed when the scene is read
  // and its final transformation known.
  std::shared_ptr<const csg::Solid> solid;
  std::string name;  // the identifier the mesh was declared as, or ""
  std::string kind;  // a solid's kind, which names it when it has no name
  Position where;    // where a solid's block begins, for messages
  Transform transform;
  bool has_texture = false;
  MaterialSlot texture;

  bool PassedOver() const { return mesh == nullptr && solid == nullptr; }
};

// A light as it is placed: where its own block puts it, its colour, and
// the transformation of its block and of the objects around it.
struct PlacedLight {
  Vec3 location;
  double color[3] = {1, 1, 1};
  Transform transform;
};

// A declared object: the meshes and lights it is made of.
struct ObjectDef {
  std::vector<PlacedPart> parts;
  std::vector<PlacedLight> lights;
};

struct ArrayValue {
  std::vector<int64_t> sizes;  // one per dimension
  std::vector<Value> items;    // row-major
};

struct MacroValue {
  std::string name;
  std::vector<std::string> params;
  std::vector<bool> optional;
  Position body;  // just after the parameter list
};

struct Value {
  ValueType type = ValueType::kNone;
  int dim = 0;  // 1 for a float, 2-5 for a vector
  double v[5] = {0, 0, 0, 0, 0};
  std::string text;
  std::shared_ptr<ArrayValue> array;
  std::shared_ptr<MacroValue> macro;
  std::shared_ptr<Transform> transform;
  std::shared_ptr<const ObjectDef> object;          // kObject, when objects are placed
  std::shared_ptr<const MaterialSlot> finish;       // kTexture: its finish, when it has one
  std::shared_ptr<const FunctionProgram> function;  // a function this reader evaluates
  // A function of a pigment: its colour (`function` gives its gray).
  std::shared_ptr<const PigmentFunction> pigment;
  std::shared_ptr<const Spline> spline;  // a spline { }

  static Value Float(double f) {
    Value value;
    value.type = ValueType::kFloat;
    value.dim = 1;
    value.v[0] = f;
    return value;
  }
  static Value Vector(int dim, const double* v) {
    Value value;
    value.type = ValueType::kVector;
    value.dim = dim;
    for (int i = 0; i < dim; ++i) value.v[i] = v[i];
    return value;
  }
  static Value String(std::string s) {
    Value value;
    value.type = ValueType::kString;
    value.text = std::move(s);
    return value;
  }
  bool IsNumeric() const { return type == ValueType::kFloat || type == ValueType::kVector; }
};

// A float as a whole number, truncated toward zero and held within the
// 64-bit range (NaN gives 0): every conversion of a scene's number goes here.
inline int64_t WholeNumber(double value) {
  if (!(value == value)) return 0;
  if (value >= 9.2e18) return INT64_C(9200000000000000000);
  if (value <= -9.2e18) return -INT64_C(9200000000000000000);
  return static_cast<int64_t>(value);
}

// What a value is called in messages ("a float", "a string" ...).
const char* TypeName(ValueType type);

// `value` (a float or vector) as `dim` components: a float fills all of
// them, a shorter vector is padded with zeros.
void Promote(const Value& value, int dim, double* out);

// A number as str() writes it: `width` (0: as wide as needed) and
// `precision` digits after the point (negative: 6).
std::string FormatNumber(double value, int width, int precision);

}  // namespace sdl
