// Budget: one account of all the work a reading does, so that no file can
// run forever, nest past the stack or take the host's memory. Every byte
// scanned, token read, loop turn, macro call and value byte made is charged
// here against the bounds the settings hold (max_*); a bound reached ends
// the reading with a FatalError that names it. Owned by the Parser; one
// reading, one thread (the stop check may be set from another thread).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "sdl/errors.h"
#include "sdl/lexer.h"

namespace sdl {

// Bounds that keep a hostile file from running forever, overflowing the
// stack or taking all memory. The defaults are far beyond any real scene
// and keep each kind of work within a few seconds (the README lists them).
struct Limits {
  int64_t bytes = INT64_C(2'000'000'000);      // max_bytes: scanned, rescans included
  int64_t tokens = 200'000'000;                // max_tokens: read, skipped ones included
  int64_t loop_iterations = 10'000'000;        // max_loop_iterations: all loops together
  int64_t macro_calls = 2'000'000;             // max_macro_calls
  int64_t value_bytes = INT64_C(800'000'000);  // max_value_bytes: values made; meshes placed
  int nesting = 500;                           // max_nesting: recursion and open calls
  int64_t array_elements = 16'000'000;         // in one array
};

// Asks the host whether the reading is to stop (cancelled, out of time).
// Answers true to stop; null: never.
using StopCheck = bool (*)(void* context);

class Budget {
 public:
  explicit Budget(const Limits& limits) : limits_(limits) {}

  const Limits& limits() const { return limits_; }

  // Bytes the lexer has scanned in all (a running total it keeps).
  void Scanned(uint64_t total, const Position& at) {
    if (static_cast<int64_t>(total) > limits_.bytes)
      Exceeded("bytes scanned", "max_bytes", limits_.bytes, at);
  }
  void Token(const Position& at) {
    if (++tokens_ > limits_.tokens) Exceeded("tokens read", "max_tokens", limits_.tokens, at);
    if ((tokens_ & 1023) == 0) CheckStop(at);
  }
  // Work counted as tokens: the instructions a function call runs.
  void Work(int64_t steps, const Position& at) {
    tokens_ = steps > limits_.tokens - tokens_ ? limits_.tokens + 1 : tokens_ + steps;
    if (tokens_ > limits_.tokens) {
      Exceeded("tokens read and function steps run", "max_tokens", limits_.tokens, at);
    }
  }
  void LoopTurn(const Position& at) {
    if (++loop_turns_ > limits_.loop_iterations) {
      Exceeded("loop turns (all loops together)", "max_loop_iterations", limits_.loop_iterations,
               at);
    }
  }
  void MacroCall(const Position& at) {
    if (++macro_calls_ > limits_.macro_calls) {
      Exceeded("macro calls", "max_macro_calls", limits_.macro_calls, at);
    }
  }
  // Bytes of a value about to be made (a string, an array, a mesh placed).
  void Allocate(uint64_t bytes, const Position& at) {
    value_bytes_ += bytes;
    if (bytes > static_cast<uint64_t>(limits_.value_bytes) ||
        value_bytes_ > static_cast<uint64_t>(limits_.value_bytes)) {
      Exceeded("bytes of values made (strings, arrays, meshes)", "max_value_bytes",
               limits_.value_bytes, at);
    }
  }
  // Bytes of a mesh handed to the host, on an account of their own, so that
  // what was read before a bound on values was reached is still placed.
  void Output(uint64_t bytes, const Position& at) {
    output_bytes_ += bytes;
    if (output_bytes_ > static_cast<uint64_t>(limits_.value_bytes)) {
      Exceeded("bytes of meshes placed", "max_value_bytes", limits_.value_bytes, at);
    }
  }
  // Calls and includes open at once.
  void CheckOpenCalls(int open, const Position& at) const {
    if (open >= limits_.nesting) {
      Exceeded("macro calls and includes open at once", "max_nesting", limits_.nesting, at);
    }
  }

  void SetStopCheck(StopCheck check, void* context) {
    stop_ = check;
    stop_context_ = context;
  }
  void CheckStop(const Position& at) const;

  int64_t tokens() const { return tokens_; }

 private:
  [[noreturn]] static void Exceeded(const char* what, const char* setting, int64_t bound,
                                    const Position& at);

  Limits limits_;
  int64_t tokens_ = 0;
  int64_t loop_turns_ = 0;
  int64_t macro_calls_ = 0;
  uint64_t value_bytes_ = 0;
  uint64_t output_bytes_ = 0;
  StopCheck stop_ = nullptr;
  void* stop_context_ = nullptr;
};

// The lowest address the calling thread's stack may reach, with room left
// for the calls a reader makes below its deepest check (the host's own
// message and log functions included).
uintptr_t StackFloor();

// The current frame's address, to compare with StackFloor().
inline uintptr_t StackHere() { return reinterpret_cast<uintptr_t>(__builtin_frame_address(0)); }

}  // namespace sdl
