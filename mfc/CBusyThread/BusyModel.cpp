// The busy model: range, ticks, halt and restore as the progress dialog shows them.
#include "BusyModel.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

void BusyModel::SetDuration(double seconds) {
  duration_ = seconds;
  position_ = std::min(position_, RangeUpper());
}

int BusyModel::RangeUpper() const {
  const double steps = duration_ * 1000.0 / kIntervalMs + 0.5;
  // Written so that NaN takes the first branch too; no conversion of an out-of-range double.
  if (!(steps >= 1.0))
    return kStep;
  if (steps >= static_cast<double>(kMaxUpper / kStep))
    return kMaxUpper;
  return kStep * static_cast<int>(steps);
}

int BusyModel::Percent() const {
  // RangeUpper() is never 0, so there is no division by zero.
  return static_cast<int>(position_ * 100.0 / RangeUpper());
}

BusyModel::Tick BusyModel::OnTick(bool minimized) {
  ++ticks_;
  Tick tick{Percent(), false, false};
  if (tick.percent < kHaltPercent) {
    position_ = std::min(position_ + kStep, RangeUpper());
    tick.step = true;
  }
  tick.restore = minimized && ElapsedSeconds() >= kRestoreSeconds;
  return tick;
}

int BusyModel::Finish() {
  position_ = RangeUpper();
  return Percent();
}

double BusyModel::ElapsedSeconds() const {
  return kIntervalMs * static_cast<double>(ticks_.load()) / 1000.0;
}

double BusyModel::WholeSeconds(double seconds) {
  return std::floor(seconds + 0.5);
}

std::string FormatBusyCaption(const std::string& caption, int percent) {
  const int size = std::snprintf(nullptr, 0, "%s [%d%%]", caption.c_str(), percent);
  std::string text(static_cast<size_t>(size) + 1, '\0');
  std::snprintf(&text[0], text.size(), "%s [%d%%]", caption.c_str(), percent);
  text.resize(static_cast<size_t>(size));
  return text;
}
