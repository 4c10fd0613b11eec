// function_bench [N] [INCLUDE_DIR]: what a call of a compiled function { }
// costs beside a C++ lambda of the same expression. Each function is read
// from its POV-Ray text as a scene declares it, then it and the lambda are
// evaluated at the N³ points of a grid over [-1.5, 1.5]³ (default N 160),
// side by side in 7 rounds, the program both a point per call and a row
// of N points per call (EvaluateMany); prints the best round of each in ns
// per point and their ratios to the lambda (goal: within 3×). INCLUDE_DIR holds functions.inc
// (default POV-Ray 3.7's); without it f_rounded_box is declared as
// functions.inc declares it.
#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "sdl/function.h"
#include "sdl/parser.h"

namespace {

using Clock = std::chrono::steady_clock;

constexpr int kRounds = 7;

// Keeps the reading's errors; everything else it reports is dropped.
class ErrorSink : public sdl::SceneSink {
 public:
  void AddMesh(sdl::MeshData&, const std::string&) override {}
  void AddLooseTriangle(const sdl::Vec3[3], const sdl::Vec3*, const sdl::MaterialSlot*) override {}
  void DroppedLooseTriangle() override {}
  void AddCamera(const sdl::Vec3&, const sdl::Vec3&, const sdl::Vec3&, double) override {}
  void AddLight(const sdl::Vec3&, const double[3]) override {}
  void Message(bool error, const std::string& text) override {
    if (error) errors_ += text + "\n";
  }
  void Progress(int64_t) override {}

  const std::string& errors() const { return errors_; }

