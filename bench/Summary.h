// The median and spread of a handful of measurements.
#pragma once
#include <cstddef>
#include <vector>

namespace bench {

class Summary {
public:
    explicit Summary(std::vector<double> values);

    bool empty() const { return sorted_.empty(); }
    std::size_t count() const { return sorted_.size(); }
    double median() const { return Quantile(0.5); }
    // Linear interpolation between the neighbouring order statistics.
    double Quantile(double q) const;
    double min() const { return sorted_.front(); }
    double max() const { return sorted_.back(); }

private:
    std::vector<double> sorted_;
};

}  // namespace bench
