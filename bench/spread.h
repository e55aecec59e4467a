#pragma once
// Median, quartiles, minimum and maximum of a set of figures, and how well the median is known.
#include <algorithm>
#include <cmath>
#include <vector>

namespace mirvot::bench {

struct Spread {
  size_t count = 0;
  double median = 0;
  double lowerQuartile = 0;
  double upperQuartile = 0;
  double minimum = 0;
  double maximum = 0;

  // Half the width of the usual 95 % interval of the median, 1.57 x interquartile range / sqrt(n)
  // (the notch of a box plot): two sets of runs whose medians differ by more than about this much
  // most likely differ in fact.
  [[nodiscard]] double MedianUncertainty() const {
    return count == 0 ? 0 : 1.57 * (upperQuartile - lowerQuartile) / std::sqrt(count);
  }
  // The same, as a fraction of the median.
  [[nodiscard]] double RelativeUncertainty() const {
    return median == 0 ? 0 : MedianUncertainty() / std::fabs(median);
  }
};

// The value at fraction p (0..1) of the sorted values, interpolated between neighbours.
inline double QuantileOfSorted(const std::vector<double>& sorted, double p) {
  if (sorted.empty()) {
    return 0;
  }
  const double position = p * static_cast<double>(sorted.size() - 1);
  const auto below = static_cast<size_t>(std::floor(position));
  const size_t above = std::min(below + 1, sorted.size() - 1);
  const double weight = position - static_cast<double>(below);
  return sorted[below] * (1 - weight) + sorted[above] * weight;
}

inline Spread SpreadOf(std::vector<double> values) {
  Spread spread;
  if (values.empty()) {
    return spread;
  }
  std::sort(values.begin(), values.end());
  spread.count = values.size();
  spread.median = QuantileOfSorted(values, 0.5);
  spread.lowerQuartile = QuantileOfSorted(values, 0.25);
  spread.upperQuartile = QuantileOfSorted(values, 0.75);
  spread.minimum = values.front();
  spread.maximum = values.back();
  return spread;
}

}  // namespace mirvot::bench
