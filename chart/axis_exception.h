// SPDX-License-Identifier: MIT
#pragma once

#include "chart/chart_errors.h"

namespace kolva::chart {

// An invalid axis setting; the property keeps its old value.
class AxisException : public ChartException {
 public:
  using ChartException::ChartException;
};

}  // namespace kolva::chart