 private:
  std::string errors_;
};

bool HasFunctionsInc(const std::string& include_dir) {
  return std::filesystem::exists(std::filesystem::path(include_dir) / "functions.inc");
}

// What the scenes below start with: functions.inc from `include_dir`, or
// its declaration of f_rounded_box when it is not there.
std::string Prelude(const std::string& include_dir) {
  return HasFunctionsInc(include_dir) ? "#include \"functions.inc\"\n"
                                      : "#declare f_rounded_box = function { internal(60) }\n";
}

// The program of the function F that `scene` declares, read as the
// POV-Ray-syntax mode reads a file; null (the errors on stderr) when the
// reading fails or does not compile it.
std::shared_ptr<const sdl::FunctionProgram> Compile(const std::string& scene,
                                                    const std::string& include_dir) {
  ErrorSink sink;
  sdl::ParserOptions options;
  options.library_paths.push_back(include_dir);
  sdl::Parser parser(sink, std::move(options));
  parser.OpenText("function_bench.pov", scene);
  parser.Read();
  std::shared_ptr<const sdl::FunctionProgram> program = parser.DeclaredFunction("F");
  if (!sink.errors().empty() || program == nullptr) {
    std::fprintf(stderr, "function_bench: F not compiled from\n%s%s", scene.c_str(),
                 sink.errors().c_str());
    return nullptr;
  }
  return program;
}

// The sum of f over the grid whose every axis takes the values `axis`. One
// loop over the points with the indices counted by hand: in three nested
// loops the compiler would take what depends on x and y alone out of the
// lambda's inner loop (sqrt(x*x + y*y) once per row), which the evaluator
// cannot do.
template <class F>
double SumOverGrid(const std::vector<double>& axis, F f) {
  const size_t n = axis.size();
  double sum = 0;
  size_t i = 0, j = 0, k = 0;
  for (size_t point = 0; point < n * n * n; ++point) {
    sum += f(axis[i], axis[j], axis[k]);
    if (++k == n) {
      k = 0;
      if (++j == n) {
        j = 0;
        ++i;
      }
    }
  }
  return sum;
}

// The sum of the program over the same grid as SumOverGrid, a row of
// points (z running) per EvaluateMany.
double SumOverGridInRows(const std::vector<double>& axis, const sdl::FunctionProgram& program) {
  const size_t n = axis.size();
  std::vector<double> xs(n), ys(n), values(n);
  const double* args[3] = {xs.data(), ys.data(), axis.data()};
  double sum = 0;
  for (size_t i = 0; i < n; ++i) {
    for (size_t j = 0; j < n; ++j) {
      std::fill(xs.begin(), xs.end(), axis[i]);
      std::fill(ys.begin(), ys.end(), axis[j]);
      program.EvaluateMany(args, n, values.data());
      for (double v : values) sum += v;
    }
  }
  return sum;
}

// One pass over the grid: its time per call, and the sum of the values,
// which the caller compares (so that no call can be left out).
struct Pass {
  double ns = 0;
  double sum = 0;
};

template <class Sum>
Pass TimedPass(const std::vector<double>& axis, Sum sum) {
  const Clock::time_point start = Clock::now();
  Pass pass;
  pass.sum = sum();
  const double calls = std::pow(static_cast<double>(axis.size()), 3);
  pass.ns = std::chrono::duration<double, std::nano>(Clock::now() - start).count() / calls;
  return pass;
}

// Times the function `body` declares as F (after `declarations`) against
// `lambda`, one pass of each per round, and prints the best of each;
// false when the function is not compiled or its values differ.
template <class Lambda>
bool Row(const std::string& declarations, const std::string& body, Lambda lambda,
         const std::vector<double>& axis, const std::string& include_dir) {
  const std::shared_ptr<const sdl::FunctionProgram> program =
      Compile(Prelude(include_dir) + declarations + "#declare F = function { " + body + " }\n",
              include_dir);
  if (program == nullptr) return false;
  const auto evaluator = [&program](double x, double y, double z) {
    const double args[3] = {x, y, z};
    return program->Evaluate(args);
  };
  Pass best_evaluator, best_rows, best_lambda;
  for (int round = 0; round < kRounds; ++round) {
    const Pass e = TimedPass(axis, [&] { return SumOverGrid(axis, evaluator); });
    const Pass r = TimedPass(axis, [&] { return SumOverGridInRows(axis, *program); });
    const Pass l = TimedPass(axis, [&] { return SumOverGrid(axis, lambda); });
    if (round == 0 || e.ns < best_evaluator.ns) best_evaluator = e;
    if (round == 0 || r.ns < best_rows.ns) best_rows = r;
    if (round == 0 || l.ns < best_lambda.ns) best_lambda = l;
  }
  for (const Pass& pass : {best_evaluator, best_rows}) {
    const double difference = std::fabs(pass.sum - best_lambda.sum);
    if (!(difference <= 1e-9 * std::max(1.0, std::fabs(best_lambda.sum)))) {
      std::fprintf(stderr, "function_bench: %s: the evaluator's sum %.17g, the lambda's %.17g\n",
                   body.c_str(), pass.sum, best_lambda.sum);
      return false;
    }
  }
  std::printf("%-56s %9.2f %9.2f %9.2f %7.2f %7.2f\n", body.c_str(), best_evaluator.ns,
              best_rows.ns, best_lambda.ns, best_evaluator.ns / best_lambda.ns,
              best_rows.ns / best_lambda.ns);
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  const int n = argc > 1 ? std::atoi(argv[1]) : 160;
  const std::string include_dir = argc > 2 ? argv[2] : "/usr/share/povray-3.7/include";
  if (n < 2) {
    std::fprintf(stderr, "usage: function_bench [N] [INCLUDE_DIR]\n");
    return 2;
  }
  std::vector<double> axis(static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) axis[static_cast<size_t>(i)] = -1.5 + 3.0 * i / (n - 1);

  std::printf("%lld points, best of %d rounds; functions.inc: %s\n",
              static_cast<long long>(n) * n * n, kRounds,
              HasFunctionsInc(include_dir) ? include_dir.c_str() : "not found, internal(60)");
  std::printf("%-56s %9s %9s %9s %7s %7s\n", "function { }", "one ns", "rows ns", "C++ ns", "one",
              "rows");
  bool ok = Row(
      "", "x*x + y*y + z*z - 1",
      [](double x, double y, double z) { return x * x + y * y + z * z - 1; }, axis, include_dir);
  ok &= Row(
      "", "sqrt(x*x + y*y) - 0.5 + 0.1*sin(8*z)",
      [](double x, double y, double z) {
        return std::sqrt(x * x + y * y) - 0.5 + 0.1 * std::sin(8 * z);
      },
      axis, include_dir);
  ok &= Row(
      "#declare Ball = function(a, b, c, r) { sqrt(a*a + b*b + c*c) - r }\n",
      "min(Ball(x - 0.3, y, z, 0.6), Ball(x + 0.3, y, z, 0.6))",
      [](double x, double y, double z) {
        const auto ball = [](double a, double b, double c, double r) {
          return std::sqrt(a * a + b * b + c * c) - r;
        };
        return std::min(ball(x - 0.3, y, z, 0.6), ball(x + 0.3, y, z, 0.6));
      },
      axis, include_dir);
  ok &= Row(
      "", "f_rounded_box(x, y, z, 0.1, 0.8, 0.6, 0.4)",
      [](double x, double y, double z) {
        const double r = 0.1;
        const double dx = std::max(std::fabs(x) - (0.8 - r), 0.0);
        const double dy = std::max(std::fabs(y) - (0.6 - r), 0.0);
        const double dz = std::max(std::fabs(z) - (0.4 - r), 0.0);
        return std::sqrt(dx * dx + dy * dy + dz * dz) - r - 1e-6;
      },
      axis, include_dir);
  return ok ? 0 : 1;
}
