// SPDX-License-Identifier: MIT
// The text-file layer's commit by rename: the new file, its name, the
// rename and the folder's sync.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <utility>

#include "app/files/text_file.h"
#include "app/files/text_file_posix.h"

namespace kolva::app {
namespace {

using namespace text_file_posix;

// The folder a name lies in, as a path to open.
std::string FolderOf(const std::string& name) {
  const auto slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : name.substr(0, slash);
}

// The links a name may pass through before the system gives up (ELOOP).
constexpr int kMaxLinks = 40;

// The file `name` finally stands for: symbolic links followed one by one,
// each relative one from the folder it lies in, so that a save replaces the
// file a link points to and keeps the link. A link that points nowhere
// gives the name it points to. Where a link cannot be read the name is
// answered as it is, and opening it reports the failure.
std::string FinalTarget(const std::string& name) {
  std::string path = name;
  for (int links = 0;; ++links) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return path;
    if (links == kMaxLinks) throw IoErrorFromErrno(ELOOP);
    char text[PATH_MAX];
    const ssize_t length = ::readlink(path.c_str(), text, sizeof text);
    if (length < 0) return path;
    if (static_cast<std::size_t>(length) == sizeof text) throw IoErrorFromErrno(ENAMETOOLONG);
    const std::string link(text, static_cast<std::size_t>(length));
    if (link.starts_with('/')) {
      path = link;
    } else {
      const std::string folder = FolderOf(path);
      path = (folder == "/" ? folder : folder + "/") + link;
    }
  }
}

void SyncFolder(const std::string& folder) {
  const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) throw IoErrorFromErrno(errno);
  const bool synced = Sync(fd) == 0 || errno == EINVAL;  // EINVAL: nothing to sync there
  const int errnum = errno;
  ::close(fd);
  if (!synced) throw IoErrorFromErrno(errnum);
}

}  // namespace

// Opens the new contents of a rename commit: an unnamed file in the target's
// folder (O_TMPFILE), so that a process killed while writing leaves nothing
// behind; a named "<target>.tmp" where the file system has no unnamed files.
// The target is the file the name finally stands for (links followed). An
// existing target must be a regular file the caller may write (opened for
// writing first, so a read-only target is refused as an in-place rewrite
// would be), and the new file takes its mode, owner and group. When the
// target has other names (a rename would part them from the new contents),
// the folder cannot take a new file, or the target's owner cannot be kept,
// the target is rewritten in place instead.
int TextFile::OpenForCommit() {
  target_ = FinalTarget(name_);
  const int target = OpenRetrying(target_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
  struct stat info {};
  if (target < 0) {
    if (errno == ENXIO) throw IoError(5);
    if (errno != ENOENT) throw IoErrorFromErrno(errno);
  } else if (::fstat(target, &info) != 0 || !S_ISREG(info.st_mode)) {
    RefuseKind(target);
  }
  int errnum = 0;
  if (target < 0 || info.st_nlink == 1) {
    const int fd = OpenNewFile(target >= 0 ? &info : nullptr, errnum);
    if (fd >= 0) {
      if (target >= 0) ::close(target);
      return fd;
    }
    // Only a refusal falls back to the old way: a full disk must not cost
    // the old file by a truncation.
    if (target < 0 || (errnum != EACCES && errnum != EPERM)) {
      if (target >= 0) ::close(target);
      throw errnum == ENOENT ? IoError(kInvalidFilename) : IoErrorFromErrno(errnum);
    }
  }
  // Other names, a folder that refuses a new file, or an owner that cannot
  // be kept: in place.
  commit_ = Commit::kInPlace;
  if (::ftruncate(target, 0) != 0 || !MakeBlocking(target)) {
    errnum = errno;
    ::close(target);
    throw IoErrorFromErrno(errnum);
  }
  return target;
}

// The new file of a rename commit, with the mode, owner and group of `old`
// when there is an old file; -1 with `errnum` set when it cannot be had.
int TextFile::OpenNewFile(const struct stat* old, int& errnum) {
  const mode_t permissions = old != nullptr ? (old->st_mode & 07777) : 0666;
  int fd = OpenRetrying(FolderOf(target_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, permissions);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    temporary_ = target_ + ".tmp";
    ::unlink(temporary_.c_str());  // left by a save killed before its rename
    fd = OpenRetrying(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOCTTY,
                      permissions);
  }
  // The umask must not narrow a kept mode, and a run as root must not take
  // the operator's file away.
  if (fd >= 0 && (old == nullptr || (::fchmod(fd, permissions) == 0 &&
                                     ::fchown(fd, old->st_uid, old->st_gid) == 0))) {
    return fd;
  }
  errnum = errno;
  if (fd >= 0) ::close(fd);
  if (!temporary_.empty()) ::unlink(std::exchange(temporary_, std::string()).c_str());
  return -1;
}

// Links an unnamed file as "<target>.tmp", replacing one that a save killed
// between its link and its rename left there. A named file has its name.
void TextFile::NameTemporary() {
  if (!temporary_.empty()) return;
  const std::string name = target_ + ".tmp";
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0;; ++attempt) {
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
    if (errno != EEXIST || attempt > 0 || ::unlink(name.c_str()) != 0) Fail(errno);
  }
  temporary_ = name;
}

// Renames the named file over the target and makes the rename last.
void TextFile::RenameIntoPlace() {
  if (::rename(temporary_.c_str(), target_.c_str()) != 0) throw IoErrorFromErrno(errno);
  temporary_.clear();
  SyncFolder(FolderOf(target_));
}

}  // namespace kolva::app
