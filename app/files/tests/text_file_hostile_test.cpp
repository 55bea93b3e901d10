// SPDX-License-Identifier: MIT
// The text-file layer against files that are not what they should be, and
// the rename commit's care for the file it replaces.
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/files/tests/child_process.h"
#include "app/files/text_file.h"
#include "app/files/text_file_posix.h"

namespace kolva::app {
namespace {

namespace fs = std::filesystem;
using testing::DropToUnprivileged;
using testing::kSetupRefused;
using testing::RunInChild;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int CodeOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const IoError& error) {
    return error.Code();
  }
  return 0;
}

void Save(const std::string& path, const std::string& line) {
  TextFile file(path);
  file.Rewrite(TextFile::Commit::kByRename);
  file.WriteLine(line);
  file.Close();
}

class TextFileHostileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kolva-hostile-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::chmod(dir_.c_str(), 0755);  // an unprivileged child must reach it
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<std::string> Entries(const std::string& folder = "") const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(Path(folder))) {
      names.push_back(entry.path().filename());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  std::string dir_;
};

// Every case would block for ever in an open that waits for the FIFO's
// other end, or read without end.
TEST_F(TextFileHostileTest, FilesThatAreNotRegularAreRefusedWithoutWaiting) {
  const std::string fifo = Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  const std::string zeroLink = Path("zero");
  fs::create_symlink("/dev/zero", zeroLink);
  const struct {
    const char* what;
    std::function<void()> operation;
  } cases[] = {
      {"read a FIFO", [&] { TextFile(fifo).Reset(); }},
      {"read a link to /dev/zero", [&] { TextFile(zeroLink).Reset(); }},
      {"read a folder", [&] { TextFile(dir_).Reset(); }},
      {"write a FIFO nobody reads", [&] { TextFile(fifo).Rewrite(); }},
      {"commit over a FIFO", [&] { TextFile(fifo).Rewrite(TextFile::Commit::kByRename); }},
      {"commit over /dev/zero", [&] { TextFile(zeroLink).Rewrite(TextFile::Commit::kByRename); }},
  };
  for (const auto& c : cases) EXPECT_EQ(CodeOf(c.operation), 5) << c.what;

  // A FIFO that has a reader takes the lines (a recording into a pipe).
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_EQ(CodeOf([&] {
              TextFile file(fifo);
              file.Rewrite();
              file.WriteLine("piped");
              file.Close();
            }),
            0);
  char got[16] = {};
  EXPECT_EQ(::read(reader, got, sizeof got), 7);
  EXPECT_EQ(std::string(got, 7), "piped\r\n");
  ::close(reader);
  // Devices that never block still take output.
  EXPECT_EQ(CodeOf([] {
              TextFile file("/dev/null");
              file.Rewrite();
              file.WriteLine("gone");
              file.Close();
            }),
            0);
}

// A file a locked use writes is refused to a second one, in this process
// or another, before anything of it is emptied, until the first is closed.
// Devices and FIFOs are never locked: two uses at once write them.
TEST_F(TextFileHostileTest, ALockedFileIsRefusedWholeUntilItsUseCloses) {
  const auto rewrite = [](const std::string& path) {
    return [path] {
      TextFile file(path);
      file.Rewrite(TextFile::Commit::kInPlace, TextFile::Lock::kExclusive);
      file.WriteLine("second");
      file.Close();
    };
  };
  const std::string results = Path("results.txt");
  WriteBytes(results, "from before\r\n");
  TextFile first(results);
  first.Rewrite(TextFile::Commit::kInPlace, TextFile::Lock::kExclusive);
  first.WriteLine("first");
  first.Flush();
  EXPECT_EQ(CodeOf(rewrite(results)), 5);
  EXPECT_EQ(RunInChild([] { return true; }, [&] { return CodeOf(rewrite(results)); }), 5);
  EXPECT_EQ(ReadBytes(results), "first\r\n");
  first.WriteLine("more");
  first.Close();
  EXPECT_EQ(ReadBytes(results), "first\r\nmore\r\n");
  EXPECT_EQ(CodeOf(rewrite(results)), 0);
  EXPECT_EQ(ReadBytes(results), "second\r\n");

  const std::string fifo = Path("fifo");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0666), 0);
  const int reader = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  for (const std::string& path : {std::string("/dev/null"), fifo}) {
    TextFile held(path);
    held.Rewrite(TextFile::Commit::kInPlace, TextFile::Lock::kExclusive);
    EXPECT_EQ(CodeOf(rewrite(path)), 0) << path;
    held.Close();
  }
  ::close(reader);
}

