// SPDX-License-Identifier: MIT
#pragma once

#include <algorithm>
#include <cstdlib>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_canvas3d.h"

namespace kolva::chart::testing {

// A canvas that draws nothing and records every primitive with the device
// attributes in force when it was called, so layout and paint order can be
// asserted exactly. Text metrics are fixed and independent of the font:
// every character (byte) is kCharWidth = 6 pixels wide and every text,
// even an empty one, is kTextHeight = 12 pixels high; FontHeight() is 12.
// The device measures kDeviceWidth x kDeviceHeight (RemoveClip's region).
class RecordingCanvas : public TChartCanvas3D {
 public:
  static constexpr int kCharWidth = 6;
  static constexpr int kTextHeight = 12;
  static constexpr int kDeviceWidth = 1024;
  static constexpr int kDeviceHeight = 768;

  // One recorded primitive. kind: "MoveTo", "LineTo", "Rectangle",
  // "FillRect", "Polyline", "Polygon", "Ellipse", "TextOut", "Clip".
  // args: its coordinates in call order (for polygons x0, y0, x1, y1, ...).
  struct Op {
    std::string kind;
    std::vector<int> args;
    std::string text;
    TPen pen;
    TBrush brush;
    TFont font;
    unsigned textAlign = 0;
    int backMode = 0;
    bool toBuffer = false;
  };

  std::vector<Op> ops;
  int buffersCreated = 0;
  int buffersFreed = 0;
  int copies = 0;
  TPoint lastCopyAt{};
  int bufferWidth = 0;
  int bufferHeight = 0;

  std::vector<const Op*> OpsOf(const std::string& kind) const {
    std::vector<const Op*> found;
    for (const Op& op : ops)
      if (op.kind == kind) found.push_back(&op);
    return found;
  }
  int Count(const std::string& kind) const { return static_cast<int>(OpsOf(kind).size()); }
  const Op* FindText(const std::string& text) const {
    auto it = std::find_if(ops.begin(), ops.end(),
                           [&](const Op& op) { return op.kind == "TextOut" && op.text == text; });
    return it == ops.end() ? nullptr : &*it;
  }
  void Clear() { ops.clear(); }
  // When set, a text is as high as its font's pixel height instead.
  bool heightFromFont = false;

 protected:
  void DoMoveTo(int x, int y) override { Record("MoveTo", {x, y}); }
  void DoLineTo(int x, int y) override { Record("LineTo", {x, y}); }
  void DoRectangle(int x0, int y0, int x1, int y1) override {
    Record("Rectangle", {x0, y0, x1, y1});
  }
  void DoFillRect(const TRect& r) override {
    Record("FillRect", {r.Left, r.Top, r.Right, r.Bottom});
  }
  void DoPolyline(std::span<const TPoint> points) override { Record("Polyline", Flatten(points)); }
  void DoPolygon(std::span<const TPoint> points) override { Record("Polygon", Flatten(points)); }
  void DoEllipse(int x0, int y0, int x1, int y1) override { Record("Ellipse", {x0, y0, x1, y1}); }
  void DoTextOut(int x, int y, const std::string& text) override {
    Record("TextOut", {x, y}, text);
  }
  int DoTextWidth(const std::string& text) const override {
    return kCharWidth * static_cast<int>(text.size());
  }
  int DoTextHeight(const std::string&) const override {
    return heightFromFont ? std::abs(Font().Height()) : kTextHeight;
  }
  void DoClipToRect(const TRect& r) override { Record("Clip", {r.Left, r.Top, r.Right, r.Bottom}); }
  int DeviceWidth() const override { return kDeviceWidth; }
  int DeviceHeight() const override { return kDeviceHeight; }

  void CreateBuffer(int width, int height) override {
    ++buffersCreated;
    hasBuffer_ = true;
    bufferWidth = width;
    bufferHeight = height;
  }
  void FreeBuffer() override {
    if (hasBuffer_) ++buffersFreed;
    hasBuffer_ = false;
  }
  bool HasBuffer() const override { return hasBuffer_; }
  void DrawToBuffer(bool toBuffer) override { toBuffer_ = toBuffer; }
  void CopyBuffer(TPoint at) override {
    ++copies;
    lastCopyAt = at;
  }

 private:
  static std::vector<int> Flatten(std::span<const TPoint> points) {
    std::vector<int> args;
    for (const TPoint& p : points) {
      args.push_back(p.X);
      args.push_back(p.Y);
    }
    return args;
  }
  void Record(const char* kind, std::vector<int> args, std::string text = {}) {
    ops.push_back(Op{kind, std::move(args), std::move(text), Pen(), Brush(), Font(), TextAlign(),
                     BackgroundMode(), toBuffer_});
  }

  bool hasBuffer_ = false;
  bool toBuffer_ = false;
};

}  // namespace kolva::chart::testing
