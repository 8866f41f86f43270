// The Prometheus text exposition format, version 0.0.4: metric families, each with its HELP and
// TYPE lines followed by all its samples, as the textfile collector and promtool read them.
#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace cli {

enum class MetricType { Gauge, Counter };

struct MetricLabel {
    std::string name;
    std::string value;  // UTF-8, escaped on output
};

struct MetricSample {
    std::vector<MetricLabel> labels;
    double value = 0.0;
};

struct MetricFamily {
    std::string name;
    std::string help;
    MetricType type = MetricType::Gauge;
    std::vector<MetricSample> samples;
};

// A label value with backslash, double quote and line feed escaped.
std::string EscapeLabelValue(std::string_view value);

// A sample value in its shortest exact form.
std::string SampleValueText(double value);

// The families in order; a family without samples is left out entirely.
std::string ExpositionText(std::span<const MetricFamily> families);

}  // namespace cli
