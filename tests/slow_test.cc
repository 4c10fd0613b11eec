// The slow tests (CTest label "slow", run once, in the release build):
// killing the writers of the settings and options files 400 times, and a
// sparse file of 2^31 + 10 NUL bytes through the reader.
#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <random>
#include <string>
#include <thread>

#include "korvan/settings_store.h"
#include "tests/test_support.h"

namespace {

// Starts the writer in `mode`, kills it after a random moment, and answers
// once it is gone.
void KillWriterAtRandom(const char* mode, const std::string& options, std::mt19937& random) {
  int out[2];
  ASSERT_EQ(pipe(out), 0);
  const pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    dup2(out[1], 1);
    execl(TARVO_WRITER_BIN, TARVO_WRITER_BIN, mode, TARVO_PLUGIN_FILE, options.c_str(), nullptr);
    _exit(127);
  }
  close(out[1]);
  char ready[8] = {};
  ASSERT_GT(read(out[0], ready, sizeof ready), 0);
  close(out[0]);
  std::this_thread::sleep_for(std::chrono::microseconds(random() % 25000));
  kill(child, SIGKILL);
  int status = 0;
  waitpid(child, &status, 0);
  ASSERT_TRUE(WIFSIGNALED(status));
}

// A version of the writer: one letter, 1,000,001 times.
bool IsWholeVersion(const std::string& name) {
  return name.size() == 1000001 && name.find_first_not_of(name[0]) == std::string::npos;
}

TEST(HostileHost, KilledWritersLeaveWholeFiles) {
  const std::string options = TestDir() + "durable.opt";
  const std::string store_path = SettingsStore::DefaultPath();
  std::remove(store_path.c_str());
  std::mt19937 random(2026);
  int stores = 0, option_files = 0;
  for (int run = 0; run < 200; ++run) {
    KillWriterAtRandom("store", options, random);
    SettingsStore store;  // parses, and names version A or B
    const std::string* name = store.Get("tarvo_in", "file_name");
    ASSERT_NE(name, nullptr) << "run " << run;
    ASSERT_TRUE(IsWholeVersion(*name)) << "run " << run << ": " << name->size();
    ++stores;
  }
  std::remove(store_path.c_str());
  for (int run = 0; run < 200; ++run) {
    KillWriterAtRandom("options", options, random);
    const std::string text = ReadWholeFile(options);
    const std::string tail = "// Tarvo in options\n// \n";
    ASSERT_EQ(text.rfind("-f ", 0), 0u) << "run " << run;
    ASSERT_GE(text.size(), tail.size()) << "run " << run;
    ASSERT_EQ(text.substr(text.size() - tail.size()), tail) << "run " << run;
    ASSERT_TRUE(IsWholeVersion(text.substr(3, text.find('\n') - 3))) << "run " << run;
    ++option_files;
  }
  EXPECT_EQ(stores, 200);
  EXPECT_EQ(option_files, 200);
}

TEST(Slow, TwoGigabytesOfNulBytes) {
  // Every NUL is a line end: 2^31 + 10 bytes of them overflow no counter
  // and no progress position (a sparse file: no disk is used). A word every
  // 64 MiB gives the reader a token, and so a progress check, there.
  const int64_t size = (int64_t{1} << 31) + 10;
  const std::string path = TestDir() + "nul.pov";
  const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(ftruncate(fd, size), 0);
  for (int64_t i = 1; i <= 32; ++i) ASSERT_EQ(pwrite(fd, "x", 1, i << 26), 1);
  close(fd);
  Reading r = ReadScenePath(path);
  // Each word is followed by a NUL: the lines are the NULs, size - 32.
  EXPECT_EQ(r.log,
            "\nMesh Post Processing:\n2147483626 lines parsed\n"
            "1 mesh objects detected\nPost Processing:\nobj_0\n");
  ASSERT_GE(r.progress.size(), 30u);
  EXPECT_EQ(r.progress.front(), std::make_pair(0L, static_cast<long>(size)));
  for (const auto& [position, total] : r.progress) {
    ASSERT_EQ(total, size);
    ASSERT_GE(position, 0);
    ASSERT_LE(position, size);
  }
  EXPECT_GT(r.progress.back().first, int64_t{1} << 31) << "positions past 2 GiB are reported";
  unlink(path.c_str());
}

}  // namespace
