#pragma once
// Median, minimum and maximum of a set of figures.
#include <algorithm>
#include <vector>

namespace mirvot::bench {

struct Spread {
  double median = 0;
  double minimum = 0;
  double maximum = 0;
};

inline Spread SpreadOf(std::vector<double> values) {
  Spread spread;
  if (values.empty()) {
    return spread;
  }
  std::sort(values.begin(), values.end());
  const size_t middle = values.size() / 2;
  spread.median =
      values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
  spread.minimum = values.front();
  spread.maximum = values.back();
  return spread;
}

}  // namespace mirvot::bench
