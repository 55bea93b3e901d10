// SPDX-License-Identifier: MIT
#include "app/files/text_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <grp.h>
#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "app/files/tests/child_process.h"

namespace kolva::app {
namespace {

namespace fs = std::filesystem;
using testing::DropToUnprivileged;
using testing::kSetupRefused;
using testing::MountPrivateTmpfs;
using testing::RunInChild;

constexpr int kNoError = 0;

void WriteBytes(const std::string& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

int OpenDescriptorCount() {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator("/proc/self/fd")) ++count;
  return count;
}

int CodeOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const IoError& error) {
    return error.Code();
  }
  return kNoError;
}

// The I/O code `operation` raised in a child set up by `setUp`.
int CodeInChild(const std::function<bool()>& setUp, const std::function<void()>& operation) {
  return RunInChild(setUp, [&] { return CodeOf(operation); });
}

class TextFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/kolva-text-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    ::chmod(dir_.c_str(), 0755);  // an unprivileged child must reach it
  }
  void TearDown() override {
    for (const auto& entry : fs::recursive_directory_iterator(dir_)) {
      if (entry.is_directory()) ::chmod(entry.path().c_str(), 0755);
    }
    fs::remove_all(dir_);
  }
  std::string Path(const std::string& name) const { return dir_ + "/" + name; }
  std::vector<std::string> Entries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) names.push_back(entry.path().filename());
    return names;
  }

  std::string dir_;
};

TEST_F(TextFileTest, ReadsLinesByEachLineEndAndStopsAtCtrlZ) {
  const std::string chunk(4095, 'a');  // puts a CR LF across the buffer edge
  const struct {
    std::string bytes;
    std::vector<std::string> lines;  // followed by empty lines past the end
  } cases[] = {
      {"", {}},
      {"one\r\ntwo\r\n", {"one", "two"}},
      {"one\rtwo\rthree", {"one", "two", "three"}},
      {"one\ntwo\n", {"one", "two"}},
      {"a\r\n\r\nb\n\rc", {"a", "", "b", "", "c"}},
      {"last line without end", {"last line without end"}},
      {"12\x1a"
       "34\r\nlost\r\n",
       {"12"}},
      {"\x1a"
       "after",
       {}},
      {"x\r\n\x1a\r\nlost", {"x"}},
      {std::string(" \xb1\xff\x80\x00 z \r\n", 10) + "\t0,75 ",
       {std::string(" \xb1\xff\x80\x00 z ", 8), "\t0,75 "}},
      {chunk + "\r\nnext\r\n", {chunk, "next"}},
      {std::string(9000, 'b') + "\n", {std::string(9000, 'b')}},
  };
  const std::string path = Path("in.txt");
  for (const auto& c : cases) {
    WriteBytes(path, c.bytes);
    TextFile file(path);
    file.Reset();
    for (const auto& expected : c.lines) EXPECT_EQ(file.ReadLine(), expected);
    EXPECT_EQ(file.ReadLine(), "") << "past the end";
    EXPECT_EQ(file.ReadLine(), "") << "past the end";
    file.Close();
  }
}

TEST_F(TextFileTest, WritesCrLfLinesThroughABuffer) {
  const std::string path = Path("out.txt");
  WriteBytes(path, "old content that must go");
  TextFile file(path);
  file.Rewrite();
  file.WriteLine("0,5");
  file.WriteLine(std::string("\xe9\x00x", 3));
  file.Write("no end");
  EXPECT_EQ(ReadBytes(path), "") << "lines are not written one by one";
  file.Flush();
  EXPECT_EQ(ReadBytes(path), std::string("0,5\r\n\xe9\x00x\r\nno end", 16));
  std::string expected = ReadBytes(path);
  for (int i = 0; i < 2000; ++i) {
    file.WriteLine(std::to_string(i));
    expected += std::to_string(i) + "\r\n";
  }
  file.Close();
  EXPECT_EQ(ReadBytes(path), expected);
}

// A line whose text fits the buffer but whose CR LF does not, after a few
// bytes already held: after every WriteLine and Flush the file holds whole
// lines of what was written, and the buffer holds at most its size.
TEST_F(TextFileTest, TheFileEndsInAWholeLineAfterEveryWrite) {
  constexpr std::size_t kBuffer = 4096;
  const std::string path = Path("edge.txt");
  for (const std::size_t held : {0, 2, 3, 5, 102}) {
    for (const std::size_t room : {kBuffer - held, kBuffer}) {
      for (std::size_t length = room - 4; length <= room; ++length) {
        TextFile file(path);
        file.Rewrite();
        std::string written;
        const auto check = [&](const char* after) {
          const std::string disk = ReadBytes(path);
          const bool whole = disk.empty() || disk.ends_with("\r\n");
          EXPECT_TRUE(whole && written.starts_with(disk) && written.size() - disk.size() <= kBuffer)
              << after << ", " << held << " bytes held, a line of " << length << ": " << disk.size()
              << " of " << written.size() << " bytes on disk";
        };
        const auto line = [&](const std::string& text) {
          file.WriteLine(text);
          written += text + "\r\n";
          check("WriteLine");
        };
        if (held > 0) line(std::string(held - 2, 'h'));
        line(std::string(length, 'x'));
        line("after");
        file.Flush();
        check("Flush");
        EXPECT_EQ(ReadBytes(path), written);
        for (int i = 0; i < 3; ++i) line(std::string(kBuffer - 3 + i, static_cast<char>('a' + i)));
        file.Close();
        EXPECT_EQ(ReadBytes(path), written);
      }
    }
  }
}