TEST_F(TextFileHostileTest, ALineReadKeepsAtMostItsLimit) {
  WriteBytes(Path("in.txt"), std::string(10000, 'a') + "\r\n12345\r\n1234\x1a");
  TextFile file(Path("in.txt"));
  file.Reset();
  bool cut = false;
  EXPECT_EQ(file.ReadLine(5, cut), "aaaaa");
  EXPECT_TRUE(cut);
  EXPECT_EQ(file.ReadLine(5, cut), "12345");
  EXPECT_FALSE(cut);
  EXPECT_EQ(file.ReadLine(5, cut), "1234");
  EXPECT_FALSE(cut);
  EXPECT_EQ(file.ReadLine(5, cut), "");
  file.Close();
}

// The README allows a run as root: its save must leave the operator's file
// as the operator's, so the operator's next save still works.
TEST_F(TextFileHostileTest, ASaveAsRootKeepsTheOwnerAndTheUserSavesAfterIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to own files for another user";
  const std::string konfig = Path("konfig.txt");
  ::chmod(dir_.c_str(), 0777);
  WriteBytes(konfig, "user\r\n");
  ASSERT_EQ(::chown(konfig.c_str(), 65534, 65534), 0);
  ASSERT_EQ(::chmod(konfig.c_str(), 0640), 0);

  Save(konfig, "root");
  struct stat info {};
  ASSERT_EQ(::stat(konfig.c_str(), &info), 0);
  EXPECT_EQ(info.st_uid, 65534u);
  EXPECT_EQ(info.st_gid, 65534u);
  EXPECT_EQ(info.st_mode & 07777, 0640u);
  EXPECT_EQ(ReadBytes(konfig), "root\r\n");

  const int code =
      RunInChild(DropToUnprivileged, [&] { return CodeOf([&] { Save(konfig, "user"); }); });
  ASSERT_NE(code, kSetupRefused);
  EXPECT_EQ(code, 0);
  EXPECT_EQ(ReadBytes(konfig), "user\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"konfig.txt"});
}

// Where no new file can be made, or the owner could not be kept, the save
// rewrites the file in place rather than fail.
TEST_F(TextFileHostileTest, AWritableFileIsSavedWhereARenameCannotBeUsed) {
  const std::string closed = Path("closed");  // the folder takes no new file
  fs::create_directory(closed);
  WriteBytes(closed + "/konfig.txt", "old\r\n");
  ::chmod((closed + "/konfig.txt").c_str(), 0666);
  ::chmod(closed.c_str(), 0555);
  const std::string open = Path("open");  // a file of another owner, writable by all
  fs::create_directory(open);
  WriteBytes(open + "/konfig.txt", "old\r\n");
  ::chmod((open + "/konfig.txt").c_str(), 0666);
  ::chmod(open.c_str(), 0777);
  for (const std::string& folder : {closed, open}) {
    const int code = RunInChild(
        DropToUnprivileged, [&] { return CodeOf([&] { Save(folder + "/konfig.txt", "new"); }); });
    if (code == kSetupRefused) GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(code, 0) << folder;
    EXPECT_EQ(ReadBytes(folder + "/konfig.txt"), "new\r\n") << folder;
    EXPECT_EQ(fs::status(folder + "/konfig.txt").permissions(), fs::perms(0666)) << folder;
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), {}), 1) << folder;
  }
  ::chmod(closed.c_str(), 0755);
}

