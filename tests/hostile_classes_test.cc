// The POV-Ray-syntax mode against hostile files, one table per class of
// fault (memory safety, depth, endless work, memory, files, text). Each case
// is a few lines generated here; each must end with its message and keep
// the mesh read before it. The whole set also runs on a thread whose stack
// is as small as a host's worker thread may have (512 KB).
#include <gtest/gtest.h>
#include <pthread.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <regex>
#include <string>
#include <vector>

#include "tests/test_support.h"

namespace {

const char kGood[] =
    "#declare Good = mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } "
    "face_indices { 1, <0,1,2> } }\nobject { Good }\n";

struct Hostile {
  const char* name;
  std::string text;     // after the good mesh
  std::string message;  // part of some message; "" when the file reads cleanly
};

std::string Repeat(const std::string& piece, int n) {
  std::string out;
  out.reserve(piece.size() * static_cast<size_t>(n));
  for (int i = 0; i < n; ++i) out += piece;
  return out;
}

// Bounds small enough that each case ends in a blink, large enough for the
// good mesh.
PovrayReadOptions SmallBounds() {
  PovrayReadOptions options;
  options.limits.loop_iterations = 20000;
  options.limits.macro_calls = 20000;
  options.limits.tokens = 2'000'000;
  options.limits.bytes = 20'000'000;
  options.limits.value_bytes = 50'000'000;
  options.place_objects = true;
  return options;
}

// Runs `body` on a thread with a stack of `bytes`.
void OnStackOf(size_t bytes, const std::function<void()>& body) {
  pthread_attr_t attributes;
  ASSERT_EQ(pthread_attr_init(&attributes), 0);
  ASSERT_EQ(pthread_attr_setstacksize(&attributes, bytes), 0);
  pthread_t thread;
  auto run = [](void* arg) -> void* {
    (*static_cast<const std::function<void()>*>(arg))();
    return nullptr;
  };
  ASSERT_EQ(pthread_create(&thread, &attributes, run, const_cast<std::function<void()>*>(&body)),
            0);
  pthread_join(thread, nullptr);
  pthread_attr_destroy(&attributes);
}

void Check(const Hostile& c, const PovrayReadOptions& options) {
  const Reading r = ReadPovrayText(kGood + c.text + "\n", options);
  const std::string messages = Joined(r.host_messages);
  SCOPED_TRACE(std::string(c.name) + ": " + c.text.substr(0, 160));
  ASSERT_TRUE(r.scene);
  EXPECT_NE(FindMesh(*r.scene, "Good"), nullptr) << "the mesh before the fault is lost\n"
                                                 << messages;
  if (c.message.empty()) {
    EXPECT_EQ(messages.find("error"), std::string::npos) << messages;
  } else {
    EXPECT_NE(messages.find(c.message), std::string::npos) << messages;
  }
  // Every message says where, and stays one line of reasonable size.
  for (const std::string& line : r.host_messages) {
    EXPECT_TRUE(std::regex_search(line, std::regex(R"(^[^ ]+:\d+:\d+: (error|warning): )")))
        << line;
    EXPECT_EQ(line.find('\n'), std::string::npos) << line;
    EXPECT_LT(line.size(), 600u) << line;
  }
}

void CheckAll(const std::vector<Hostile>& cases, const PovrayReadOptions& options = SmallBounds()) {
  for (const Hostile& c : cases) Check(c, options);
  OnStackOf(512 * 1024, [&] {
    for (const Hostile& c : cases) Check(c, options);
  });
}

const std::string kMesh =
    "mesh2 { vertex_vectors { 3, <0,0,0>, <1,0,0>, <0,1,0> } face_indices { 1, <0,1,2> } }";

// Tokens that free or replace a value while the reader still uses it.
TEST(Hostile, ValuesStayAliveWhileInUse) {
  CheckAll({
      {"undef_in_texture",
       "#declare P = texture { pigment { rgb 1 } }\n" + kMesh.substr(0, kMesh.size() - 1) +
           " texture { P #undef P } }",
       ""},
      {"undef_in_index", "#declare A = array[3];\n#declare A[ #undef A 1 ] = 5;", ""},
      {"redeclare_in_index", "#declare A = array[3];\n#declare A[ #declare A = 1; 1 ] = 5;", ""},
      {"macro_local_array",
       "#macro Parts() #local A = array[2] { " + kMesh + ", " + kMesh + " } A #end\n" +
           "object { Parts()[0] }",
       ""},
      {"macro_undefines_itself", "#macro M() #undef M 1 #end #declare X = M();", ""},
      {"for_variable_undefined", "#for (I, 0, 3) #undef I #end", "is no longer a float"},
      {"rand_of_nan", "#declare S = seed(1); #declare R = rand(1e400 - 1e400);",
       "needs a stream made by seed()"},
      {"dimension_of_nan", "#declare A = array[3];\n#declare D = dimension_size(A, 1e400-1e400);",
       "no such dimension"},
      {"index_of_nan", "#declare A = array[3];\n#declare D = A[1e400-1e400];", "is outside array"},
  });
}

// Nesting past the bound, whichever construct nests.
TEST(Hostile, NestingEndsWithAMessage) {
  const int n = 20000;
  CheckAll({
      {"parentheses", "#declare X = " + Repeat("(", n) + "1" + Repeat(")", n) + ";", "nested"},
      {"conditionals", "#declare X = (" + Repeat("1 ? ", n) + "1" + Repeat(" : 0", n) + ");",
       "nested"},
      {"vectors", "#declare X = " + Repeat("<", n) + "1" + Repeat(",1>", n) + ";", "nested"},
      {"unary", "#declare X = " + Repeat("-", n) + "1;", "nested"},
      {"transforms", "#declare T = " + Repeat("transform { ", n) + Repeat("}", n), "nested"},
      {"pigments", "#declare P = " + Repeat("pigment { ", n) + Repeat("}", n), "nested"},
      {"unions", Repeat("union { ", n) + Repeat("}", n), "nested"},
      {"macro_recursion", "#macro R() R() #end R()", "open at once"},
      {"function_calls",
       "#declare F = function { " + Repeat("sin(", n) + "x" + Repeat(")", n) + " }", "nested"},
      {"function_chain",
       "#declare F0 = function { x }\n#for (I, 1, 100) #declare F0 = function { F0(x, y, z) } "
       "#end",
       "functions calling functions more than 64 deep"},
      {"open_blocks", Repeat("#if (1) ", 100000), "blocks, macro calls and includes open at once"},
      {"function_arguments", "#declare X = " + Repeat("max(1, ", n) + "1" + Repeat(")", n) + ";",
       "nested"},
  });
}

// Whatever the nesting bound says, the reading thread's stack is not
// overflowed: a bound too high for the stack still ends with a message.
TEST(Hostile, NestingIsCheckedAgainstTheStack) {
  PovrayReadOptions options = SmallBounds();
  options.limits.nesting = 1'000'000;
  const int n = 200000;
  CheckAll({{"parentheses", "#declare X = " + Repeat("(", n) + "1" + Repeat(")", n) + ";", "stack"},
            {"pigments", "#declare P = " + Repeat("pigment { ", n) + Repeat("}", n), "stack"}},
           options);
}

// Work that would never end, or end after hours: every kind is counted.
TEST(Hostile, EndlessWorkEndsAtABound) {
  CheckAll({
      {"nested_while", "#while (1) #while (1) #while (1) #end #end #end", "max_loop_iterations"},
      {"nested_for", "#for (I,0,1e4) #for (J,0,1e4) #for (K,0,1e4) #end #end #end",
       "max_loop_iterations"},
      {"skipped_blocks", "#while (1) #if (0) " + Repeat("#if (1) a #end ", 10) + " #end #end",
       "max_loop_iterations"},
      {"skipped_tokens", "#for (I,0,1e4) #if (0) " + Repeat("a ", 1000) + " #end #end",
       "max_tokens"},
      {"comments", "#for (I,0,1e4) /*" + std::string(10000, 'x') + "*/ #end", "max_bytes"},
      {"macro_storm", "#macro F(N) #if (N>0) F(N-1) F(N-1) #end #end F(40)", "max_macro_calls"},
      {"function_doubling",
       "#declare F = function { x }\n#for (I, 1, 60) #declare F = function { F(x,y,z) + F(x,y,z) "
       "} #end\n#declare V = F(1, 2, 3);",
       "max_tokens"},
      {"long_function_in_loop",
       "#declare F = function { " + Repeat("x + ", 5000) +
           "x }\n#while (1) #declare V = F(1, 2, 3); #end",
       "max_tokens"},
      {"include_loop", "#while (1) #include \"missing.inc\" #end", "max_loop_iterations"},
  });
}

// Values that grow without end: a bound on all that is made.
TEST(Hostile, MemoryEndsAtABound) {
  CheckAll({
      {"string_doubling", "#declare S = \"ab\";\n#for (I, 0, 60) #declare S = concat(S, S); #end",
       "max_value_bytes"},
      {"arrays", "#declare B = array[100];\n#for (I,0,99) #declare B[I] = array[1000000]; #end",
       "max_value_bytes"},
      {"array_copies", "#declare A = array[100000];\n#for (I,0,1e4) #declare B = A; #end",
       "max_value_bytes"},
      {"object_copies",
       "#declare A = union { " + Repeat("object { " + kMesh + " } ", 10) + "}\n" +
           "#declare B = union { " + Repeat("object { A } ", 100) + "}\n" +
           "#declare C = union { " + Repeat("object { B } ", 100) + "}\n" +
           "#declare D = union { " + Repeat("object { C } ", 100) + "}\nobject { D }",
       "max_value_bytes"},
      {"huge_array", "#declare A = array[1e9];", "more than this reader holds"},
      {"string_copies",
       "#declare S = \"" + std::string(1000000, 's') + "\";\n#while (1) #declare T = S; #end",
       "max_value_bytes"},
  });
}

// Include files that are not scene text, never end, or include themselves.
TEST(Hostile, IncludesAreRegularFilesReadOnce) {
  const std::string dir = TestDir() + "includes/";
  ASSERT_EQ(system(("rm -rf '" + dir + "' && mkdir -p '" + dir + "'").c_str()), 0);
  ASSERT_EQ(mkfifo((dir + "fifo.inc").c_str(), 0600), 0);
  WriteTestFile("includes/self.inc", "#include \"" + dir + "self.inc\"\n");
  WriteTestFile("includes/a.inc", "#include \"" + dir + "b.inc\"\n");
  WriteTestFile("includes/b.inc", "#include \"" + dir + "a.inc\"\n");
  WriteTestFile("includes/twice.inc", "#declare Twice = 1;\n");
  CheckAll({
      {"fifo", "#include \"" + dir + "fifo.inc\"", "not a regular file"},
      {"folder", "#include \"" + dir + "\"", "not a regular file"},
      {"device", "#include \"/dev/zero\"", "system file"},
      {"proc_by_double_slash", "#include \"//proc/self/pagemap\"", "system file"},
      {"proc_by_dots", "#include \"/tmp/../proc/self/maps\"", "system file"},
      {"self", "#include \"" + dir + "self.inc\"", "already being read"},
      {"cycle", "#include \"" + dir + "a.inc\"", "already being read"},
      {"include_in_loop", "#while (1) #include \"" + dir + "twice.inc\" #end",
       "max_loop_iterations"},
      {"twice_in_turn",
       "#include \"" + dir + "twice.inc\"\n#include \"" + dir + "twice.inc\"\n" + kMesh, ""},
      {"control_characters_in_name", "#include \"a\\nFORGED: line\\x1b[31m\"", "a\\x0aFORGED"},
  });
}

// What a message may quote of a file that is not POV-Ray text.
TEST(Hostile, MessagesQuoteLittleAndEscapeControls) {
  CheckAll({
      {"long_word", "mesh2 { " + std::string(100000, 'a') + " }", "aaaa..."},
      {"long_string", "#declare X = 1 + \"" + std::string(100000, 'b') + "\";", "cannot take"},
      {"control_bytes", "\x01\x02\x1b[2J", "\\x01"},
  });
}

// Line ends of every system; a byte-order mark.
TEST(Hostile, TextOfEverySystemReads) {
  for (const char* end : {"\n", "\r\n", "\r"}) {
    SCOPED_TRACE(end[0] == '\r' ? (end[1] ? "CRLF" : "CR") : "LF");
    std::string text = std::string("\xEF\xBB\xBF") + "// a comment" + end + kGood + end +
                       "#declare X = 1;" + end + "#declare Y = Z;" + end;
    const Reading r = ReadPovrayText(text, SmallBounds());
    ASSERT_TRUE(r.scene);
    EXPECT_NE(FindMesh(*r.scene, "Good"), nullptr) << Joined(r.host_messages);
    ASSERT_EQ(r.host_messages.size(), 1u) << Joined(r.host_messages);
    EXPECT_NE(r.host_messages[0].find(".pov:6:14: error: undefined identifier 'Z'"),
              std::string::npos)
        << r.host_messages[0];
  }
}

}  // namespace