TEST_F(TextFileTest, FileSystemErrorsCarryTheirCodes) {
  WriteBytes(Path("plain"), "x\r\n");
  fs::create_directory(Path("folder"));
  const std::string tooLong = Path(std::string(300, 'n'));
  const struct {
    const char* what;
    std::function<void()> operation;
    int code;
  } cases[] = {
      {"missing file", [&] { TextFile(Path("absent.txt")).Reset(); }, 2},
      {"missing folder, read", [&] { TextFile(Path("none/bar.txt")).Reset(); }, 3},
      {"missing folder, create", [&] { TextFile(Path("none/out.txt")).Rewrite(); }, 3},
      {"file as folder", [&] { TextFile(Path("plain/x.txt")).Reset(); }, 3},
      {"name too long", [&] { TextFile(tooLong).Rewrite(); }, 3},
      {"empty name", [&] { TextFile("").Reset(); }, 3},
      {"folder as file, create", [&] { TextFile(Path("folder")).Rewrite(); }, 5},
      {"folder as file, read",
       [&] {
         TextFile file(Path("folder"));
         file.Reset();
         file.ReadLine();
       },
       5},
      {"missing folder, commit by rename",
       [&] { TextFile(Path("none/k.txt")).Rewrite(TextFile::Commit::kByRename); }, 3},
      {"folder as target, commit by rename",
       [&] { TextFile(Path("folder")).Rewrite(TextFile::Commit::kByRename); }, 5},
  };
  for (const auto& c : cases) EXPECT_EQ(CodeOf(c.operation), c.code) << c.what;
}

TEST_F(TextFileTest, MisuseRaisesTheLayersOwnCodes) {
  WriteBytes(Path("plain"), "x\r\n");
  TextFile file(Path("plain"));
  EXPECT_EQ(CodeOf([&] { file.ReadLine(); }), 103);
  EXPECT_EQ(CodeOf([&] { file.Close(); }), 103);
  file.Reset();
  EXPECT_EQ(CodeOf([&] { file.WriteLine("y"); }), 105);
  file.Rewrite();
  EXPECT_EQ(CodeOf([&] { file.ReadLine(); }), 104);
  file.Close();
}

TEST(IoErrorFromErrnoTest, UnlistedNumbersNeverBorrowATableMessage) {
  const struct {
    int errnum;
    int code;
    const char* message;
  } cases[] = {
      {ENOENT, 2, "File not found"},       {EINVAL, 3, "Invalid filename"},
      {ENFILE, 4, "Too many open files"},  {EROFS, 5, "File access denied"},
      {EDQUOT, 101, "Disk full"},          {EXDEV, EXDEV, "I/O error 18"},
      {EIO, EIO, "I/O error 5"},           {ENETUNREACH, ENETUNREACH, "I/O error 101"},
      {EISCONN, EISCONN, "I/O error 106"},
  };
  for (const auto& c : cases) {
    const IoError error = IoErrorFromErrno(c.errnum);
    EXPECT_EQ(error.Code(), c.code) << c.errnum;
    EXPECT_STREQ(error.what(), c.message) << c.errnum;
  }
}

