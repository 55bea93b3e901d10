// SPDX-License-Identifier: MIT
#include "chart/chart_canvas3d.h"

namespace kolva::chart {

TRect TChartCanvas3D::BeginDrawing(const TView3DOptions& options, const TRect& bounds, bool is3D) {
  options_ = &options;
  is3D_ = is3D;
  // The 3D projection is not part of this engine; flat drawing keeps 1.0.
  zoomFactor_ = 1.0;
  if (!buffered_) {
    DrawToBuffer(false);
    return bounds;
  }
  if (!HasBuffer()) CreateBuffer(bounds.Width(), bounds.Height());
  DrawToBuffer(true);
  return TRect{0, 0, bounds.Width(), bounds.Height()};
}

bool TChartCanvas3D::ReuseBuffer(TPoint at) {
  if (bufferDirty_ || !buffered_ || !HasBuffer()) return false;
  CopyBuffer(at);
  return true;
}

bool TChartCanvas3D::BeginImageDrawing() {
  if (bufferDirty_ || !buffered_ || !HasBuffer()) return false;
  DrawToBuffer(true);
  return true;
}

void TChartCanvas3D::CopyBufferToWindow(TPoint at) {
  if (buffered_ && HasBuffer()) {
    CopyBuffer(at);
    bufferDirty_ = false;
  }
  DrawToBuffer(false);
}

void TChartCanvas3D::SetBufferedDisplay(bool value) {
  if (buffered_ == value) return;
  buffered_ = value;
  if (!buffered_) {
    FreeBuffer();
    bufferDirty_ = true;
  }
}

void TChartCanvas3D::SetMonochrome(bool value) {
  if (monochrome_ == value) return;
  monochrome_ = value;
  FreeBuffer();
  bufferDirty_ = true;
}

}  // namespace kolva::chart
