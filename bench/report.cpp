// Tables of figures in Markdown, so that a run's output can go into the documentation as it is.
#include "report.h"

#include <cmath>
#include <cstdio>

namespace bench {

namespace {

// Whole numbers as they are; others with three significant digits at least, no exponent:
// 0.000412, 3.14, 12.5, 1234.
std::string number_text(double value) {
    char text[64];
    double magnitude = std::fabs(value);
    if (magnitude < 1e15 && value == std::floor(value)) magnitude = 100;
    int decimals = magnitude == 0 || magnitude >= 100 ? 0 : magnitude >= 10 ? 1 : magnitude >= 1 ? 2
                 : 2 - static_cast<int>(std::floor(std::log10(magnitude)));
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

const char* goal_text(Goal met) {
    switch (met) {
    case Goal::MET: return "met";
    case Goal::MISSED: return "**missed**";
    case Goal::NONE: break;
    }
    return "";
}

} // namespace

std::string ratio_text(const Figure& figure) {
    if (figure.baseline_value == 0) return "n/a";
    char text[32];
    std::snprintf(text, sizeof text, "%.2f", figure.value / figure.baseline_value);
    return text;
}

Goal goal_met(bool condition) { return condition ? Goal::MET : Goal::MISSED; }

void print_table(const std::string& title, const std::vector<Figure>& figures) {
    std::printf("\n### %s\n\n", title.c_str());
    std::printf("| figure | value | baseline | baseline value | ratio | goal | |\n");
    std::printf("|---|---:|---|---:|---:|---|---|\n");
    for (const Figure& figure : figures)
        std::printf("| %s | %s | %s | %s | %s | %s | %s |\n", figure.name.c_str(), number_text(figure.value).c_str(),
                    figure.baseline.c_str(), number_text(figure.baseline_value).c_str(), ratio_text(figure).c_str(),
                    figure.goal.c_str(), goal_text(figure.met));
    std::fflush(stdout);
}

} // namespace bench