TEST_F(TextFileTest, DeniedAccessIsCodeFive) {
  const std::string readOnly = Path("ro.txt");
  WriteBytes(readOnly, "keep\r\n");
  ::chmod(readOnly.c_str(), 0444);
  const std::string secret = Path("secret.txt");
  WriteBytes(secret, "x");
  ::chmod(secret.c_str(), 0200);
  const std::string open = Path("open");  // anyone may create files here
  fs::create_directory(open);
  ::chmod(open.c_str(), 0777);
  const std::string openReadOnly = open + "/ro.txt";
  WriteBytes(openReadOnly, "keep\r\n");
  ::chmod(openReadOnly.c_str(), 0444);
  const std::string locked = Path("locked");
  fs::create_directory(locked);
  ::chmod(locked.c_str(), 0555);
  const struct {
    const char* what;
    std::function<void()> operation;
  } cases[] = {
      {"read-only file", [&] { TextFile(readOnly).Rewrite(); }},
      {"read-only file in an open folder, by rename",
       [&] { TextFile(openReadOnly).Rewrite(TextFile::Commit::kByRename); }},
      {"unreadable file", [&] { TextFile(secret).Reset(); }},
      {"unwritable folder", [&] { TextFile(locked + "/new.txt").Rewrite(); }},
      {"unwritable folder, by rename",
       [&] { TextFile(locked + "/new.txt").Rewrite(TextFile::Commit::kByRename); }},
  };
  for (const auto& c : cases) {
    const int code = CodeInChild(DropToUnprivileged, c.operation);
    if (code == kSetupRefused) GTEST_SKIP() << "cannot become an unprivileged user here";
    EXPECT_EQ(code, 5) << c.what;
  }
  EXPECT_EQ(ReadBytes(readOnly), "keep\r\n");
  EXPECT_EQ(ReadBytes(openReadOnly), "keep\r\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(open), {}), 1);
  EXPECT_TRUE(fs::is_empty(locked));
}

TEST_F(TextFileTest, ReadOnlyFileSystemIsCodeFive) {
  const std::string mountPoint = Path("ro");
  fs::create_directory(mountPoint);
  const int code = CodeInChild([&] { return MountPrivateTmpfs(mountPoint, "ro,size=64k"); },
                               [&] { TextFile(mountPoint + "/k.txt").Rewrite(); });
  if (code == kSetupRefused) GTEST_SKIP() << "cannot mount a tmpfs here";
  EXPECT_EQ(code, 5);
}

TEST_F(TextFileTest, TooManyOpenFilesIsCodeFour) {
  WriteBytes(Path("a.txt"), "a");
  const auto exhaust = [] {
    const rlimit limit{32, 32};
    if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return false;
    while (::open("/dev/null", O_RDONLY) >= 0) {
    }
    return errno == EMFILE;
  };
  EXPECT_EQ(CodeInChild(exhaust, [&] { TextFile(Path("a.txt")).Reset(); }), 4);
  EXPECT_EQ(CodeInChild(exhaust, [&] { TextFile(Path("b.txt")).Rewrite(); }), 4);
}

TEST_F(TextFileTest, FullDeviceFailsAtTheOperationThatWritesAndCloseReleases) {
  const int before = OpenDescriptorCount();
  TextFile file("/dev/full");
  file.Rewrite();
  file.WriteLine("fits in the buffer");
  EXPECT_EQ(CodeOf([&] { file.Flush(); }), 101);
  file.WriteLine("again");
  EXPECT_EQ(CodeOf([&] { file.Close(); }), 101);
  EXPECT_FALSE(file.IsOpen());
  EXPECT_EQ(OpenDescriptorCount(), before);

  file.Rewrite();
  EXPECT_EQ(CodeOf([&] { file.WriteLine(std::string(10000, 'z')); }), 101);
  EXPECT_EQ(CodeOf([&] { file.Close(); }), kNoError) << "the failed bytes are not raised twice";
  EXPECT_EQ(OpenDescriptorCount(), before);
}

TEST_F(TextFileTest, CommitByRenameReplacesOnlyOnASuccessfulClose) {
  const std::string target = Path("konfig.txt");
  WriteBytes(target, "old\r\n");
  ::chmod(target.c_str(), 0640);
  {
    TextFile file(target);
    file.Rewrite(TextFile::Commit::kByRename);
    file.WriteLine("new");
    file.Flush();
    EXPECT_EQ(ReadBytes(target), "old\r\n");
  }  // dropped without Close: nothing is committed
  EXPECT_EQ(ReadBytes(target), "old\r\n");
  EXPECT_EQ(Entries(), std::vector<std::string>{"konfig.txt"});

  TextFile file(target);
  const mode_t mask = ::umask(077);  // the kept mode must not be narrowed
  file.Rewrite(TextFile::Commit::kByRename);
  ::umask(mask);
  file.WriteLine("new");
  file.Close();
  EXPECT_EQ(ReadBytes(target), "new\r\n");
  EXPECT_EQ(fs::status(target).permissions(), fs::perms(0640));
  EXPECT_EQ(Entries(), std::vector<std::string>{"konfig.txt"});
}

TEST_F(TextFileTest, CommitByRenameKeepsTheOldFileWhenTheDiskFills) {
  const std::string mountPoint = Path("small");
  fs::create_directory(mountPoint);
  const std::string target = mountPoint + "/konfig.txt";
  // Each check is one bit of the child's answer, read where the mount lives.
  const int code = RunInChild(
      [&] {
        if (!MountPrivateTmpfs(mountPoint, "size=16k")) return false;
        WriteBytes(target, "old\r\n");
        return ReadBytes(target) == "old\r\n";
      },
      [&] {
        TextFile file(target);
        file.Rewrite(TextFile::Commit::kByRename);
        const int writeCode = CodeOf([&] {
          for (int i = 0; i < 100; ++i) file.WriteLine(std::string(1000, 'n'));
        });
        const int closeCode = CodeOf([&] { file.Close(); });
        const auto entries = std::distance(fs::directory_iterator(mountPoint), {});
        return (writeCode == 101 ? 0 : 1) | (closeCode == 101 ? 0 : 2) |
               (ReadBytes(target) == "old\r\n" ? 0 : 4) | (entries == 1 ? 0 : 8);
      });
  if (code == kSetupRefused) GTEST_SKIP() << "cannot mount a tmpfs here";
  EXPECT_EQ(code, 0)
      << "1: write, 2: Close did not raise Disk full; 4: old file lost; 8: leftovers";
}

}  // namespace
}  // namespace kolva::app
