// SPDX-License-Identifier: MIT
#pragma once

#include "chart/canvas.h"

namespace kolva::chart {

// The chart's canvas: the flat-mode drawing operations plus the off-screen
// image. With buffered display (the default) a paint draws into the buffer
// image, created on first use at the size of the chart's bounds, and then
// copies it to the window in one operation; while nothing has marked the
// buffer dirty, a paint only copies it again.
//
// A device backend (the Qt canvas, a test's recording canvas) supplies the
// primitives and the buffer itself through the protected hooks.
class TChartCanvas3D : public TCanvas3D {
 public:
  TRect BeginDrawing(const TView3DOptions& options, const TRect& bounds, bool is3D) override;
  bool ReuseBuffer(TPoint at) override;
  void CopyBufferToWindow(TPoint at) override;
  void MarkBufferDirty() override { bufferDirty_ = true; }

  bool BufferDirty() const { return bufferDirty_; }
  bool BufferedDisplay() const { return buffered_; }
  // Switching buffering off frees the buffer image and marks it dirty; the
  // next BeginDrawing with buffering on creates one at the new size.
  void SetBufferedDisplay(bool value);
  bool Monochrome() const { return monochrome_; }
  // A change frees the buffer image and marks it dirty; the chart that owns
  // the canvas invalidates itself.
  void SetMonochrome(bool value);
  bool Is3D() const { return is3D_; }
  // Between two paints, sends the primitives to the off-screen image when it
  // holds a current picture (buffered, created, not stale), for drawing over
  // it such as the zoom band; answers whether it did. EndImageDrawing sends
  // them back to the window.
  bool BeginImageDrawing();
  void EndImageDrawing() { DrawToBuffer(false); }
  const TView3DOptions* View3DOptions() const { return options_; }

 protected:
  // Creates the off-screen image of the given size, replacing any other.
  virtual void CreateBuffer(int width, int height) = 0;
  virtual void FreeBuffer() = 0;
  virtual bool HasBuffer() const = 0;
  // Sends the primitives to the buffer image (true) or to the window (false).
  virtual void DrawToBuffer(bool toBuffer) = 0;
  // Plain copy of the whole buffer image to the window at the position.
  virtual void CopyBuffer(TPoint at) = 0;

 private:
  const TView3DOptions* options_ = nullptr;
  bool is3D_ = false;
  bool buffered_ = true;
  bool monochrome_ = false;
  bool bufferDirty_ = true;
};

}  // namespace kolva::chart
