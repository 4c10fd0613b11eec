#include "sdl/shape_readers.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <vector>

#include "csg/boolean_engine.h"
#include "images/height_map.h"
#include "sdl/function.h"
#include "shapes/arc_solid.h"
#include "shapes/polynomial.h"
#include "shapes/profile.h"

namespace sdl {

namespace {

using shapes::Shape;
using shapes::SplineKind;

void ReadBox(ShapeArgs& a, Shape& s) {
  shapes::Box box;
  box.corner1 = a.Vector();
  a.Comma();
  box.corner2 = a.Vector();
  s.params = box;
}

void ReadSphere(ShapeArgs& a, Shape& s) {
  shapes::Sphere sphere;
  sphere.center = a.Vector();
  a.Comma();
  sphere.radius = a.Float();
  s.params = sphere;
}

bool SamePoint(const Vec3& a, const Vec3& b) { return a.x == b.x && a.y == b.y && a.z == b.z; }

void ReadCylinder(ShapeArgs& a, Shape& s) {
  shapes::Cone cone;
  cone.base = a.Vector();
  a.Comma();
  cone.cap = a.Vector();
  a.Comma();
  cone.base_radius = cone.cap_radius = a.Float();
  if (SamePoint(cone.base, cone.cap))
    a.Fail("degenerate cylinder: its base point is its cap point");
  s.params = cone;
}

void ReadCone(ShapeArgs& a, Shape& s) {
  shapes::Cone cone;
  cone.base = a.Vector();
  a.Comma();
  cone.base_radius = a.Float();
  a.Comma();
  cone.cap = a.Vector();
  a.Comma();
  cone.cap_radius = a.Float();
  if (SamePoint(cone.base, cone.cap)) a.Fail("degenerate cone: its base point is its cap point");
  s.params = cone;
}

void ReadTorus(ShapeArgs& a, Shape& s) {
  shapes::Torus torus;
  torus.major = a.Float();
  a.Comma();
  torus.minor = a.Float();
  s.params = torus;
}

void ReadDisc(ShapeArgs& a, Shape& s) {
  shapes::Disc disc;
  disc.center = a.Vector();
  a.Comma();
  disc.normal = a.Vector();
  a.Comma();
  disc.radius = a.Float();
  if (a.CommaFollows()) {
    a.Comma();
    disc.hole = a.Float();
  }
  s.params = disc;
}

void ReadPlane(ShapeArgs& a, Shape& s) {
  shapes::Plane plane;
  plane.normal = a.Vector();
  a.Comma();
  plane.distance = a.Float();
  if (plane.normal.x == 0 && plane.normal.y == 0 && plane.normal.z == 0) {
    a.Fail("degenerate plane normal");
  }
  s.params = plane;
}

void ReadOvus(ShapeArgs& a, Shape& s) {
  shapes::Ovus ovus;
  ovus.bottom = a.Float();
  a.Comma();
  ovus.top = a.Float();
  if (!(ovus.bottom > 0) || !(ovus.top >= 0)) {
    a.Fail("an ovus's radii must be positive (its bottom radius more than 0)");
  }
  if (ovus.top >= 2 * ovus.bottom) {
    a.Warn("the ovus's top radius is twice its bottom radius or more: it is a sphere");
  }
  s.params = ovus;
}

void ReadLemon(ShapeArgs& a, Shape& s) {
  shapes::Lemon lemon;
  lemon.base = a.Vector();
  a.Comma();
  lemon.base_radius = a.Float();
  a.Comma();
  lemon.cap = a.Vector();
  a.Comma();
  lemon.cap_radius = a.Float();
  a.Comma();
  lemon.inner_radius = a.Float();
  if (SamePoint(lemon.base, lemon.cap)) a.Fail("degenerate lemon: its base point is its cap point");
  if (!(lemon.base_radius >= 0) || !(lemon.cap_radius >= 0)) {
    a.Fail("a lemon's end radii must not be negative");
  }
  const double least = shapes::LemonLeastInnerRadius(lemon);
  if (!(lemon.inner_radius >= least)) {
    char text[64];
    std::snprintf(text, sizeof text, "%g", least);
    a.Warn(std::string("the lemon's inner radius is too small; the least, ") + text + ", is used");
    lemon.inner_radius = least;
  }
  s.params = lemon;
}

void ReadSuperellipsoid(ShapeArgs& a, Shape& s) {
  double en[2];
  a.Vector2(en);
  shapes::Superellipsoid super;
  // POV-Ray holds both exponents away from 0.
  super.e = std::max(en[0], 1e-4);
  super.n = std::max(en[1], 1e-4);
  s.params = super;
}

// The count of a point list: a whole number, then its points.
size_t Count(ShapeArgs& a) {
  const double n = a.Float();
  if (!(n >= 0) || n > 1e7) a.Fail("expected a count of points from 0 to 10,000,000");
  a.Comma();
  return static_cast<size_t>(n);
}

std::vector<Vec3> Points2(ShapeArgs& a, size_t count) {
  std::vector<Vec3> points;
  for (size_t i = 0; i < count; ++i) {
    double p[2];
    a.Vector2(p);
    points.push_back({p[0], p[1], 0});
    a.Comma();
  }
  return points;
}

bool SplineWord(ShapeArgs& a, SplineKind* kind) {
  static constexpr struct {
    std::string_view word;
    SplineKind kind;
  } kWords[] = {{"linear_spline", SplineKind::kLinear},
                {"quadratic_spline", SplineKind::kQuadratic},
                {"cubic_spline", SplineKind::kCubic},
                {"bezier_spline", SplineKind::kBezier}};
  for (const auto& w : kWords) {
    if (a.TakeWord(w.word)) {
      *kind = w.kind;
      return true;
    }
  }
  return false;
}

const char* SplineName(SplineKind kind) {
  switch (kind) {
    case SplineKind::kLinear:
      return "linear";
    case SplineKind::kQuadratic:
      return "quadratic";
    case SplineKind::kCubic:
      return "cubic";
    case SplineKind::kBezier:
      return "Bezier";
  }
  return "";
}

const char* Words(int n) {
  static const char* const kNames[] = {"zero", "one", "two", "three", "four", "five", "six"};
  return n >= 0 && n <= 6 ? kNames[n] : "enough";
}

void CheckCount(ShapeArgs& a, const char* shape, SplineKind kind, size_t count, int minimum) {
  if (kind == SplineKind::kBezier && (count == 0 || count % 4 != 0)) {
    a.Fail(std::string(shape) + " with Bezier splines must have four points per segment");
  }
  if (count < static_cast<size_t>(minimum)) {
    a.Fail(std::string(shape) + " with " + SplineName(kind) + " splines must have at least " +
           Words(minimum) + " points");
  }
}

void ReadPrism(ShapeArgs& a, Shape& s) {
  shapes::Prism prism;
  for (bool more = true; more;) {
    more = SplineWord(a, &prism.spline);
    if (a.TakeWord("linear_sweep")) {
      prism.conic = false;
      more = true;
    } else if (a.TakeWord("conic_sweep")) {
      prism.conic = true;
      more = true;
    }
  }
  prism.height1 = a.Float();
  a.Comma();
  prism.height2 = a.Float();
  a.Comma();
  const size_t count = Count(a);
  prism.points = Points2(a, count);
  static constexpr int kMinimum[] = {3, 5, 6, 4};
  CheckCount(a, "Prism", prism.spline, count, kMinimum[static_cast<int>(prism.spline)]);
  s.params = std::move(prism);
}

void ReadSphereSweep(ShapeArgs& a, Shape& s) {
  using Spline = shapes::SphereSweep::Spline;
  static constexpr struct {
    std::string_view word;
    Spline spline;
    size_t minimum;
  } kSplines[] = {{"linear_spline", Spline::kLinear, 2},
                  {"b_spline", Spline::kBSpline, 4},
                  {"cubic_spline", Spline::kCubic, 4}};
  const auto* kind = std::find_if(std::begin(kSplines), std::end(kSplines),
                                  [&](const auto& k) { return a.TakeWord(k.word); });
  if (kind == std::end(kSplines)) a.Fail("Invalid type of interpolation.");
  shapes::SphereSweep sweep;
  sweep.spline = kind->spline;
  const size_t count = Count(a);
  if (count < kind->minimum) a.Fail("Too few modeling spheres for interpolation");
  for (size_t i = 0; i < count; ++i) {
    sweep.centers.push_back(a.Vector());
    a.Comma();
    sweep.radii.push_back(a.Float());
    a.Comma();
  }
  // The depth tolerance of POV-Ray's intersection tests: nothing to a mesh.
  if (a.TakeWord("tolerance")) a.Float();
  s.params = std::move(sweep);
}

void ReadLathe(ShapeArgs& a, Shape& s) {
  shapes::Lathe lathe;
  SplineWord(a, &lathe.spline);
  const size_t count = Count(a);
  lathe.points = Points2(a, count);
  static constexpr int kMinimum[] = {2, 3, 4, 4};
  CheckCount(a, "Lathe", lathe.spline, count, kMinimum[static_cast<int>(lathe.spline)]);
  s.params = std::move(lathe);
}

void ReadSor(ShapeArgs& a, Shape& s) {
  shapes::Lathe sor;
  sor.sor = true;
  const size_t count = Count(a);
  sor.points = Points2(a, count);
  if (count < 4) a.Fail("a surface of revolution must have at least four points");
  // The curve runs from the second point to the last but one, rising; the
  // first and last only steer it.
  for (size_t i = 2; i + 1 < count; ++i) {
    if (!(sor.points[i].y > sor.points[i - 1].y)) {
      a.Fail("incorrect point in surface of revolution: the heights must rise, point " +
             std::to_string(i + 1) + " does not");
    }
  }
  s.params = std::move(sor);
}

void ReadPolygon(ShapeArgs& a, Shape& s) {
  shapes::Polygon polygon;
  const size_t count = Count(a);
  for (size_t i = 0; i < count; ++i) {
    polygon.points.push_back(a.Vector());
    a.Comma();
  }
  if (count < 3) a.Fail("a polygon needs at least three points");
  s.params = std::move(polygon);
}

// POV-Ray's built-in fonts, by number: the fonts it ships.
constexpr std::string_view kInternalFonts[] = {"povlogo.ttf", "timrom.ttf", "cyrvetic.ttf",
                                               "crystal.ttf"};

void ReadText(ShapeArgs& a, Shape& s) {
  std::string font;
  if (a.TakeWord("internal")) {
    const double n = a.Float();
    if (!(n >= 0 && n < std::size(kInternalFonts))) a.Fail("expected an internal font from 0 to 3");
    font = std::string(kInternalFonts[static_cast<size_t>(n)]);
  } else if (a.TakeWord("ttf")) {
    font = a.String();
  } else {
    a.Fail("expected ttf and a font file, or internal and a number, after text {");
  }
  a.Comma();
  const std::string text = a.String();
  a.Comma();
  const double thickness = a.Float();
  a.Comma();
  const Vec3 offset = a.Vector();
  // As POV-Ray: the name as given, else with .ttf.
  std::string path = a.FindFile(font);
  if (path.empty()) path = a.FindFile(font + ".ttf");
  if (path.empty()) a.Fail("cannot find the font file \"" + font + "\"");
  shapes::Text shape;
  std::string error;
  if (!csg::TextOutline(path, text, thickness, offset.x, offset.y, &shape.outline, &error)) {
    a.Fail("the font \"" + font + "\": " + error);
  }
  s.params = std::move(shape);
}

// A height as POV-Ray stores a function's value: times 65535, cut to a
// whole number and wrapped into 16 bits (1.5 is as high as 0.5).
uint16_t WrappedHeight(double value) {
  const double v = value * 65535;
  const int64_t whole = std::isfinite(v) && std::fabs(v) < 1e15 ? static_cast<int64_t>(v) : 0;
  return static_cast<uint16_t>(whole & 0xffff);
}

// function W, H { ... }: the function at x = i / (W - 1), y = j / (H - 1)
// for the pixel in column i of row j (rows from the top, as an image's).
void HeightsOfFunction(ShapeArgs& a, shapes::HeightField& field, std::vector<uint16_t>& heights) {
  const double w = a.Float();
  a.Comma();
  const double h = a.Float();
  if (!(w >= 2 && h >= 2 && w * h <= 1e8)) {
    a.Fail("expected a function height field of 2 x 2 to 100 million points");
  }
  const std::shared_ptr<const FunctionProgram> f = a.Function();
  if (f == nullptr) a.PassOver();  // a pigment's function: not computed here
  field.columns = static_cast<int>(w);
  field.rows = static_cast<int>(h);
  a.Work(static_cast<int64_t>(w * h) * std::max<int64_t>(f->cost, 1));
  std::vector<double> args(f->params.size(), 0.0);
  heights.resize(static_cast<size_t>(field.columns) * static_cast<size_t>(field.rows));
  for (int j = 0; j < field.rows; ++j) {
    for (int i = 0; i < field.columns; ++i) {
      if (args.size() > 0) args[0] = static_cast<double>(i) / (field.columns - 1);
      if (args.size() > 1) args[1] = static_cast<double>(j) / (field.rows - 1);
      heights[static_cast<size_t>(j) * field.columns + i] = WrappedHeight(f->Evaluate(args.data()));
    }
  }
}

void HeightsOfImage(ShapeArgs& a, shapes::HeightField& field, std::vector<uint16_t>& heights) {
  // The image's kind by its word (or, without one, by its name's ending).
  static constexpr std::string_view kKinds[] = {"gif", "pot", "tga", "png", "pgm", "ppm", "jpeg"};
  static constexpr std::string_view kUnread[] = {"tiff", "exr", "hdr", "sys", "iff", "bmp"};
  images::ImageKind kind = images::ImageKind::kUnknown;
  for (std::string_view word : kKinds) {
    if (a.TakeWord(word)) kind = images::KindOfWord(word);
  }
  for (std::string_view word : kUnread) {
    if (a.TakeWord(word)) {
      a.Fail("height fields of " + std::string(word) + " images are not read (gif, pot, tga, " +
             "png, pgm, ppm and jpeg are)");
    }
  }
  const std::string name = a.String();
  const std::string path = a.FindFile(name);
  if (path.empty()) a.Fail("cannot find the image file \"" + name + "\"");
  images::HeightMap map;
  std::string error;
  if (!images::ReadHeightMap(path, kind, map, &error)) {
    a.Fail("the image \"" + name + "\": " + error);
  }
  if (map.width < 2 || map.height < 2)
    a.Fail("a height field needs an image of 2 x 2 pixels or more");
  field.columns = map.width;
  field.rows = map.height;
  heights = std::move(map.values);
}

// An optional boolean after a height field's word: on/off and the like.
bool OptionalSwitch(ShapeArgs& a) {
  static constexpr std::string_view kOff[] = {"off", "false", "no"};
  static constexpr std::string_view kOn[] = {"on", "true", "yes"};
  for (std::string_view word : kOff) {
    if (a.TakeWord(word)) return false;
  }
  for (std::string_view word : kOn) a.TakeWord(word);
  return true;
}

void ReadHeightField(ShapeArgs& a, Shape& s) {
  shapes::HeightField field;
  std::vector<uint16_t> heights;
  if (a.TakeWord("function")) {
    HeightsOfFunction(a, field, heights);
  } else {
    HeightsOfImage(a, field, heights);
  }
  field.heights = std::make_shared<const std::vector<uint16_t>>(std::move(heights));
  for (;;) {
    if (a.TakeWord("water_level")) {
      field.water_level = a.Float();
    } else if (a.TakeWord("smooth")) {
      field.smooth = OptionalSwitch(a);
    } else if (a.TakeWord("hierarchy") || a.TakeWord("premultiplied")) {
      OptionalSwitch(a);  // speed and colour hints: nothing to a mesh
    } else if (a.TakeWord("gamma")) {
      a.Float();
    } else {
      break;
    }
  }
  s.params = std::move(field);
}

void SetPolynomial(ShapeArgs& a, Shape& s, int order, std::vector<double> coefficients) {
  const size_t terms = shapes::PolynomialTerms(order).size();
  if (coefficients.size() != terms) {
    a.Fail("expected " + std::to_string(terms) + " coefficients for order " +
           std::to_string(order) + ", found " + std::to_string(coefficients.size()));
  }
  s.params = shapes::Polynomial{order, std::move(coefficients)};
}

// quadric { <A,B,C>, <D,E,F>, <G,H,I>, J }: A x^2 + B y^2 + C z^2 + D xy +
// E xz + F yz + G x + H y + I z + J.
void ReadQuadric(ShapeArgs& a, Shape& s) {
  const Vec3 squares = a.Vector();
  a.Comma();
  const Vec3 mixed = a.Vector();
  a.Comma();
  const Vec3 linear = a.Vector();
  a.Comma();
  const double constant = a.Float();
  // In the order of the terms: x^2 xy xz x y^2 yz y z^2 z 1.
  SetPolynomial(a, s, 2,
                {squares.x, mixed.x, mixed.y, linear.x, squares.y, mixed.z, linear.y, squares.z,
                 linear.z, constant});
}

void ReadCubic(ShapeArgs& a, Shape& s) { SetPolynomial(a, s, 3, a.Numbers()); }
void ReadQuartic(ShapeArgs& a, Shape& s) { SetPolynomial(a, s, 4, a.Numbers()); }

int PolyOrder(ShapeArgs& a) {
  const double order = a.Float();
  if (!(order >= 2 && order <= shapes::kMostOrder) || order != std::floor(order)) {
    a.Fail("Order of poly is out of range.");
  }
  a.Comma();
  return static_cast<int>(order);
}

void ReadPoly(ShapeArgs& a, Shape& s) {
  const int order = PolyOrder(a);
  SetPolynomial(a, s, order, a.Numbers());
}

// polynomial { N, xyz(i, j, k): c, ... }: the terms named, the rest 0.
void ReadPolynomialTerms(ShapeArgs& a, Shape& s) {
  const int order = PolyOrder(a);
  const auto terms = shapes::PolynomialTerms(order);
  std::vector<double> coefficients(terms.size(), 0.0);
  while (a.TakeWord("xyz")) {
    if (!a.TakePunct('(')) a.Fail("expected '(' after xyz");
    std::array<int, 3> e{};
    for (int k = 0; k < 3; ++k) {
      if (k > 0) a.Comma();
      e[k] = static_cast<int>(a.Float());
    }
    if (!a.TakePunct(')') || !a.TakePunct(':')) a.Fail("expected '):' after xyz's exponents");
    const auto at = std::find(terms.begin(), terms.end(), e);
    if (at == terms.end()) a.Fail("Coefficient of polynom is out of range.");
    coefficients[static_cast<size_t>(at - terms.begin())] = a.Float();
    a.Comma();
  }
  SetPolynomial(a, s, order, std::move(coefficients));
}

void ExpectPunct(ShapeArgs& a, char c, const char* where) {
  if (!a.TakePunct(c)) a.Fail(std::string("expected '") + c + "' " + where);
}

// contained_by { box { A, B } } or contained_by { sphere { C, R } }.
void ReadContainer(ShapeArgs& a, shapes::Container& iso) {
  ExpectPunct(a, '{', "after contained_by");
  if (a.TakeWord("box")) {
    ExpectPunct(a, '{', "after box");
    iso.sphere = false;
    iso.corner1 = a.Vector();
    a.Comma();
    iso.corner2 = a.Vector();
  } else if (a.TakeWord("sphere")) {
    ExpectPunct(a, '{', "after sphere");
    iso.sphere = true;
    iso.centre = a.Vector();
    a.Comma();
    iso.radius = a.Float();
  } else {
    a.Fail("expected box or sphere in contained_by");
  }
  ExpectPunct(a, '}', "to end the container");
  ExpectPunct(a, '}', "to end contained_by");
}

void ReadIsosurface(ShapeArgs& a, Shape& s) {
  shapes::Isosurface iso;
  std::shared_ptr<const FunctionProgram> program;
  bool has_function = false;
  for (;;) {
    if (a.TakeWord("function")) {
      program = a.Function();
      has_function = true;
    } else if (a.TakeWord("contained_by")) {
      ReadContainer(a, iso.container);
    } else if (a.TakeWord("threshold")) {
      iso.threshold = a.Float();
    } else if (a.TakeWord("max_gradient")) {
      iso.max_gradient = a.Float();
    } else if (a.TakeWord("accuracy") || a.TakeWord("max_trace") || a.TakeWord("method")) {
      a.Float();  // how POV-Ray traces it: nothing to a mesh
    } else if (a.TakeWord("evaluate")) {
      for (int k = 0; k < 3; ++k) {
        if (k > 0) a.Comma();
        a.Float();
      }
    } else if (a.TakeWord("open")) {
      iso.open = true;
    } else if (!a.TakeWord("all_intersections")) {
      break;
    }
  }
  if (!has_function) a.Fail("expected function { } in isosurface");
  if (program == nullptr) a.PassOver();  // a pattern's function: not computed here
  iso.function_id = program->Fingerprint();
  // x, y and z in the order the function names its parameters.
  iso.function = std::make_shared<const shapes::PointFunction>(
      [program](const Vec3& p) { return program->EvaluateAt(p.x, p.y, p.z); });
  iso.function_many = std::make_shared<const shapes::PointsFunction>(
      [program](const double* xs, const double* ys, const double* zs, size_t count, double* out) {
        std::vector<double> zeros;
        std::vector<const double*> args = {xs, ys, zs};
        if (program->params.size() > args.size()) {
          zeros.assign(count, 0.0);
          args.resize(program->params.size(), zeros.data());
        }
        program->EvaluateMany(args.data(), count, out);
      });
  s.params = std::move(iso);
}

// The point function of three compiled functions of (u, v).
std::shared_ptr<const shapes::SurfaceFunction> SurfaceOf(
    std::shared_ptr<const FunctionProgram> f[3]) {
  return std::make_shared<const shapes::SurfaceFunction>(
      [fx = f[0], fy = f[1], fz = f[2]](double u, double v) {
        return Vec3{fx->EvaluateAt(u, v, 0), fy->EvaluateAt(u, v, 0), fz->EvaluateAt(u, v, 0)};
      });
}

void ReadParametric(ShapeArgs& a, Shape& s) {
  shapes::Parametric parametric;
  std::shared_ptr<const FunctionProgram> f[3];
  for (auto& function : f) {
    if (!a.TakeWord("function")) a.Fail("expected three functions { } in parametric");
    function = a.Function();
  }
  double from[2], to[2];
  a.Vector2(from);
  a.Comma();
  a.Vector2(to);
  parametric.u0 = from[0];
  parametric.v0 = from[1];
  parametric.u1 = to[0];
  parametric.v1 = to[1];
  for (;;) {
    if (a.TakeWord("contained_by")) {
      ReadContainer(a, parametric.container);
    } else if (a.TakeWord("max_gradient") || a.TakeWord("accuracy")) {
      a.Float();  // how POV-Ray finds its rays' hits: nothing to a mesh
    } else if (a.TakeWord("precompute")) {
      a.Float();
      while (a.TakeWord("x") || a.TakeWord("y") || a.TakeWord("z")) a.Comma();
    } else {
      break;
    }
  }
  if (f[0] == nullptr || f[1] == nullptr || f[2] == nullptr) a.PassOver();  // a pattern's
  uint64_t id = 0;
  for (const auto& function : f) id = id * 1099511628211ULL ^ function->Fingerprint();
  parametric.function_id = id;
  parametric.point = SurfaceOf(f);
  s.params = std::move(parametric);
}

// A component's modifiers up to its '}': its transformations kept (its
// texture is read past: the blob's texture covers it).
void ComponentModifiers(ShapeArgs& a, shapes::BlobComponent& c) {
  Transform placed;
  while (!a.TakePunct('}')) {
    if (!a.TakeModifier(placed)) a.Fail("expected a modifier or '}' in the blob's component");
  }
  c.to_local = placed.Inverse();
  // Its largest stretch: how far its ball reaches once placed.
  const Vec3 o = placed.Point({0, 0, 0});
  for (const Vec3& axis : {Vec3{1, 0, 0}, Vec3{0, 1, 0}, Vec3{0, 0, 1}}) {
    const Vec3 p = placed.Point(axis);
    c.scale = std::max(c.scale, std::sqrt((p.x - o.x) * (p.x - o.x) + (p.y - o.y) * (p.y - o.y) +
                                          (p.z - o.z) * (p.z - o.z)));
  }
}

// A component's radius, its strength (the word is optional) and its
// modifiers, after its centre or axis.
void ComponentRest(ShapeArgs& a, shapes::BlobComponent& c) {
  a.Comma();
  c.radius = a.Float();
  a.Comma();
  a.TakeWord("strength");
  c.strength = a.Float();
  ComponentModifiers(a, c);
}

void ReadBlob(ShapeArgs& a, Shape& s) {
  shapes::Blob blob;
  for (;;) {
    shapes::BlobComponent c;
    c.scale = 0;
    if (a.TakeWord("threshold")) {
      blob.threshold = a.Float();
      continue;
    }
    if (a.TakeWord("sphere")) {
      ExpectPunct(a, '{', "after sphere");
      c.a = a.Vector();
      ComponentRest(a, c);
    } else if (a.TakeWord("cylinder")) {
      ExpectPunct(a, '{', "after cylinder");
      c.cylinder = true;
      c.a = a.Vector();
      a.Comma();
      c.b = a.Vector();
      ComponentRest(a, c);
    } else if (a.TakeWord("component")) {
      // The old form: strength, radius, centre.
      c.strength = a.Float();
      a.Comma();
      c.radius = a.Float();
      a.Comma();
      c.a = a.Vector();
      c.scale = 1;
    } else if (a.TakeWord("sturm") || a.TakeWord("hierarchy")) {
      OptionalSwitch(a);
      continue;
    } else {
      break;
    }
    blob.components.push_back(c);
  }
  if (blob.components.empty()) a.Fail("a blob needs at least one component");
  s.params = std::move(blob);
}

// uv_vectors: four uv corners (the patch's uv is its own parameters here).
void SkipUvVectors(ShapeArgs& a) {
  for (int i = 0; i < 4; ++i) {
    double uv[2];
    a.Comma();
    a.Vector2(uv);
  }
}

void ReadBicubicPatch(ShapeArgs& a, Shape& s) {
  shapes::BicubicPatch patch;
  for (;;) {
    if (a.TakeWord("type") || a.TakeWord("flatness")) {
      a.Float();  // how POV-Ray traces it: nothing to a mesh
    } else if (a.TakeWord("u_steps")) {
      patch.u_steps = static_cast<int>(a.Float());
    } else if (a.TakeWord("v_steps")) {
      patch.v_steps = static_cast<int>(a.Float());
    } else if (a.TakeWord("uv_vectors")) {
      SkipUvVectors(a);
    } else {
      break;
    }
    a.Comma();
  }
  for (int i = 0; i < 16; ++i) {
    if (i > 0) a.Comma();
    patch.points[i] = a.Vector();
  }
  if (a.TakeWord("uv_vectors")) SkipUvVectors(a);
  s.params = patch;
}

// julia_fractal { <c>, quaternion|hypercomplex, sqr|cube, max_iteration N,
// precision P, slice <normal>, distance }: the other functions of the
// hypercomplex form (and its cube) are not computed (passed over).
void ReadJulia(ShapeArgs& a, Shape& s) {
  shapes::JuliaFractal j;
  double c[4] = {0, 0, 0, 0};
  const std::vector<double> given = a.Numbers();
  if (given.size() != 4) a.Fail("expected a 4-D vector for the julia_fractal's constant");
  std::copy(given.begin(), given.end(), c);
  std::copy(c, c + 4, j.c);
  static constexpr std::string_view kOtherFunctions[] = {
      "exp",  "reciprocal", "sin", "asin", "sinh", "asinh", "cos", "acos",
      "cosh", "acosh",      "tan", "atan", "tanh", "atanh", "ln",  "pwr"};
  for (;;) {
    if (a.TakeWord("quaternion")) {
      j.hypercomplex = false;
    } else if (a.TakeWord("hypercomplex")) {
      j.hypercomplex = true;
    } else if (a.TakeWord("sqr")) {
      j.cube = false;
    } else if (a.TakeWord("cube")) {
      j.cube = true;
    } else if (a.TakeWord("max_iteration")) {
      j.max_iteration = static_cast<int>(std::clamp(a.Float(), 1.0, 10000.0));
    } else if (a.TakeWord("precision")) {
      a.Float();  // how POV-Ray traces it: nothing to a mesh
    } else if (a.TakeWord("slice")) {
      const std::vector<double> normal = a.Numbers();
      if (normal.size() != 4) a.Fail("expected a 4-D vector after slice");
      std::copy(normal.begin(), normal.end(), j.slice);
      a.Comma();
      j.distance = a.Float();
    } else {
      bool other = false;
      for (std::string_view word : kOtherFunctions) other = other || a.TakeWord(word);
      if (!other) break;
      a.PassOver();
    }
  }
  // The hypercomplex cube did not come out as POV-Ray's: not made.
  if (j.hypercomplex && j.cube) a.PassOver();
  s.params = j;
}

// Sorted by keyword.
constexpr ShapeReader kReaders[] = {
    {"bicubic_patch", ReadBicubicPatch},
    {"blob", ReadBlob},
    {"box", ReadBox},
    {"cone", ReadCone},
    {"cubic", ReadCubic},
    {"cylinder", ReadCylinder},
    {"disc", ReadDisc},
    {"height_field", ReadHeightField},
    {"isosurface", ReadIsosurface},
    {"julia_fractal", ReadJulia},
    {"lathe", ReadLathe},
    {"lemon", ReadLemon},
    {"ovus", ReadOvus},
    {"parametric", ReadParametric},
    {"plane", ReadPlane},
    {"poly", ReadPoly},
    {"polygon", ReadPolygon},
    {"polynomial", ReadPolynomialTerms},
    {"prism", ReadPrism},
    {"quadric", ReadQuadric},
    {"quartic", ReadQuartic},
    {"sor", ReadSor},
    {"sphere", ReadSphere},
    {"sphere_sweep", ReadSphereSweep},
    {"superellipsoid", ReadSuperellipsoid},
    {"text", ReadText},
    {"torus", ReadTorus},
};

constexpr bool Sorted() {
  for (size_t i = 1; i < std::size(kReaders); ++i) {
    if (!(kReaders[i - 1].keyword < kReaders[i].keyword)) return false;
  }
  return true;
}
static_assert(Sorted(), "kReaders must be sorted by keyword");

}  // namespace

const ShapeReader* FindShapeReader(std::string_view keyword) {
  const auto it =
      std::lower_bound(std::begin(kReaders), std::end(kReaders), keyword,
                       [](const ShapeReader& r, std::string_view k) { return r.keyword < k; });
  return it != std::end(kReaders) && it->keyword == keyword ? &*it : nullptr;
}

bool ShapeModifier(std::string_view word, shapes::Shape& shape) {
  if (word == "open") {
    if (auto* cone = std::get_if<shapes::Cone>(&shape.params)) cone->open = true;
    if (auto* prism = std::get_if<shapes::Prism>(&shape.params)) prism->open = true;
    if (auto* lathe = std::get_if<shapes::Lathe>(&shape.params)) lathe->open = true;
    if (auto* iso = std::get_if<shapes::Isosurface>(&shape.params)) iso->open = true;
    if (auto* lemon = std::get_if<shapes::Lemon>(&shape.params)) lemon->open = true;
    return true;
  }
  if (auto* field = std::get_if<shapes::HeightField>(&shape.params); field && word == "smooth") {
    field->smooth = true;
    return true;
  }
  return word == "sturm" || word == "hollow";
}

}  // namespace sdl
