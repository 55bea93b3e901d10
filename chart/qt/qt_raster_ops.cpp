// SPDX-License-Identifier: MIT
#include "chart/qt/qt_raster_ops.h"

#include <array>

namespace kolva::chart::qt {

constexpr QRgb kRgbMask = 0x00FFFFFFu;

QRgb Rop(TPenMode mode, QRgb pen, QRgb dst) {
  QRgb p = pen & kRgbMask;
  QRgb d = dst & kRgbMask;
  QRgb r = 0;
  switch (mode) {
    case pmBlack:
      r = 0;
      break;
    case pmWhite:
      r = kRgbMask;
      break;
    case pmNop:
      r = d;
      break;
    case pmNot:
      r = ~d;
      break;
    case pmCopy:
      r = p;
      break;
    case pmNotCopy:
      r = ~p;
      break;
    case pmMergePenNot:
      r = p | ~d;
      break;
    case pmMaskPenNot:
      r = p & ~d;
      break;
    case pmMergeNotPen:
      r = ~p | d;
      break;
    case pmMaskNotPen:
      r = ~p & d;
      break;
    case pmMerge:
      r = p | d;
      break;
    case pmNotMerge:
      r = ~(p | d);
      break;
    case pmMask:
      r = p & d;
      break;
    case pmNotMask:
      r = ~(p & d);
      break;
    case pmXor:
      r = p ^ d;
      break;
    case pmNotXor:
      r = ~(p ^ d);
      break;
  }
  return 0xFF000000u | (r & kRgbMask);
}

QPainter::CompositionMode CompositionOf(TPenMode mode) {
  switch (mode) {
    case pmXor:
      return QPainter::RasterOp_SourceXorDestination;
    case pmNotXor:
      return QPainter::RasterOp_NotSourceXorDestination;
    case pmNot:
      return QPainter::RasterOp_NotDestination;
    case pmNotCopy:
      return QPainter::RasterOp_NotSource;
    case pmMerge:
      return QPainter::RasterOp_SourceOrDestination;
    case pmMask:
      return QPainter::RasterOp_SourceAndDestination;
    default:
      return QPainter::CompositionMode_Source;
  }
}

std::span<const int> PatternOf(TPenStyle style) {
  static constexpr std::array<int, 2> kDash = {18, 6};
  static constexpr std::array<int, 2> kDot = {3, 3};
  static constexpr std::array<int, 4> kDashDot = {9, 6, 3, 6};
  static constexpr std::array<int, 6> kDashDotDot = {9, 3, 3, 3, 3, 3};
  switch (style) {
    case psDash:
      return kDash;
    case psDot:
      return kDot;
    case psDashDot:
      return kDashDot;
    case psDashDotDot:
      return kDashDotDot;
    default:
      return {};
  }
}

Qt::PenStyle QtPenStyle(TPenStyle style) {
  switch (style) {
    case psDash:
      return Qt::DashLine;
    case psDot:
      return Qt::DotLine;
    case psDashDot:
      return Qt::DashDotLine;
    case psDashDotDot:
      return Qt::DashDotDotLine;
    case psClear:
      return Qt::NoPen;
    default:
      return Qt::SolidLine;
  }
}

Qt::BrushStyle QtBrushStyle(TBrushStyle style) {
  switch (style) {
    case bsSolid:
      return Qt::SolidPattern;
    case bsClear:
      return Qt::NoBrush;
    case bsHorizontal:
      return Qt::HorPattern;
    case bsVertical:
      return Qt::VerPattern;
    case bsFDiagonal:
      return Qt::FDiagPattern;
    case bsBDiagonal:
      return Qt::BDiagPattern;
    case bsCross:
      return Qt::CrossPattern;
    case bsDiagCross:
      return Qt::DiagCrossPattern;
  }
  return Qt::SolidPattern;
}

}  // namespace kolva::chart::qt
