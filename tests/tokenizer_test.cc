#include "reader/tokenizer.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "reader/keywords.h"
#include "reader/numbers.h"
#include "tests/test_support.h"

namespace {

struct Tokens {
  std::string joined;  // tokens separated by "|"
  int64_t lines;       // the line counter after the input is exhausted
};

Tokens Tokenize(const std::string& text) {
  const std::string path = WriteTestFile("tokens.pov", text);
  EXPECT_TRUE(g_InFile.Open(path.c_str()));
  ResetTokenizer();
  Tokens out{"", 0};
  for (const char* t; (t = NextToken(g_InFile)) != nullptr;) {
    if (!out.joined.empty()) out.joined += "|";
    out.joined += t;
  }
  EXPECT_EQ(NextToken(g_InFile), nullptr) << "null must stay null";
  out.lines = g_LineNumber;
  g_InFile.Close();
  return out;
}

struct SplitCase {
  std::string input;
  std::string tokens;
};

TEST(Tokenizer, SplitsTokens) {
  const SplitCase cases[] = {
      {"<1.5,-2,3e-1>", "<|1.5|,|-2|,|3e-1|>"},
      {" < 1 ,\n2 // c\n, /* x */ 3 > ", "<|1|,|2|,|3|>"},
      {"a/b", "ab"},
      {"a/*x*/b", "a|b"},
      {"a//x", "a"},
      {"abc//x\ndef", "abc|def"},
      {"a\fb", "ab"},  // non-printable dropped, token goes on
      {std::string("a\x80\xff"
                   "b",
                   4),
       "ab"},
      {"#declare obj_1=1+2;", "#declare|obj_1|=|1+2|;"},
      {"\"my file.inc\"", "\"my|file.inc\""},
      {"{}()[];=", "{|}|(|)|[|]|;|="},
      {"mesh2{", "mesh2|{"},
      {"a/", "a"},  // a slash at the end of the input
      {"/ ", ""},
      {"a/{b", "a|{|b"},
      {"**/x", "**x"},  // no comment opens with "*"
      {"/***/x", "x"},
      {"/* a ** b **/c", "c"},
      {"/* unclosed", ""},
      {"", ""},
      {std::string("a\0b", 3), "a|b"},  // NUL is a line end
      {std::string(" \0b", 3), "b"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Tokenize(c.input).joined, c.tokens) << "input: \"" << c.input << "\"";
  }
}

struct LineCase {
  std::string input;
  int64_t lines;  // counter at the end: lines + 1
};

TEST(Tokenizer, CountsLines) {
  const LineCase cases[] = {
      {"", 1},
      {"a", 2},
      {"a\n", 2},
      {"a\nb", 3},
      {"a\nb\n", 3},
      {"a\r\nb\r\n", 3},
      {"a\r\nb", 3},
      {"a\n\rb", 3},  // LF CR is one line end
      {"a\n\nb", 4},  // LF LF two
      {"a\r\rb", 4},  // CR CR two
      {"a\rb\r", 3},
      {"a\nb  \t", 3},          // trailing blanks on the last line
      {"a\nb // note", 3},      // a line comment on the last line
      {"a\nb // note\r\n", 3},  // the comment's CR LF counts once
      {"a // x\r\nb", 3},
      {"/* 1\n2\n3 */ a", 4},  // a block comment of three lines
      {"/* 1\r\n2 */\r\n", 3},
      {"/* open\n", 2},
      {"\n\n\n", 4},
      {"   ", 2},  // blanks alone make a line
      {std::string("\0\0", 2), 3},
      {std::string(" \0\0", 3), 2},  // NULs after a blank are blanks
      {"\f", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Tokenize(c.input).lines, c.lines) << "input: \"" << c.input << "\"";
  }
}

TEST(Tokenizer, LongTokenKeepsItsFirstCharacters) {
  const std::string word(kMaxTokenLength + 500, 'x');
  const Tokens t = Tokenize(word + " next");
  EXPECT_EQ(t.joined, std::string(kMaxTokenLength, 'x') + "|next");
}

TEST(Tokenizer, UngetHandsTheSameTokenBackOnce) {
  const std::string path = WriteTestFile("unget.pov", "a\nb\nc");
  ASSERT_TRUE(g_InFile.Open(path.c_str()));
  ResetTokenizer();
  EXPECT_STREQ(NextToken(g_InFile), "a");
  const int64_t line = g_LineNumber;
  UngetToken();
  UngetToken();  // one level only
  EXPECT_STREQ(NextToken(g_InFile), "a");
  EXPECT_EQ(g_LineNumber, line);
  EXPECT_STREQ(NextToken(g_InFile), "b");
  EXPECT_STREQ(NextToken(g_InFile), "c");
  EXPECT_EQ(NextToken(g_InFile), nullptr);
  UngetToken();  // after the end: the empty token
  const char* empty = NextToken(g_InFile);
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(LookupKeyword(empty), kWord);
  g_InFile.Close();
}

// The table walk as the keyword table defines it, to check the fast lookup.
int WalkTable(const char* token) {
  if (token == nullptr) return kNoToken;
  for (const Keyword* k = kKeywordTable; k->code != kNoToken; ++k) {
    if (std::string(k->text) == token) return k->code;
  }
  return kWord;
}

TEST(Keywords, LookupMatchesTheTable) {
  EXPECT_EQ(LookupKeyword("mesh"), 100);
  EXPECT_EQ(LookupKeyword("Mesh"), 105);
  EXPECT_EQ(LookupKeyword("1.0"), 105);
  EXPECT_EQ(LookupKeyword(nullptr), -1);
  EXPECT_EQ(LookupKeyword(""), 105);
  std::vector<std::string> tokens = {"mesh2x", "mes", "smooth_triangles", "u",          "v", "/",
                                     "{{",     "-",   "polygon",          "uv_mapping", "f"};
  for (const Keyword* k = kKeywordTable; k->code != kNoToken; ++k) tokens.push_back(k->text);
  for (int c = 1; c < 256; ++c) tokens.push_back(std::string(1, static_cast<char>(c)));
  for (const auto& t : tokens) {
    EXPECT_EQ(LookupKeyword(t.c_str()), WalkTable(t.c_str())) << "token: \"" << t << "\"";
  }
  EXPECT_EQ(LookupKeyword("face_indices"), 54);
  EXPECT_EQ(LookupKeyword("="), 14);
}

}  // namespace

