#include "Summary.h"

#include <algorithm>

namespace bench {

Summary::Summary(std::vector<double> values) : m_sorted(std::move(values)) {
    std::sort(m_sorted.begin(), m_sorted.end());
}

double Summary::Quantile(double q) const {
    if (m_sorted.empty()) return 0;
    double position = q * static_cast<double>(m_sorted.size() - 1);
    size_t below = static_cast<size_t>(position);
    if (below + 1 >= m_sorted.size()) return m_sorted.back();
    double fraction = position - static_cast<double>(below);
    return m_sorted[below] + fraction * (m_sorted[below + 1] - m_sorted[below]);
}

} // namespace bench
