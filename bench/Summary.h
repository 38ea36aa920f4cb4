// The median and spread of a handful of measurements.
#pragma once
#include <cstddef>
#include <vector>

namespace bench {

class Summary {
public:
    explicit Summary(std::vector<double> values);

    bool empty() const { return m_sorted.empty(); }
    std::size_t count() const { return m_sorted.size(); }
    double median() const { return Quantile(0.5); }
    // Linear interpolation between the neighbouring order statistics.
    double Quantile(double q) const;
    double min() const { return m_sorted.front(); }
    double max() const { return m_sorted.back(); }

private:
    std::vector<double> m_sorted;
};

} // namespace bench
