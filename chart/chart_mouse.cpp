// SPDX-License-Identifier: MIT
#include "chart/chart_mouse.h"

#include <algorithm>
#include <array>
#include <cstdlib>

#include "chart/custom_chart.h"
#include "chart/custom_series.h"

namespace kolva::chart {
namespace {

// Right and bottom edges count as outside, as for every rectangle here.
bool Inside(const TRect& r, int x, int y) {
  return x >= r.Left && x < r.Right && y >= r.Top && y < r.Bottom;
}

bool Holds(TShiftState shift, TShiftState required) {
  return (shift & required) == required;
}

// A title drawn with lines on the picture on screen.
bool TitleHit(const TTitleLayout& title, int x, int y) {
  return title.shown && !title.lineX.empty() && Inside(title.rect, x, y);
}

}  // namespace

// Only series drawn point by point know where their points are.
int SeriesPointAt(const TChartSeries& series, int x, int y) {
  const auto* drawn = dynamic_cast<const TCustomSeries*>(&series);
  return drawn == nullptr ? -1 : drawn->Clicked(x, y);
}

// --- What lies under the mouse ---------------------------------------------

bool TChartMouse::HitsAxis(const TCustomChartAxis& axis, int x, int y) const {
  const TChartLayout& layout = chart_.Layout();
  const TAxisLayout& a = layout.Axis(axis.Side());
  const TRect& r = layout.chartRect;
  if (!a.shown) return false;
  if (axis.IsHorizontal())
    return x >= r.Left && x <= r.Right && std::abs(a.axisLinePos - y) < kAxisClickTolerance;
  return y >= r.Top && y <= r.Bottom && std::abs(a.axisLinePos - x) < kAxisClickTolerance;
}

// The last series listed is drawn on top, so it is asked first.
bool TChartMouse::HitsSeries(int x, int y, TChartClickedPart& part) const {
  const TChartSeriesList& list = chart_.SeriesList();
  for (auto it = list.rbegin(); it != list.rend(); ++it) {
    if (!(*it)->Active()) continue;
    const int index = SeriesPointAt(**it, x, y);
    if (index == -1) continue;
    part = TChartClickedPart{hitSeries, *it, index, nullptr};
    return true;
  }
  return false;
}

// By the layout of the picture on screen: what the operator clicks is what
// the last paint drew, whatever changed since.
TChartClickedPart TChartMouse::ClickedPart(int x, int y) const {
  const TChartLayout& layout = chart_.Layout();
  if (layout.legend.shown && Inside(layout.legend.rect, x, y)) return TChartClickedPart{hitLegend};
  TChartClickedPart part;
  if (HitsSeries(x, y, part)) return part;
  const std::array<TCustomChartAxis*, 5> axes = {&chart_.TopAxis(), &chart_.BottomAxis(),
                                                 &chart_.LeftAxis(), &chart_.RightAxis(),
                                                 &chart_.DepthAxis()};
  for (TCustomChartAxis* axis : axes)
    if (HitsAxis(*axis, x, y)) return TChartClickedPart{hitAxis, nullptr, -1, axis};
  if (TitleHit(layout.title, x, y)) return TChartClickedPart{hitTitle};
  if (TitleHit(layout.foot, x, y)) return TChartClickedPart{hitFoot};
  if (Inside(layout.chartRect, x, y) && chart_.SeriesCount() > 0)
    return TChartClickedPart{hitPlotArea};
  return TChartClickedPart{};
}

// --- Press ----------------------------------------------------------------------

bool TChartMouse::FireClick(const std::function<void()>& event) {
  clickFlag_ = true;
  event();
  return clickFlag_;
}

bool TChartMouse::ClickSeries(const TChartClickedPart& part, TMouseButton button, TShiftState shift,
                              int x, int y) {
  TChartSeries& series = *part.ASeries;
  bool handled = false;
  auto& own = (shift & ssDouble) != 0 ? series.OnDblClick : series.OnClick;
  if (own) {
    own(series, part.PointIndex, x, y);
    handled = true;
  }
  if (chart_.OnClickSeries) {
    handled = FireClick(
        [&] { chart_.OnClickSeries(chart_, series, part.PointIndex, button, shift, x, y); });
  }
  return handled;
}

// A press during a drag is ignored. With no click events assigned, a press
// on an axis, a series or the plot area starts a drag; one on the legend,
// the titles or the margins does nothing. The background click fires at
// most once per press.
void TChartMouse::MouseDown(TMouseButton button, TShiftState shift, int x, int y) {
  if (chart_.OnMouseDown) chart_.OnMouseDown(chart_, button, shift, x, y);
  if (zoomState_.Active || panState_.Active) return;
  if (clickFlag_) {
    clickFlag_ = false;
    return;
  }
  const TChartClickedPart part = ClickedPart(x, y);
  bool handled = false;
  bool backgroundFired = false;
  auto background = [&] {
    backgroundFired = true;
    if (!chart_.OnClickBackground) return false;
    return FireClick([&] { chart_.OnClickBackground(chart_, button, shift, x, y); });
  };
  switch (part.Part) {
    case hitLegend:
      if (chart_.OnClickLegend)
        handled = FireClick([&] { chart_.OnClickLegend(chart_, button, shift, x, y); });
      break;
    case hitAxis:
      if (chart_.OnClickAxis)
        handled = FireClick([&] { chart_.OnClickAxis(chart_, *part.AAxis, button, shift, x, y); });
      if (!handled) handled = StartDrag(button, shift, x, y);
      break;
    case hitSeries:
      handled = ClickSeries(part, button, shift, x, y);
      if (!handled) handled = StartDrag(button, shift, x, y);
      break;
    case hitPlotArea:
      handled = background();
      if (!handled) handled = StartDrag(button, shift, x, y);
      break;
    default:
      break;
  }
  if (!handled && !backgroundFired) background();
  clickFlag_ = false;
}

bool TChartMouse::StartDrag(TMouseButton button, TShiftState shift, int x, int y) {
  bool started = false;
  if (chart_.AllowZoom() && button == kZoomMouseButton && Holds(shift, kZoomShiftState)) {
    chart_.SetCursor(crDefault);
    ChangeBand([&] { zoomState_.Activate(x, y); });
    started = true;
  }
  if (chart_.AllowPanning() != pmNone && button == kPanMouseButton &&
      Holds(shift, kPanShiftState)) {
    chart_.SetCursor(crDefault);
    panState_.Activate(x, y);
    started = true;
  }
  return started;
}

// --- Move -----------------------------------------------------------------------

void TChartMouse::MouseMove(TShiftState shift, int x, int y) {
  if (chart_.OnMouseMove) chart_.OnMouseMove(chart_, shift, x, y);
  if (zoomState_.Active) {
    if (x == zoomState_.X1 && y == zoomState_.Y1) return;
    ChangeBand([&] {
      zoomState_.X1 = x;
      zoomState_.Y1 = y;
    });
  } else if (panState_.Active) {
    PanTo(x, y);
  } else {
    MoveOverSeries(shift, x, y);
  }
}

// Leaving ChartRect ends the pan for good: coming back does not resume it.
void TChartMouse::PanTo(int x, int y) {
  if (!Inside(chart_.Layout().chartRect, x, y)) {
    panState_.Active = false;
    return;
  }
  if (x == panState_.X1 && y == panState_.Y1) return;
  TChartZoom& zoom = chart_.Zooming();
  zoom.SaveAxes();
  const TPanningMode mode = chart_.AllowPanning();
  bool scrolled = false;
  if (x != panState_.X1 && (mode == pmHorizontal || mode == pmBoth)) {
    zoom.ScrollAxis(chart_.BottomAxis(), panState_.X1, x);
    zoom.ScrollAxis(chart_.TopAxis(), panState_.X1, x);
    scrolled = true;
  }
  if (y != panState_.Y1 && (mode == pmVertical || mode == pmBoth)) {
    zoom.ScrollAxis(chart_.LeftAxis(), panState_.Y1, y);
    zoom.ScrollAxis(chart_.RightAxis(), panState_.Y1, y);
    scrolled = true;
  }
  panState_.X1 = x;
  panState_.Y1 = y;
  if (!scrolled) return;
  if (chart_.OnScroll) chart_.OnScroll(chart_);
  chart_.Invalidate();
}

// Every drawn series sees the move. The last one listed (drawn on top) that
// has a cursor of its own and a point under the mouse gives the chart its
// cursor; with none the chart's own setting returns.
void TChartMouse::MoveOverSeries(TShiftState shift, int x, int y) {
  TChartSeries* over = nullptr;
  for (TChartSeries* series : chart_.SeriesList()) {
    auto* drawn = dynamic_cast<TCustomSeries*>(series);
    if (drawn != nullptr && drawn->MouseMove(shift, x, y)) over = series;
  }
  if (over != nullptr) {
    chart_.SetCursor(over->Cursor());
  } else {
    chart_.RestoreCursor();
  }
}

// --- Release --------------------------------------------------------------------

void TChartMouse::MouseUp(TMouseButton button, TShiftState shift, int x, int y) {
  if (chart_.OnMouseUp) chart_.OnMouseUp(chart_, button, shift, x, y);
  for (TChartSeries* series : chart_.SeriesList())
    if (auto* drawn = dynamic_cast<TCustomSeries*>(series)) drawn->MouseUp(button, shift, x, y);
  if (zoomState_.Active && button == kZoomMouseButton) {
    ChangeBand([&] {
      zoomState_.Active = false;
      zoomState_.X1 = x;
      zoomState_.Y1 = y;
    });
    switch (ZoomDragOutcome(zoomState_)) {
      case ZoomDragEnd::kZoom:
        chart_.Zooming().ZoomToRect(zoomState_);
        chart_.Invalidate();
        break;
      case ZoomDragEnd::kUndo:
        chart_.Zooming().UndoZoom();
        chart_.Invalidate();
        break;
      case ZoomDragEnd::kNothing:
        break;
    }
  }
  panState_.Active = false;
}

// --- The band ----------------------------------------------------------------------

void TChartMouse::DrawZoomRectangle() {
  TCanvas3D& canvas = chart_.ChartCanvas();
  const TColor rgb = chart_.Color() & 0xFFFFFFu;
  canvas.Pen().SetColor(rgb == clWhite ? clRed : rgb);
  canvas.Pen().SetMode(pmNotXor);
  canvas.Pen().SetStyle(psSolid);
  canvas.Pen().SetWidth(1);
  canvas.Brush().SetStyle(bsClear);
  // The device draws ordered corners only; a band dragged up or left is the
  // same rectangle.
  canvas.Rectangle(std::min(zoomState_.X0, zoomState_.X1), std::min(zoomState_.Y0, zoomState_.Y1),
                   std::max(zoomState_.X0, zoomState_.X1), std::max(zoomState_.Y0, zoomState_.Y1));
  canvas.Pen().SetMode(pmCopy);
}

// Erases the band if one is shown, applies the change, and draws the band if
// the drag is still active, all on the current off-screen image. A stale
// image is left alone: the paint already requested redraws it with the band
// as it stands then. The paint leaves the canvas' attributes reset, and so
// does this.
void TChartMouse::ChangeBand(const std::function<void()>& change) {
  TChartCanvas3D& canvas = chart_.ChartCanvas();
  const bool onImage = canvas.BeginImageDrawing();
  if (onImage && zoomState_.Active) DrawZoomRectangle();
  change();
  if (!onImage) return;
  if (zoomState_.Active) DrawZoomRectangle();
  canvas.ResetAttributes();
  canvas.EndImageDrawing();
  if (imageChanged_) imageChanged_();
}

}  // namespace kolva::chart