namespace {

// The tokenizer as its definition reads, one character at a time over a
// string with a one-character push-back: the reference the buffered one,
// with its fast paths, must agree with exactly.
class ReferenceTokenizer {
 public:
  explicit ReferenceTokenizer(std::string text) : text_(std::move(text)) {}

  bool Next(std::string* token) {
    token->clear();
    for (;;) {
      if (eof_) return false;
      while (!eof_) {
        int c = Get();
        if (c < 0) {
          EndOfInput();
          break;
        }
        if (c == ' ' || c == '\t') {
          seen_ = true;
          for (;;) {
            int d = Get();
            if (d == ' ' || d == '\t') {
              seen_ = true;
            } else if (d == 0) {
            } else if (d < 0) {
              EndOfInput();
              break;
            } else {
              seen_ = true;
              Unget();
              break;
            }
          }
          break;
        }
        if (c == '\n' || c == '\r' || c == 0) {
          LineEnd(c);
          break;
        }
        seen_ = true;
        if (c == '/') {
          int d = Get();
          if (d < 0) {
            EndOfInput();
            break;
          }
          if (d == '/') {
            for (;;) {
              int e = Get();
              if (e < 0) {
                EndOfInput();
                break;
              }
              if (e == '\n' || e == '\r' || e == 0) {
                Unget();
                break;
              }
              seen_ = true;
            }
            break;
          }
          if (d == '*') {
            BlockComment();
            break;
          }
          Unget();
          continue;
        }
        if (std::string("{}()<>[];,=").find(static_cast<char>(c)) != std::string::npos) {
          if (!token->empty()) {
            Unget();
          } else {
            *token += static_cast<char>(c);
          }
          break;
        }
        if (c >= 33 && c <= 126 && token->size() < kMaxTokenLength) *token += static_cast<char>(c);
      }
      if (!token->empty()) return true;
    }
  }
  int64_t lines() const { return lines_; }

 private:
  int Get() {
    if (pos_ >= text_.size()) {
      eof_ = true;
      return -1;
    }
    return static_cast<unsigned char>(text_[pos_++]);
  }
  void Unget() {
    --pos_;
    eof_ = false;
  }
  void EndOfInput() {
    if (seen_) ++lines_;
    seen_ = false;
  }
  void LineEnd(int c) {
    ++lines_;
    seen_ = false;
    int d = Get();
    if (d < 0) {
      EndOfInput();
    } else if (!((c == '\r' && d == '\n') || (c == '\n' && d == '\r'))) {
      Unget();
    }
  }
  void BlockComment() {
    for (;;) {
      int c = Get();
      if (c < 0) {
        EndOfInput();
        return;
      }
      if (c == '\n' || c == '\r' || c == 0) {
        LineEnd(c);
        continue;
      }
      seen_ = true;
      if (c != '*') continue;
      int d = Get();
      if (d < 0) {
        EndOfInput();
        return;
      }
      if (d == '/') return;
      Unget();
    }
  }

