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

}  // namespace
