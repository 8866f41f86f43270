#include "cli/exposition.h"

#include <charconv>

namespace cli {

namespace {

// The backslash and the line feed are escaped everywhere, the double quote only where it would
// end a label value: a help text shows it as it is.
std::string Escaped(std::string_view text, bool quote) {
    std::string out;
    for (char c : text) {
        if (c == '\\')
            out += "\\\\";
        else if (c == '\n')
            out += "\\n";
        else if (c == '"' && quote)
            out += "\\\"";
        else
            out += c;
    }
    return out;
}

const char* TypeName(MetricType type) {
    return type == MetricType::Counter ? "counter" : "gauge";
}

}  // namespace

std::string EscapeLabelValue(std::string_view value) {
    return Escaped(value, true);
}

std::string SampleValueText(double value) {
    // The shortest text that reads back as the same double; it has no exponent where that is
    // the shorter form, as for every count a drive keeps.
    char text[32];
    const auto result = std::to_chars(text, text + sizeof text, value);
    return std::string(text, result.ptr);
}

std::string ExpositionText(std::span<const MetricFamily> families) {
    std::string text;
    for (const MetricFamily& family : families) {
        if (family.samples.empty()) continue;
        text += "# HELP " + family.name + " " + Escaped(family.help, false) + "\n";
        text += "# TYPE " + family.name + " " + TypeName(family.type) + "\n";
        for (const MetricSample& sample : family.samples) {
            text += family.name;
            if (!sample.labels.empty()) {
                text += '{';
                for (size_t i = 0; i < sample.labels.size(); ++i) {
                    if (i > 0) text += ',';
                    text += sample.labels[i].name + "=\"" +
                            EscapeLabelValue(sample.labels[i].value) + "\"";
                }
                text += '}';
            }
            text += " " + SampleValueText(sample.value) + "\n";
        }
    }
    return text;
}

}  // namespace cli
