// The progress dialog's arithmetic and decisions, apart from threads and windows: the bar's
// range for an expected duration, what each timer tick shows and does, when a minimized dialog
// restores itself, and the elapsed time counted in ticks.
//
// The dialog (CBusyDialog) owns one model and mirrors it into its window; tests drive it alone.
// Threads: the dialog's thread calls everything; ticks() and ElapsedSeconds() may be read from
// any thread (the sending thread reads them to save the measured duration).
#pragma once

#include <atomic>
#include <string>

class BusyModel {
 public:
  static constexpr int kIntervalMs = 500;         // one timer tick
  static constexpr int kStep = 10;                // the bar's step per tick
  static constexpr int kHaltPercent = 99;         // no step once the caption shows this much
  static constexpr double kRestoreSeconds = 1.5;  // a minimized dialog restores itself then
  // The largest upper end: keeps the range an int for every duration a file may hold.
  static constexpr int kMaxUpper = 2000000000;

  // What one tick shows and does.
  struct Tick {
    int percent;   // shown in the caption: the position before this tick's step
    bool step;     // the bar advances by one step
    bool restore;  // the minimized dialog restores itself
  };

  BusyModel() = default;

  // The expected duration in seconds (290 until set). The position stays within the new range.
  void SetDuration(double seconds);
  double duration() const { return duration_; }

  // The bar's range is 0 .. RangeUpper(): 10 x whole part of (duration x 1000 / 500 + 0.5), so
  // the bar would reach the end after exactly the duration. Durations below 0.25 s (and
  // negative or NaN ones) get the shortest non-empty range, 10; huge ones stop at kMaxUpper.
  int RangeUpper() const;
  int position() const { return position_; }

  // The whole percentage of the position in the range.
  int Percent() const;
  // One timer tick: counts it, takes the percentage of the position before stepping, steps
  // while that is below 99, and restores a minimized dialog once 1.5 s of ticks have passed.
  Tick OnTick(bool minimized);
  // The send is over: the bar moves to its end. Answers the percentage now shown (100).
  int Finish();

  int ticks() const { return ticks_.load(); }
  // interval x ticks / 1000: the elapsed time as the ticks count it, not as a clock would.
  double ElapsedSeconds() const;
  // Whole seconds as the durations file keeps a measured time: whole part of (seconds + 0.5).
  static double WholeSeconds(double seconds);

 private:
  double duration_ = 290.0;
  int position_ = 0;
  std::atomic<int> ticks_{0};
};

// The dialog's caption: "%s [%d%%]" of the caption text and the percentage.
std::string FormatBusyCaption(const std::string& caption, int percent);