// A save killed while it writes leaves the old file and nothing else; a
// temporary name a save killed just before its rename left behind goes at
// the next save.
TEST_F(TextFileHostileTest, NoTemporaryFileOutlivesASave) {
  const std::string konfig = Path("konfig.txt");
  WriteBytes(konfig, "old\r\n");
  const int status = RunInChild([] { return true; },
                                [&] {
                                  TextFile file(konfig);
                                  file.Rewrite(TextFile::Commit::kByRename);
                                  file.WriteLine(std::string(100000, 'x'));
                                  file.Flush();
                                  ::kill(::getpid(), SIGKILL);
                                  return 0;
                                });
  EXPECT_EQ(status, -1) << "the child was killed";
  EXPECT_EQ(ReadBytes(konfig), "old\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"konfig.txt"});

  WriteBytes(konfig + ".tmp", "stale");
  Save(konfig, "new");
  EXPECT_EQ(ReadBytes(konfig), "new\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"konfig.txt"});
}

// app/konfig.txt is a link: the save goes to the file it finally names, and
// the link stays as it was.
TEST_F(TextFileHostileTest, ASaveThroughALinkKeepsTheLinkAndUpdatesItsTarget) {
  const struct {
    const char* what;
    std::string link;   // where app/konfig.txt points
    std::string saved;  // the file that must hold the new contents, "" for none
    int code;
  } cases[] = {
      {"relative", "../shared/konfig.txt", "konfig.txt", 0},
      {"absolute", Path("shared/konfig.txt"), "konfig.txt", 0},
      {"through a second link", "../shared/link.txt", "konfig.txt", 0},
      {"dangling: the file it names is made", "../shared/none.txt", "none.txt", 0},
      {"dangling into a missing folder", "../none/konfig.txt", "", 3},
      {"a loop", "konfig.txt", "", 3},
  };
  const std::string link = Path("app/konfig.txt");
  for (const auto& c : cases) {
    fs::remove_all(Path("app"));
    fs::remove_all(Path("shared"));
    fs::create_directory(Path("app"));
    fs::create_directory(Path("shared"));
    WriteBytes(Path("shared/konfig.txt"), "old\r\n");
    fs::create_symlink("konfig.txt", Path("shared/link.txt"));
    fs::create_symlink(c.link, link);
    EXPECT_EQ(CodeOf([&] { Save(link, "new"); }), c.code) << c.what;
    std::error_code notALink;
    EXPECT_EQ(fs::read_symlink(link, notALink), c.link) << c.what;
    std::vector<std::string> shared = {"konfig.txt", "link.txt"};
    if (!c.saved.empty()) {
      EXPECT_EQ(ReadBytes(Path("shared/" + c.saved)), "new\r\n") << c.what;
      if (c.saved == "none.txt") shared.push_back("none.txt");
    }
    if (c.saved != "konfig.txt") {
      EXPECT_EQ(ReadBytes(Path("shared/konfig.txt")), "old\r\n") << c.what;
    }
    EXPECT_EQ(Entries("app"), std::vector<std::string>{"konfig.txt"}) << c.what;
    EXPECT_EQ(Entries("shared"), shared) << c.what;
  }
}

TEST_F(TextFileHostileTest, AFileWithSeveralNamesIsSavedForEveryName) {
  WriteBytes(Path("konfig.txt"), "old\r\n");
  fs::create_hard_link(Path("konfig.txt"), Path("other.txt"));
  Save(Path("other.txt"), "new");
  EXPECT_EQ(ReadBytes(Path("konfig.txt")), "new\r\n");
  EXPECT_EQ(ReadBytes(Path("other.txt")), "new\r\n");
  EXPECT_EQ(fs::hard_link_count(Path("other.txt")), 2u);
}

// What a save syncs, in order: the inode synced (and a file's size), and
// what the target held at that moment.
std::vector<std::string>* syncs = nullptr;
std::string watched;

int RecordingSync(int fd) {
  struct stat info {};
  ::fstat(fd, &info);
  const std::string size = S_ISDIR(info.st_mode) ? "" : " of " + std::to_string(info.st_size);
  syncs->push_back(std::to_string(info.st_ino) + size + ", target " + ReadBytes(watched));
  return ::fsync(fd);
}

// The new contents reach the disk before the rename makes them the file's,
// and the rename reaches it after, in the folder of the file a link names.
TEST_F(TextFileHostileTest, TheNewFileIsSyncedBeforeTheRenameAndItsFolderAfter) {
  fs::create_directory(Path("shared"));
  watched = Path("shared/konfig.txt");
  WriteBytes(watched, "old\r\n");
  fs::create_symlink("shared/konfig.txt", Path("konfig.txt"));
  std::vector<std::string> seen;
  syncs = &seen;
  text_file_posix::syncFunction = RecordingSync;
  const int code = CodeOf([&] { Save(Path("konfig.txt"), "new"); });
  text_file_posix::syncFunction = ::fsync;
  ASSERT_EQ(code, 0);
  const auto inode = [&](const std::string& name) {
    struct stat info {};
    ::stat(Path(name).c_str(), &info);
    return std::to_string(info.st_ino);
  };
  EXPECT_EQ(seen, (std::vector<std::string>{inode("shared/konfig.txt") + " of 5, target old\r\n",
                                            inode("shared") + ", target new\r\n"}));
}

}  // namespace
}  // namespace kolva::app
