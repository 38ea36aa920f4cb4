#include "Summary.h"

#include <algorithm>

namespace bench {

Summary::Summary(std::vector<double> values) : sorted_(std::move(values)) {
    std::sort(sorted_.begin(), sorted_.end());
}

double Summary::Quantile(double q) const {
    if (sorted_.empty()) return 0;
    double position = q * static_cast<double>(sorted_.size() - 1);
    size_t below = static_cast<size_t>(position);
    if (below + 1 >= sorted_.size()) return sorted_.back();
    double fraction = position - static_cast<double>(below);
    return sorted_[below] + fraction * (sorted_[below + 1] - sorted_[below]);
}

}  // namespace bench