  std::string text_;
  size_t pos_ = 0;
  bool eof_ = false;
  bool seen_ = false;
  int64_t lines_ = 1;
};

TEST(Tokenizer, AgreesWithTheCharacterLoopOnRandomInput) {
  const std::string pieces[] = {"a",
                                "12.5",
                                "-3",
                                "mesh2",
                                "{",
                                "}",
                                "<",
                                ">",
                                ",",
                                " ",
                                "  ",
                                "\t",
                                "\n",
                                "\r",
                                "\r\n",
                                "\n\r",
                                std::string(1, '\0'),
                                "/",
                                "//c",
                                "/*",
                                "*/",
                                "*",
                                "\f",
                                "\x80",
                                "=",
                                ";",
                                "x_y"};
  std::mt19937 random(7);
  for (int round = 0; round < 400; ++round) {
    std::string text;
    const int n = static_cast<int>(random() % 60);
    for (int i = 0; i < n; ++i) text += pieces[random() % std::size(pieces)];
    const std::string path = WriteTestFile("random.pov", text);
    for (size_t block : {size_t{1}, size_t{2}, size_t{3}, size_t{7}, InputStream::kBlockSize}) {
      ReferenceTokenizer reference(text);
      ASSERT_TRUE(g_InFile.Open(path.c_str(), block));
      ResetTokenizer();
      std::string want, got;
      for (std::string t; reference.Next(&t);) want += t + "|";
      for (const char* t; (t = NextToken(g_InFile)) != nullptr;) got += std::string(t) + "|";
      g_InFile.Close();
      std::string shown;
      for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
      ASSERT_EQ(got, want) << "block " << block << ", input: \"" << shown << "\"";
      ASSERT_EQ(g_LineNumber, reference.lines())
          << "block " << block << ", input: \"" << shown << "\"";
    }
  }
}

}  // namespace

namespace {

// The items of mesh lists as the token calls read them, for the fast paths
// to agree with: success, the numbers, the line count, and what follows.
struct ItemReading {
  bool ok = false;
  std::vector<double> numbers;
  int64_t line = 0;
  std::string rest;  // the tokens after the item, "|"-separated
};

ItemReading ByTokens(int count, bool integers) {
  ItemReading r;
  auto expect = [](char c) {
    const char* t = NextToken(g_InFile);
    return t != nullptr && t[0] == c && t[1] == '\0';
  };
  r.ok = expect('<');
  for (int i = 0; r.ok && i < count; ++i) {
    const char* t = NextToken(g_InFile);
    r.numbers.push_back(integers ? TokenToInt(t) : TokenToDouble(t));
    r.ok = expect(i < count - 1 ? ',' : '>');
  }
  return r;
}

ItemReading ByFastPath(int count, bool integers) {
  ItemReading r;
  double v[3] = {0, 0, 0};
  int n[3] = {0, 0, 0};
  r.ok = integers ? FastIndexTriple(g_InFile, n) : FastVector(g_InFile, count, v);
  for (int i = 0; r.ok && i < count; ++i) r.numbers.push_back(integers ? n[i] : v[i]);
  return r;
}

TEST(Tokenizer, ItemFastPathsAgreeWithTheTokenCalls) {
  // Random items around plain and not-so-plain numbers, blanks, line ends,
  // NULs and comments: where a fast path takes an item it must read it as
  // the token calls do; where it does not, it must leave the input as it was.
  const std::string numbers[] = {
      "1",      "-2", "0.5", "-.25", "3.",  "1e5",   "2E-3", "+4",
      "0x1F",   "1a", ".",   "-",    "inf", "1e400", "0012", "123456789012345678901",
      "7.5e+2", "2e", "1e+"};
  const std::string glue[] = {"", " ", "\t", "  ", "\n", "\r\n", std::string(1, '\0'), "/**/"};
  std::mt19937 random(11);
  int taken = 0;
  for (int round = 0; round < 3000; ++round) {
    const int count = random() % 2 == 0 ? 3 : 2;
    const bool integers = count == 3 && random() % 2 == 0;
    auto g = [&] { return random() % 4 == 0 ? glue[random() % std::size(glue)] : ""; };
    // A word first: the stream buffers its block on the first read, and the
    // fast paths look only at what is buffered.
    std::string text = "x " + g() + "<";
    for (int i = 0; i < count; ++i) {
      text += g() + numbers[random() % std::size(numbers)] + g() + (i < count - 1 ? "," : ">");
    }
    text += g() + "," + g() + "}";
    std::string shown;
    for (char c : text) shown += c == '\0' ? std::string("\\0") : std::string(1, c);
    const std::string path = WriteTestFile("item.pov", text);
    // Small blocks end inside items: the fast paths must see only what is
    // buffered.
    const size_t block = random() % 3 == 0 ? 8 + random() % 16 : InputStream::kBlockSize;
    ItemReading want, got;
    for (ItemReading* r : {&want, &got}) {
      ASSERT_TRUE(g_InFile.Open(path.c_str(), block));
      ResetTokenizer();
      ASSERT_STREQ(NextToken(g_InFile), "x");
      if (r == &want) {
        *r = ByTokens(count, integers);
      } else {
        *r = ByFastPath(count, integers);
        taken += r->ok;
        if (!r->ok) *r = ByTokens(count, integers);  // as the readers fall back
      }
      r->line = g_LineNumber;
      for (const char* t; (t = NextToken(g_InFile)) != nullptr;) r->rest += std::string(t) + "|";
      g_InFile.Close();
    }
    ASSERT_EQ(got.ok, want.ok) << shown;
    ASSERT_EQ(got.numbers, want.numbers) << shown;
    ASSERT_EQ(got.line, want.line) << shown;
    ASSERT_EQ(got.rest, want.rest) << shown;
  }
  EXPECT_GT(taken, 150) << "the fast paths must take a good share of the items";
}

}  // namespace
