// Side-by-side timing: two measurements alternated A B, B A, A B, ... and summarised by their
// medians, so that a slow spell of a shared machine falls on both sides alike.
#pragma once

#include <functional>
#include <string>
#include <vector>

struct Summary {
  double median = 0;
  double min = 0;
  double max = 0;
};

struct Comparison {
  Summary a;
  Summary b;
  double ratio = 0;  // median of a over median of b; 0 when b's median is 0
};

// Median (the mean of the middle two for an even count), minimum and maximum; all 0 when empty.
Summary Summarise(std::vector<double> samples);

Comparison Compare(const std::vector<double>& a, const std::vector<double>& b);

// Whether side A runs first in pair number `pair` (counted from 0): A B, B A, A B, ...
bool RunsAFirst(int pair);

// Runs `pairs` pairs of measurements in alternating order; each call returns one sample.
Comparison Alternate(int pairs, const std::function<double()>& measureA,
                     const std::function<double()>& measureB);

// One row of the printed table.
struct TableRow {
  std::string what;     // what is measured
  std::string sides;    // "A / B" names
  std::string figures;  // the measured figures
  std::string goal;     // the goal, as text
  bool met = false;
};

// "1.03 (A 12.1 [11.9..13.0] ms, B 11.7 [11.2..12.8] ms)": the ratio, then each side's median
// with its minimum and maximum, values multiplied by `scale` and followed by `unit`.
std::string FormatComparison(const Comparison& comparison, double scale, const char* unit);

// The table: a header and one line per row, columns separated by " | ".
std::string FormatTable(const std::vector<TableRow>& rows);
