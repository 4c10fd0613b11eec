// Compiled functions evaluated over many points at once: each point's value
// must be exactly the one a call for that point alone gives, whatever the
// program does (calls, built-ins, internal functions, selections).
#include "sdl/function.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "sdl/parser.h"

namespace {

// Keeps the reading's messages; the scene itself is dropped.
class MessageSink : public sdl::SceneSink {
 public:
  void AddMesh(sdl::MeshData&, const std::string&) override {}
  void AddLooseTriangle(const sdl::Vec3[3], const sdl::Vec3*, const sdl::MaterialSlot*) override {}
  void DroppedLooseTriangle() override {}
  void AddCamera(const sdl::Vec3&, const sdl::Vec3&, const sdl::Vec3&, double) override {}
  void AddLight(const sdl::Vec3&, const double[3]) override {}
  void Message(bool, const std::string& text) override { messages += text + "\n"; }
  void Progress(int64_t) override {}
  std::string messages;
};

// The program of F as `scene` declares it, or null.
std::shared_ptr<const sdl::FunctionProgram> Declared(const std::string& scene,
                                                     std::string& messages) {
  MessageSink sink;
  sdl::Parser parser(sink, sdl::ParserOptions());
  parser.OpenText("functions.pov", scene);
  parser.Read();
  messages = sink.messages;
  return parser.DeclaredFunction("F");
}

bool SameBits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

TEST(Functions, ManyPointsAtOnceGiveEachPointsOwnValue) {
  const char* const kScenes[] = {
      "#declare F = function { x*x + y*y + z*z - 1 }",
      "#declare F = function { sqrt(x*x + y*y) - 0.5 + 0.1*sin(8*z) }",
      "#declare B = function(a, b, c, r) { sqrt(a*a + b*b + c*c) - r }\n"
      "#declare F = function { min(B(x - 0.3, y, z, 0.6), B(x + 0.3, y, z, 0.6), 2) }",
      "#declare G = function(a) { a * 2 }\n#declare H = function(a, b) { G(a) - G(b) }\n"
      "#declare F = function { max(H(x, y), H(y, z)) + G(H(z, x)) }",
      "#declare F = function { select(x, y, z) + select(y, 1, 0, -1) + (x < y) + (y >= z) "
      "+ (x = 0) + (x != y) + (x & y) + (x | 0) + !x - -y }",
      "#declare R = function { internal(60) }\n"
      "#declare F = function { R(x, y, z, 0.1, 0.8, 0.6, 0.4) * pow(abs(x), 1.5) + atan2(y, z) }",
      "#declare F = function { 1 / x + y / (z - 0.25) }",
      "#declare F = function(p, q) { p * 3 + q }",  // parameters named, two of them
      "#declare F = function { 7 }",
      "#declare P = function { pigment { bozo color_map { [0 rgb 0] [1 rgb <1, 0.5, 0>] } "
      "warp { turbulence 0.3 } scale 0.5 } }\n#declare F = function { P(x, y, z).green - x }",
      "#declare S = function(a, b, c, d, e, f, g, h, i, j) { a+b+c+d+e+f+g+h+i+j }\n"
      "#declare F = function { S(x, y, z, x, y, z, x, y, z, 1) }",
      "#declare F = function(a, b, c, d, e, f, g, h, i, j) { a*b - c/d + e*f - g + h*i*j }",
  };
  // 203 points: three blocks and a part of one, zeros among them.
  constexpr size_t kPoints = 203;
  std::vector<std::vector<double>> columns(10, std::vector<double>(kPoints));
  for (size_t p = 0; p < kPoints; ++p) {
    for (size_t a = 0; a < columns.size(); ++a) {
      columns[a][p] = p % 17 == 0 ? 0.0 : std::sin(1.3 * p + 0.7 * a) * 1.7;
    }
  }
  for (const char* scene : kScenes) {
    std::string messages;
    const std::shared_ptr<const sdl::FunctionProgram> program = Declared(scene, messages);
    ASSERT_NE(program, nullptr) << scene << "\n" << messages;
    const size_t params = program->params.size();
    ASSERT_LE(params, columns.size()) << scene;
    std::vector<const double*> args;
    for (size_t a = 0; a < params; ++a) args.push_back(columns[a].data());
    std::vector<double> many(kPoints, -12345.0);
    program->EvaluateMany(args.data(), kPoints, many.data());
    for (size_t p = 0; p < kPoints; ++p) {
      double one_point[10];
      for (size_t a = 0; a < params; ++a) one_point[a] = columns[a][p];
      const double one = program->Evaluate(one_point);
      ASSERT_TRUE(SameBits(many[p], one) || (std::isnan(many[p]) && std::isnan(one)))
          << scene << "\nat point " << p << ": " << many[p] << " over many, " << one << " alone";
    }
  }
}

// Pigments as functions, against POV-Ray 3.7's #debug of the same calls
// (its colours are single floats: 2e-7 apart at most).
TEST(Functions, PigmentsGivePovraysColours) {
  const std::string pigments =
      "#declare Ramp = function { pigment { function { x } color_map { [0 rgb 0] [1 rgb 1] } } }\n"
      "#declare Bands = function { pigment { gradient x color_map { [0 rgb <1,0,0>] [0.5 rgb "
      "<0,1,0>] [1 rgb <0,0,1>] } translate 0.25*x } }\n"
      "#declare Part = function { pigment { function { x } color_map { [0.2 rgb 0.2] [0.6 rgb 1] } "
      "scale 2 } }\n"
      "#declare Solid = function { pigment { rgb <0.2, 0.4, 0.6> } }\n"
      "#declare Check = function { pigment { checker color rgb 1 color rgb 0 } }\n"
      "#declare Onion = function { pigment { onion } }\n"
      "#declare Sph = function { pigment { spherical color_map { [0 rgb 0] [1 rgb 1] } rotate 30*z "
      "} }\n"
      "#declare Boxed = function { pigment { boxed scale <2,1,1> } }\n"
      "#declare Planar = function { pigment { planar } }\n"
      "#declare Diag = function { pigment { gradient <1,1,0> } }\n"
      "#declare Freq = function { pigment { function { x } frequency 2 phase 0.1 } }\n"
      "#declare Square = function { pigment { function { x } poly_wave 2 } }\n"
      "#declare Tri = function { pigment { function { x } frequency 2 triangle_wave } }\n"
      "#declare Sine = function { pigment { function { x } sine_wave } }\n"
      "#declare Cubic = function { pigment { function { x } cubic_wave } }\n"
      "#declare Scallop = function { pigment { function { x } scallop_wave } }\n"
      "#declare Old = function { pigment { function { x } color_map { [0 0.5 color rgb 0 color rgb "
      "1] [0.5 1 color rgb <1,0,0> color rgb <0,0,1>] } } }\n";
  const struct {
    const char* call;
    double expected;
  } cases[] = {
      {"Ramp(-0.5, 0, 0).gray", 0.500000000},
      {"Ramp(1, 0, 0).gray", 1.000000000},
      {"Ramp(1.25, 0, 0).gray", 0.250000000},
      {"Ramp(2, 0, 0).gray", 0.000000000},
      {"Ramp(-0.0001, 0, 0).gray", 0.999899983},
      {"Bands(0, 0, 0).green", 0.500000000},
      {"Bands(0, 0, 0).blue", 0.500000000},
      {"Bands(0.25, 0, 0).red", 1.000000000},
      {"Bands(-0.5, 0, 0).red", 0.500000000},
      {"Bands(1.3, 0, 0).blue", 0.000000000},
      {"Part(0.5, 0, 0).x", 0.299999982},
      {"Part(0.75, 0, 0).x", 0.549999952},
      {"Part(0, 0, 0).x", 0.200000003},
      {"Part(-0.5, 0, 0).x", 1.000000000},
      {"Solid(3, 1, 2).gray", 0.363400007},
      {"Solid(3, 1, 2).y", 0.400000006},
      {"Solid(3, 1, 2).filter", 0.000000000},
      {"Check(0.5, 0.3, 0.3).gray", 1.000000000},
      {"Check(-0.5, 0.3, 0.3).gray", 0.000000000},
      {"Check(1, 0.3, 0.3).gray", 0.000000000},
      {"Check(0.999, 0.3, 0.3).gray", 1.000000000},
      {"Check(0.5, -0.3, 0.3).gray", 0.000000000},
      {"Check(-1.5, -0.3, -2.3).gray", 1.000000000},
      {"Onion(-0.75, 0.2, 0).gray", 0.776208758},
      {"Onion(1, 0.2, 0.1).gray", 0.024695076},
      {"Sph(-0.75, 0.2, 0).gray", 0.223791271},
      {"Sph(0.1, 0.2, 0.3).gray", 0.625834286},
      {"Boxed(0.5, 0.2, 0).gray", 0.750000000},
      {"Boxed(1.5, 0.2, 0.7).gray", 0.250000000},
      {"Planar(0.3, -0.75, 0).gray", 0.250000000},
      {"Diag(-0.75, 0.2, 0).gray", 0.611091256},
      {"Freq(-0.75, 0, 0).gray", 0.600009978},
      {"Freq(-0.5, 0, 0).gray", 0.100000001},
      {"Freq(1, 0, 0).gray", 0.099980004},
      {"Square(-0.3, 0, 0).gray", 0.49},
      {"Tri(0.7, 0, 0).gray", 0.79998},
      {"Tri(-0.3, 0, 0).gray", 0.8},
      {"Tri(0.5, 0, 0).gray", 0},
      {"Sine(0.1, 0, 0).gray", 0.7938926},
      {"Cubic(-0.1, 0, 0).gray", 0.972},
      {"Scallop(0.3, 0, 0).gray", 0.8090170},
      {"Old(0.25, 0, 0).gray", 0.500000000},
      {"Old(0.75, 0, 0).red", 0.500000000},
      {"Old(0.75, 0, 0).blue", 0.500000000},
  };
  for (const auto& c : cases) {
    const std::string scene = pigments + "#declare F = function { " + c.call + " }\n";
    std::string messages;
    const std::shared_ptr<const sdl::FunctionProgram> program = Declared(scene, messages);
    ASSERT_NE(program, nullptr) << c.call << "\n" << messages;
    const double origin[3] = {0, 0, 0};
    EXPECT_NEAR(program->Evaluate(origin), c.expected, 2e-7) << c.call;
  }
}

// Crackle's distances under a whole or half metric are computed by
// multiplication: they must agree with the power a metric a hair away
// takes.
TEST(Functions, CrackleMetricsAgreeWithThePower) {
  for (const char* metric : {"1", "2", "2.5", "3", "4"}) {
    std::string messages;
    const auto exact = Declared(
        std::string("#declare F = function { pigment { crackle metric ") + metric + " } }\n",
        messages);
    const auto near = Declared(
        std::string("#declare F = function { pigment { crackle metric ") + metric + "+1e-9 } }\n",
        messages);
    ASSERT_TRUE(exact != nullptr && near != nullptr) << metric << messages;
    for (double t = -3; t < 3; t += 0.173) {
      const double at[3] = {t, 0.7 * t + 0.2, 1.3 - t};
      EXPECT_NEAR(exact->Evaluate(at), near->Evaluate(at), 1e-6)
          << "metric " << metric << " at " << t;
    }
  }
}

// What POV-Ray computes differently (its noise) or this reader does not
// (other patterns, maps) still reads; the latter leave the function
// uncomputed, which its user then passes over.
TEST(Functions, PigmentsNotComputedAreLeftUncomputed) {
  const struct {
    const char* pigment;
    bool computed;
  } cases[] = {
      {"bozo color_map { [0 rgb 0] [1 rgb 1] } warp { turbulence 0.4 lambda 2.2 octaves 8 }", true},
      {"granite scale 0.05 turbulence 0.3 octaves 3", true},
      {"agate", true},
      {"checker rgb 1, rgb 0 scale 1/8", true},
      {"crackle", true},
      {"crackle form <1, 0.2, 0> metric 1 offset 0.1 scale 0.5", true},
      {"crackle solid", true},
      {"leopard", false},
      {"bozo color_map { Map }", false},
      {"bozo warp { repeat x }", false},
      {"P0", false},
  };
  for (const auto& c : cases) {
    const std::string scene = std::string("#declare P0 = pigment { rgb 1 }\n") +
                              "#declare F = function { pigment { " + c.pigment + " } }\n" +
                              "#declare G = function { x }\n";
    std::string messages;
    const std::shared_ptr<const sdl::FunctionProgram> program = Declared(scene, messages);
    EXPECT_EQ(program != nullptr, c.computed) << c.pigment << "\n" << messages;
    EXPECT_EQ(messages.find("error"), std::string::npos) << c.pigment << "\n" << messages;
    if (program != nullptr) {
      for (double x = -2; x <= 2; x += 0.37) {
        const double at[3] = {x, 0.3 * x, 1 - x};
        const double v = program->Evaluate(at);
        EXPECT_TRUE(v >= 0 && v <= 1) << c.pigment << " at " << x << ": " << v;
      }
    }
  }
}

}  // namespace
