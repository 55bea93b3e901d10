// SPDX-License-Identifier: MIT
#include "wykres/picture_file.h"

#include <errno.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageWriter>
#include <atomic>
#include <cstdlib>
#include <string>
#include <system_error>

namespace kolva::wykres {
namespace {

QString SystemReason(int error) {
  return QString::fromStdString(std::error_code(error, std::generic_category()).message());
}

// Writes all of `bytes` to `fd`, a write interrupted or cut short going on
// where it stopped; the errno of a failure, else 0.
int WriteAll(int fd, const QByteArray& bytes) {
  const char* at = bytes.constData();
  qsizetype left = bytes.size();
  while (left > 0) {
    const ssize_t n = ::write(fd, at, static_cast<std::size_t>(left));
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return n < 0 ? errno : ENOSPC;
    at += n;
    left -= n;
  }
  return 0;
}

// A device or a pipe cannot be replaced by a renamed file: written in place.
QString SaveDirect(const QByteArray& bytes, const QByteArray& path) {
  const int fd = ::open(path.constData(), O_WRONLY | O_CLOEXEC);
  if (fd < 0) return SystemReason(errno);
  const int failure = WriteAll(fd, bytes);
  const int closed = ::close(fd) == 0 ? 0 : errno;
  if (failure != 0 || closed != 0) return SystemReason(failure != 0 ? failure : closed);
  return {};
}

// A name beside `path` that no other save in this or another process takes.
QByteArray TemporaryName(const QByteArray& path) {
  static std::atomic<unsigned> count{0};
  return path + ".tmp-" + QByteArray::number(::getpid()) + "-" + QByteArray::number(++count);
}

}  // namespace

QString SavePictureFile(const QImage& picture, const QString& path, const char* format) {
  // Encoded in memory first, so the file gets whole, checked writes.
  QByteArray bytes;
  QBuffer buffer(&bytes);
  buffer.open(QIODevice::WriteOnly);
  QImageWriter writer(&buffer, format);
  if (!writer.write(picture)) return writer.errorString();
  QByteArray target = QFile::encodeName(path);
  struct stat existing {};
  const bool exists = ::stat(target.constData(), &existing) == 0;
  if (exists && !S_ISREG(existing.st_mode) && !S_ISDIR(existing.st_mode)) {
    return SaveDirect(bytes, target);
  }
  // A symbolic link keeps pointing at the picture: the file it names is
  // replaced, not the link.
  if (exists && S_ISREG(existing.st_mode)) {
    if (char* real = ::realpath(target.constData(), nullptr)) {
      target = real;
      std::free(real);
    }
  }
  QByteArray temporary;
  int fd = -1;
  do {
    temporary = TemporaryName(target);
    fd = ::open(temporary.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EEXIST);
  if (fd < 0) return SystemReason(errno);
  // A picture written over an older one keeps the older one's permissions.
  int failure = exists && ::fchmod(fd, existing.st_mode & 07777) != 0 ? errno : 0;
  if (failure == 0) failure = WriteAll(fd, bytes);
  if (failure == 0 && ::fsync(fd) != 0) failure = errno;
  if (::close(fd) != 0 && failure == 0) failure = errno;
  if (failure == 0 && ::rename(temporary.constData(), target.constData()) != 0) failure = errno;
  if (failure != 0) {
    ::unlink(temporary.constData());
    return SystemReason(failure);
  }
  return {};
}

}  // namespace kolva::wykres
