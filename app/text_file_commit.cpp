// SPDX-License-Identifier: MIT
// The text-file layer's commit by rename: the new file, its name, the
// rename and the folder's sync.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>
#include <utility>

#include "app/text_file.h"
#include "app/text_file_posix.h"

namespace kolva::app {
namespace {

using namespace text_file_posix;

// The folder a name lies in, as a path to open.
std::string FolderOf(const std::string& name) {
  const auto slash = name.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? std::string("/") : name.substr(0, slash);
}

void SyncFolder(const std::string& folder) {
  const int fd = OpenRetrying(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC, 0);
  if (fd < 0) throw IoErrorFromErrno(errno);
  const bool synced = ::fsync(fd) == 0 || errno == EINVAL;  // EINVAL: nothing to sync there
  const int errnum = errno;
  ::close(fd);
  if (!synced) throw IoErrorFromErrno(errnum);
}

}  // namespace

// Opens the new contents of a rename commit: an unnamed file in the target's
// folder (O_TMPFILE), so that a process killed while writing leaves nothing
// behind; a named "<target>.tmp" where the file system has no unnamed files.
// An existing target must be a regular file the caller may write (opened
// for writing first, so a read-only target is refused as an in-place
// rewrite would be), and the new file takes its mode, owner and group.
// When the folder cannot take a new file, or the target's owner cannot be
// kept, the target is rewritten in place instead.
int TextFile::OpenForCommit() {
  const int target = OpenRetrying(name_.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0);
  struct stat info {};
  if (target < 0) {
    if (errno == ENXIO) throw IoError(5);
    if (errno != ENOENT) throw IoErrorFromErrno(errno);
  } else if (::fstat(target, &info) != 0 || !S_ISREG(info.st_mode)) {
    RefuseKind(target);
  }
  int errnum = 0;
  const int fd = OpenNewFile(target >= 0 ? &info : nullptr, errnum);
  if (fd >= 0) {
    if (target >= 0) ::close(target);
    return fd;
  }
  // Only a refusal falls back to the old way: a full disk must not cost the
  // old file by a truncation.
  if (target < 0 || (errnum != EACCES && errnum != EPERM)) {
    if (target >= 0) ::close(target);
    throw errnum == ENOENT ? IoError(kInvalidFilename) : IoErrorFromErrno(errnum);
  }
  // The folder refuses a new file, or the owner cannot be kept: in place.
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
  int fd = OpenRetrying(FolderOf(name_).c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, permissions);
  if (fd < 0 && (errno == EOPNOTSUPP || errno == EISDIR || errno == EINVAL)) {
    temporary_ = name_ + ".tmp";
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
  const std::string name = name_ + ".tmp";
  const std::string self = "/proc/self/fd/" + std::to_string(fd_);
  for (int attempt = 0;; ++attempt) {
    if (::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, name.c_str(), AT_SYMLINK_FOLLOW) == 0) break;
    if (errno != EEXIST || attempt > 0 || ::unlink(name.c_str()) != 0) Fail(errno);
  }
  temporary_ = name;
}

// Renames the named file over the target and makes the rename last.
void TextFile::RenameIntoPlace() {
  if (::rename(temporary_.c_str(), name_.c_str()) != 0) throw IoErrorFromErrno(errno);
  temporary_.clear();
  SyncFolder(FolderOf(name_));
}

}  // namespace kolva::app
