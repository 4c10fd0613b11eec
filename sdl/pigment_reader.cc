// Reading a pigment inside a function { }: the pattern, its colour map, its
// transformations and turbulence, as PigmentFunction computes them.
#include <algorithm>
#include <cmath>
#include <optional>

#include "sdl/hasher.h"
#include "sdl/keywords.h"
#include "sdl/parser.h"
#include "sdl/pigment_function.h"

namespace sdl {

namespace {

uint64_t FingerprintOf(const PigmentFunction& f) {
  Hasher h;
  h.Add(f.kind);
  if (f.function != nullptr) {
    const uint64_t program = f.function->Fingerprint();
    h.Add(program);
  }
  h.Add(f.gradient);
  h.Add(f.form);
  h.Add(f.metric);
  h.Add(f.offset);
  h.Add(f.solid);
  h.Add(f.colours);
  for (const PigmentFunction::MapEntry& e : f.colour_map) {
    h.Add(e.value);
    h.Add(e.colour);
  }
  for (const PigmentFunction::Step& step : f.steps) {
    if (step.inverse) {
      double rows[12];
      step.inverse->Rows(rows);
      h.Add(rows);
    } else {
      h.Add(step.turbulence.amount);
      h.Add(step.turbulence.octaves);
      h.Add(step.turbulence.omega);
      h.Add(step.turbulence.lambda);
    }
  }
  h.Add(f.frequency);
  h.Add(f.phase);
  h.Add(f.wave);
  h.Add(f.exponent);
  return h.hash();
}

}  // namespace

bool Parser::AtColour() {
  const Token next = PeekRaw();
  if (next.kind != TokenKind::kWord) return next.Is('<');
  if (ColourWordOf(next.text) != ColourWord::kNone) return true;
  const ValueRef value = Lookup(next.text);
  return value != nullptr && value->IsNumeric();
}

Colour Parser::ColourItem() {
  const Token next = PeekRaw();
  Value value;
  if (next.kind == TokenKind::kWord && ColourWordOf(next.text) != ColourWord::kNone) {
    value = ColourKeyword(Raw());
  } else {
    value = Expression();
    if (!value.IsNumeric()) {
      Fail(next, std::string("expected a colour, found ") + TypeName(value.type));
    }
  }
  double c[5];
  Promote(value, 5, c);
  return {c[0], c[1], c[2], c[3], c[4]};
}

std::shared_ptr<const PigmentFunction> Parser::PigmentFunctionBlock(const Token& keyword) {
  NestingGuard nesting(*this, keyword.where);
  Expect('{', "after pigment");
  auto f = std::make_shared<PigmentFunction>();
  bool has_pattern = false;
  // Turbulence given on the pattern itself (not in a warp) acts nearest
  // the pattern, whatever comes after it.
  std::optional<PigmentFunction::Turbulence> classic;
  auto turbulence_amount = [&] {
    const Value amount = Expression();
    if (!amount.IsNumeric()) Fail(keyword, "expected the amount of turbulence");
    double v[3];
    Promote(amount, 3, v);
    return Vec3{v[0], v[1], v[2]};
  };
  for (;;) {
    const Token token = Next();
    if (token.Is('}')) break;
    if (token.kind != TokenKind::kWord) return nullptr;
    const std::string_view w = token.text;
    if (const std::optional<PatternKind> kind = PatternOfWord(w); kind && !has_pattern) {
      has_pattern = true;
      f->kind = *kind;
      if (*kind == PatternKind::kFunction) {
        if (!PeekRaw().Is('{')) return nullptr;
        const Value function = FunctionDeclaration(token);
        if (function.function == nullptr) return nullptr;
        f->function = function.function;
        f->cost += function.function->cost;
      } else if (*kind == PatternKind::kGradient) {
        const Vec3 g = Vector3();
        const double length = std::sqrt(g.x * g.x + g.y * g.y + g.z * g.z);
        if (!(length > 0)) Fail(token, "a gradient needs a direction");
        f->gradient = {g.x / length, g.y / length, g.z / length};
      } else if (*kind == PatternKind::kChecker) {
        // POV-Ray's checker is blue and green unless told.
        f->colours[0] = {0, 0, 1, 0, 0};
        f->colours[1] = {0, 1, 0, 0, 0};
        for (int i = 0; i < 2 && AtColour(); ++i) {
          f->colours[i] = ColourItem();
          if (PeekRaw().Is(',')) Raw();
        }
      }
      continue;
    }
    if (ColourWordOf(w) != ColourWord::kNone && !has_pattern) {
      Unget(token);
      f->colours[0] = ColourItem();
      has_pattern = true;
      continue;
    }
    if (w == "color_map" || w == "colour_map") {
      Expect('{', "to begin the colour map");
      for (;;) {
        const Token open = Next();
        if (open.Is('}')) break;
        if (!open.Is('[')) return nullptr;  // a declared map, or worse
        const double value = Float();
        if (PeekRaw().Is(',')) Raw();
        if (AtColour()) {
          f->colour_map.push_back({value, ColourItem()});
        } else {
          // [from, to colour colour]: POV-Ray's older form.
          const double to = Float();
          const Colour from_colour = ColourItem();
          if (PeekRaw().Is(',')) Raw();
          f->colour_map.push_back({value, from_colour});
          f->colour_map.push_back({to, ColourItem()});
        }
        Expect(']', "to close the colour map's entry");
      }
      continue;
    }
    if (TransformWordOf(w) != TransformWord::kNone) {
      Transform transform;
      TransformItem(token, transform);
      if (!transform.Invertible()) return nullptr;
      f->steps.push_back({transform.Inverse(), {}});
      continue;
    }
    if (w == "warp") {
      Expect('{', "to begin the warp");
      if (!Next().IsWord("turbulence")) return nullptr;  // other warps are not computed
      PigmentFunction::Turbulence t;
      t.amount = turbulence_amount();
      for (;;) {
        const Token item = Next();
        if (item.Is('}')) break;
        if (item.IsWord("octaves")) {
          t.octaves = static_cast<int>(std::clamp(Float(), 1.0, 10.0));
        } else if (item.IsWord("omega")) {
          t.omega = Float();
        } else if (item.IsWord("lambda")) {
          t.lambda = Float();
        } else {
          return nullptr;
        }
      }
      f->cost += 8 * t.octaves;
      f->steps.push_back({std::nullopt, t});
      continue;
    }
    if (w == "turbulence") {
      if (!classic) classic.emplace();
      classic->amount = turbulence_amount();
    } else if (w == "octaves") {
      if (!classic) classic.emplace();
      classic->octaves = static_cast<int>(std::clamp(Float(), 1.0, 10.0));
    } else if (w == "omega") {
      if (!classic) classic.emplace();
      classic->omega = Float();
    } else if (w == "lambda") {
      if (!classic) classic.emplace();
      classic->lambda = Float();
    } else if (const std::optional<Wave> wave = WaveOfWord(w)) {
      f->wave = *wave;
      if (*wave == Wave::kPoly) {
        const Token next = PeekRaw();
        if (next.kind == TokenKind::kNumber || next.Is('(') || next.Is('-')) {
          f->exponent = Float();
        }
      }
    } else if (f->kind == PatternKind::kCrackle && w == "form") {
      f->form = Vector3();
    } else if (f->kind == PatternKind::kCrackle && w == "metric") {
      // Exponents past a few dozen add nothing a double can hold.
      f->metric = std::clamp(Float(), 0.1, 40.0);
    } else if (f->kind == PatternKind::kCrackle && w == "offset") {
      f->offset = Float();
    } else if (f->kind == PatternKind::kCrackle && w == "solid") {
      f->solid = true;
    } else if (w == "frequency") {
      f->frequency = Float();
    } else if (w == "phase") {
      f->phase = Float();
    } else {
      return nullptr;  // a pattern, map or modifier not computed here
    }
  }
  if (classic) {
    f->cost += 8 * classic->octaves;
    f->steps.insert(f->steps.begin(), {std::nullopt, *classic});
  }
  std::stable_sort(f->colour_map.begin(), f->colour_map.end(),
                   [](const PigmentFunction::MapEntry& a, const PigmentFunction::MapEntry& b) {
                     return a.value < b.value;
                   });
  f->fingerprint = FingerprintOf(*f);
  return f;
}

}  // namespace sdl
