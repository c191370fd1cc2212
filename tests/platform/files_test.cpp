#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include <brv_platform/files.h>

#include "support/temp_dir.h"

namespace brv::platform {
namespace {

std::string slurp(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream s;
  s << in.rdbuf();
  return s.str();
}

TEST(Files, OnlyRegularFilesAreInputs) {
  test::TempDir dir;
  const std::string regular = dir.file("a.dat");
  test::write_bytes(regular, {1, 2, 3});
  const std::string fifo = dir.file("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  struct Case {
    std::string path;
    bool accepted;
    std::string why;
  } const cases[] = {
      {regular, true, ""},
      {dir.file(""), false, "Is a directory"},
      {fifo, false, "not a regular file"},
      {"/dev/null", false, "not a regular file"},
      {dir.file("missing"), false, "No such file or directory"},
  };
  for (const auto& c : cases) {
    std::string why;
    uint64_t size = 0;
    const int fd = open_input(c.path, why, &size);
    EXPECT_EQ(fd >= 0, c.accepted) << c.path;
    EXPECT_EQ(why, c.why) << c.path;
    if (fd >= 0) {
      EXPECT_EQ(size, 3u);
      uint8_t b[8];
      EXPECT_EQ(read_at(fd, b, sizeof b, 1), 2);
      ::close(fd);
    }
  }
}

TEST(Files, AnOutputIsRecognisedUnderAnyOfItsNames) {
  test::TempDir dir;
  const std::string input = dir.file("in.dat");
  test::write_bytes(input, {1});
  std::filesystem::create_symlink(input, dir.file("link.dat"));
  std::filesystem::create_hard_link(input, dir.file("hard.dat"));
  test::write_bytes(dir.file("other.dat"), {1});
  const std::string relative = std::filesystem::relative(input).string();
  EXPECT_TRUE(names_an_input(input, {"x", input}));
  EXPECT_TRUE(names_an_input(dir.file("link.dat"), {input}));
  EXPECT_TRUE(names_an_input(dir.file("hard.dat"), {input}));
  EXPECT_TRUE(names_an_input(relative, {input}));
  EXPECT_FALSE(names_an_input(dir.file("other.dat"), {input}));
  EXPECT_FALSE(names_an_input(dir.file("new.dat"), {input}));
}

TEST(Files, AtomicFileReplacesOnlyWhenComplete) {
  test::TempDir dir;
  const std::string target = dir.file("out.txt");
  test::write_bytes(target, {'o', 'l', 'd'});
  ::chmod(target.c_str(), 0640);
  {
    AtomicFile f;
    ASSERT_TRUE(f.open(target));
    ASSERT_TRUE(f.write("new text"));
    // Not committed: the old file stays and no temporary is left behind.
  }
  EXPECT_EQ(slurp(target), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.file("")), {}), 1);
  AtomicFile f;
  ASSERT_TRUE(f.open(target));
  ASSERT_TRUE(f.write("new text"));
  ASSERT_TRUE(f.commit());
  EXPECT_EQ(slurp(target), "new text");
  struct stat st {};
  ASSERT_EQ(::stat(target.c_str(), &st), 0);
  EXPECT_EQ(st.st_mode & 0777, 0640u);

  // Through a link, the linked file is replaced and the link stays a link.
  std::filesystem::create_symlink(target, dir.file("link.txt"));
  AtomicFile g;
  ASSERT_TRUE(g.open(dir.file("link.txt")));
  ASSERT_TRUE(g.write("via link") && g.commit());
  EXPECT_EQ(slurp(target), "via link");
  EXPECT_TRUE(std::filesystem::is_symlink(dir.file("link.txt")));
}

TEST(Files, WriteFailuresAreReported) {
  AtomicFile full;
  ASSERT_TRUE(full.open("/dev/full"));
  EXPECT_FALSE(full.write(std::string(100, 'x')));
  EXPECT_EQ(full.error(), "No space left on device");
  EXPECT_FALSE(full.commit());

  AtomicFile folder;
  EXPECT_FALSE(folder.open("/tmp"));
  EXPECT_EQ(folder.error(), "Is a directory");
  AtomicFile nowhere;
  EXPECT_FALSE(nowhere.open("/nonexistent-dir/x.txt"));

  const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
  ASSERT_GE(fd, 0);
  BufferedOutput out(fd, 16);
  out.append("short");
  EXPECT_FALSE(out.failed());
  out.append(std::string(32, 'x'));
  EXPECT_TRUE(out.failed());
  EXPECT_EQ(out.error(), ENOSPC);
  ::close(fd);
}

}  // namespace
}  // namespace brv::platform
