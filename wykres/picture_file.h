// SPDX-License-Identifier: MIT
#pragma once

#include <QString>

class QImage;

namespace kolva::wykres {

// Writes `picture` to `path` as `format` (e.g. "PNG") whole or not at all:
// encoded in memory, written to a temporary file in the target's folder with
// every write checked, synced, closed and then renamed over the target, so a
// full disk or a failed write leaves the older file or none, and no part. A
// path that names a device or a pipe is written in place, every write
// checked. Returns "" once written, else why not, in the system's words. The
// one save of the chart's picture: kolva-record's --png and the chart
// window's Ctrl+S.
QString SavePictureFile(const QImage& picture, const QString& path, const char* format);

}  // namespace kolva::wykres
