// SPDX-License-Identifier: MIT
// The rename commit through links, for a file with several names, and what
// it syncs when.
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/text_file.h"
#include "app/text_file_posix.h"

namespace kolva::app {
namespace {

namespace fs = std::filesystem;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// The I/O code of a save of "new" into `path`; 0 when it succeeded.
int Save(const std::string& path) {
  try {
    TextFile file(path);
    file.Rewrite(TextFile::Commit::kByRename);
    file.WriteLine("new");
    file.Close();
  } catch (const IoError& error) {
    return error.Code();
  }
  return 0;
}

class TextFileCommitTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kolva-commit-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    fs::create_directory(Path("app"));
    fs::create_directory(Path("shared"));
    WriteBytes(Path("shared/konfig.txt"), "old\r\n");
  }
  void TearDown() override { fs::remove_all(dir_); }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::size_t Entries(const std::string& folder) const {
    return static_cast<std::size_t>(std::distance(fs::directory_iterator(Path(folder)), {}));
  }
  std::string dir_;
};

// app/konfig.txt is a link: the save goes to the file it finally names,
// and the link stays as it was.
TEST_F(TextFileCommitTest, ASaveThroughALinkKeepsTheLinkAndUpdatesItsTarget) {
  const struct {
    const char* what;
    std::string link;   // where app/konfig.txt points
    std::string saved;  // the file that must hold the new contents, "" for none
    int code;
  } cases[] = {
      {"relative", "../shared/konfig.txt", "shared/konfig.txt", 0},
      {"absolute", Path("shared/konfig.txt"), "shared/konfig.txt", 0},
      {"through a second link", "../shared/link.txt", "shared/konfig.txt", 0},
      {"dangling: the file it names is made", "../shared/none.txt", "shared/none.txt", 0},
      {"dangling into a missing folder", "../none/konfig.txt", "", 3},
      {"a loop", "konfig.txt", "", 3},
  };
  const std::string link = Path("app/konfig.txt");
  for (const auto& c : cases) {
    fs::remove(link);
    fs::remove(Path("shared/none.txt"));
    fs::remove(Path("shared/link.txt"));
    fs::create_symlink("konfig.txt", Path("shared/link.txt"));
    WriteBytes(Path("shared/konfig.txt"), "old\r\n");
    fs::create_symlink(c.link, link);
    EXPECT_EQ(Save(link), c.code) << c.what;
    std::error_code notALink;
    EXPECT_EQ(fs::read_symlink(link, notALink), c.link) << c.what;
    if (!c.saved.empty()) {
      EXPECT_EQ(ReadBytes(Path(c.saved)), "new\r\n") << c.what;
    }
    if (c.saved != "shared/konfig.txt") {
      EXPECT_EQ(ReadBytes(Path("shared/konfig.txt")), "old\r\n") << c.what;
    }
    EXPECT_EQ(Entries("app"), 1u) << c.what;
    EXPECT_EQ(Entries("shared"), c.saved == "shared/none.txt" ? 3u : 2u) << c.what;
  }
}

TEST_F(TextFileCommitTest, AFileWithSeveralNamesIsSavedForEveryName) {
  const std::string other = Path("app/konfig.txt");
  fs::create_hard_link(Path("shared/konfig.txt"), other);
  ASSERT_EQ(Save(other), 0);
  EXPECT_EQ(ReadBytes(other), "new\r\n");
  EXPECT_EQ(ReadBytes(Path("shared/konfig.txt")), "new\r\n");
  EXPECT_EQ(fs::hard_link_count(other), 2u);
}

// What a save syncs, in order: the synced thing's kind, its inode, its size,
// and what the target held at that moment.
struct SyncSeen {
  bool folder;
  ino_t inode;
  off_t size;
  std::string targetHeld;
  bool operator==(const SyncSeen&) const = default;
};

std::vector<SyncSeen>* seen = nullptr;
std::string watched;

int RecordingSync(int fd) {
  struct stat info {};
  ::fstat(fd, &info);
  seen->push_back({S_ISDIR(info.st_mode), info.st_ino, S_ISDIR(info.st_mode) ? 0 : info.st_size,
                   ReadBytes(watched)});
  return ::fsync(fd);
}

void PrintTo(const SyncSeen& s, std::ostream* out) {
  *out << (s.folder ? "folder " : "file ") << s.inode << " of " << s.size << " bytes, target held '"
       << s.targetHeld << "'";
}

// The new contents reach the disk before the rename makes them the file's,
// and the rename reaches it after, in the folder of the file a link names.
TEST_F(TextFileCommitTest, TheNewFileIsSyncedBeforeTheRenameAndItsFolderAfter) {
  fs::create_symlink("../shared/konfig.txt", Path("app/konfig.txt"));
  std::vector<SyncSeen> syncs;
  seen = &syncs;
  watched = Path("shared/konfig.txt");
  text_file_posix::syncFunction = RecordingSync;
  const int code = Save(Path("app/konfig.txt"));
  text_file_posix::syncFunction = ::fsync;
  ASSERT_EQ(code, 0);
  struct stat file {};
  ASSERT_EQ(::stat(watched.c_str(), &file), 0);
  struct stat folder {};
  ASSERT_EQ(::stat(Path("shared").c_str(), &folder), 0);
  const std::vector<SyncSeen> expected = {{false, file.st_ino, 5, "old\r\n"},
                                          {true, folder.st_ino, 0, "new\r\n"}};
  EXPECT_EQ(syncs, expected);
}

}  // namespace
}  // namespace kolva::app
