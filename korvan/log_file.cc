#include "plugin/host/log_file.h"

#include <charconv>
#include <cmath>
#include <cstdarg>
#include <cstdint>
#include <cstring>
#include <string>

#include "korvan/log_outcome.h"

namespace {

constexpr size_t kLogBuffer = 1 << 18;

// A relative log name goes into the folder of the scene file.
std::string LogPath(const char* input_path, const char* log_name) {
  if (log_name[0] == '/' || input_path == nullptr) return log_name;
  const char* slash = std::strrchr(input_path, '/');
  if (slash == nullptr) return log_name;
  return std::string(input_path, slash + 1) + log_name;
}

LogOutcome g_outcome;

// The outcome a line of `format` reports, if any: a first byte that starts
// none of the outcome lines settles it, so other lines stay nearly free.
ImportOutcome OutcomeOf(const char* format) {
  for (const LogOutcomeLine& line : kLogOutcomeLines) {
    if (format[0] == line.format[0] && std::strcmp(format, line.format) == 0) return line.outcome;
  }
  return ImportOutcome::kNone;
}

}  // namespace

LogOutcome korvan_last_log_outcome() { return g_outcome; }

LogFile::LogFile(const char* input_path, const char* log_name) {
  g_outcome = LogOutcome();
  if (log_name == nullptr || log_name[0] == '\0') return;
  const std::string path = LogPath(input_path, log_name);
  file_ = std::fopen(path.c_str(), "wb");
  if (file_ == nullptr) return;
  path_ = my_strdup(path.c_str());
  buffer_ = static_cast<char*>(my_malloc(kLogBuffer));
  if (buffer_ != nullptr) std::setvbuf(file_, buffer_, _IOFBF, kLogBuffer);
}

LogFile::~LogFile() {
  if (file_ != nullptr) std::fclose(file_);
  my_free(buffer_);
  my_free(path_);
}

namespace {

// %.Nf of `value` (N up to 9) the quick way: the value times 10^N, rounded
// to the nearest integer, is printf's digits, unless the product lies so
// close to halfway between two integers that its own rounding error could
// decide the side; then (and for magnitudes from 10^9 on) false, and the
// caller takes std::to_chars. The product is exact to within half its last
// place, so the margin of a whole place on each side of the half is safe.
bool FixedFast(double value, int precision, std::string& out) {
  static constexpr double kScale[] = {1e0, 1e1, 1e2, 1e3, 1e4, 1e5, 1e6, 1e7, 1e8, 1e9};
  static constexpr uint64_t kIntScale[] = {1,      10,      100,      1000,      10000,
                                           100000, 1000000, 10000000, 100000000, 1000000000};
  const double magnitude = std::fabs(value);
  if (precision > 9 || !(magnitude < 1e9)) return false;
  const double scaled = magnitude * kScale[precision];  // below 2^63, exact to 2^-53 of itself
  const double whole = std::floor(scaled);
  const double fraction = scaled - whole;  // exact
  if (std::fabs(fraction - 0.5) <= scaled * 0x1p-52) return false;
  const uint64_t digits = static_cast<uint64_t>(whole) + (fraction > 0.5 ? 1 : 0);
  char text[40];
  char* end = text + sizeof text;
  char* p = end;
  uint64_t rest = digits;
  for (int i = 0; i < precision; ++i, rest /= 10) *--p = static_cast<char>('0' + rest % 10);
  if (precision > 0) *--p = '.';
  uint64_t integer = digits / kIntScale[precision];
  do {
    *--p = static_cast<char>('0' + integer % 10);
    integer /= 10;
  } while (integer != 0);
  if (std::signbit(value)) *--p = '-';
  out.append(p, end);
  return true;
}

// Formats `format` with `args` into `out` for the conversions the log uses
// (%s %c %d %ld %lld %f %.Nf %%), with std::to_chars, which gives exactly
// printf's digits without its per-call cost. False (nothing promised about
// `out`) for any other conversion: the caller falls back to vfprintf.
bool FormatFast(const char* format, va_list args, std::string& out) {
  char number[400];
  for (const char* p = format; *p != '\0'; ++p) {
    if (*p != '%') {
      out += *p;
      continue;
    }
    ++p;
    int precision = 6;
    if (*p == '.') {
      precision = 0;
      for (++p; *p >= '0' && *p <= '9'; ++p) precision = precision * 10 + (*p - '0');
      if (*p != 'f' || precision > 60) return false;
    }
    int longs = 0;
    while (*p == 'l') ++longs, ++p;
    std::to_chars_result r{};
    switch (*p) {
      case '%':
        out += '%';
        continue;
      case 's': {
        const char* text = va_arg(args, const char*);
        out += text != nullptr ? text : "(null)";
        continue;
      }
      case 'c':
        out += static_cast<char>(va_arg(args, int));
        continue;
      case 'd':
        r = longs == 0   ? std::to_chars(number, number + sizeof number, va_arg(args, int))
            : longs == 1 ? std::to_chars(number, number + sizeof number, va_arg(args, long))
                         : std::to_chars(number, number + sizeof number, va_arg(args, long long));
        break;
      case 'f': {
        const double value = va_arg(args, double);
        if (!std::isfinite(value)) {
          out += std::isnan(value) ? (std::signbit(value) ? "-nan" : "nan")
                                   : (value < 0 ? "-inf" : "inf");
          continue;
        }
        if (FixedFast(value, precision, out)) continue;
        r = std::to_chars(number, number + sizeof number, value, std::chars_format::fixed,
                          precision);
        break;
      }
      default:
        return false;
    }
    if (r.ec != std::errc()) return false;
    out.append(number, r.ptr);
  }
  return true;
}

}  // namespace

void LogFile::write(const char* format, ...) {
  const ImportOutcome outcome = OutcomeOf(format);
  if (outcome != ImportOutcome::kNone) {
    char line[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    g_outcome.kind = outcome;
    g_outcome.line = line;
    if (!g_outcome.line.empty() && g_outcome.line.back() == '\n') g_outcome.line.pop_back();
  }
  if (file_ == nullptr) return;
  thread_local std::string line;
  line.clear();
  va_list args;
  va_start(args, format);
  va_list fallback;
  va_copy(fallback, args);
  if (FormatFast(format, args, line)) {
    fwrite_unlocked(line.data(), 1, line.size(), file_);
  } else {
    std::vfprintf(file_, format, fallback);
  }
  va_end(fallback);
  va_end(args);
}
