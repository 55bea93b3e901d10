// SPDX-License-Identifier: MIT
#pragma once

#include "chart/notify_link.h"

namespace kolva::chart {

// The 3D viewing options of a chart panel. None of them affects flat-mode
// drawing; a change fires OnChange, which the chart wires to Invalidate.
class TView3DOptions {
 public:
  int Elevation() const { return elevation_; }
  int Rotation() const { return rotation_; }
  int Tilt() const { return tilt_; }
  int HorizOffset() const { return horizOffset_; }
  int VertOffset() const { return vertOffset_; }
  bool Orthogonal() const { return orthogonal_; }
  int Zoom() const { return zoom_; }  // percent

  void SetElevation(int value) { Store(elevation_, value); }
  void SetRotation(int value) { Store(rotation_, value); }
  void SetTilt(int value) { Store(tilt_, value); }
  void SetHorizOffset(int value) { Store(horizOffset_, value); }
  void SetVertOffset(int value) { Store(vertOffset_, value); }
  void SetOrthogonal(bool value) { Store(orthogonal_, value); }
  void SetZoom(int value) { Store(zoom_, value); }

  TNotifyLink OnChange;

 private:
  template <typename T>
  void Store(T& field, T value) {
    if (field == value) return;
    field = value;
    OnChange.Fire();
  }

  int elevation_ = 345;
  int rotation_ = 345;
  int tilt_ = 0;
  int horizOffset_ = 0;
  int vertOffset_ = 0;
  bool orthogonal_ = true;
  int zoom_ = 100;
};

}  // namespace kolva::chart
