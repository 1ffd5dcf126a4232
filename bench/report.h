// The benchmarks' one output form: a Markdown table per topic, each figure beside the baseline
// measured in the same run and their ratio, with the goal and whether it was met.
#pragma once

#include <string>
#include <vector>

namespace bench {

enum class Goal { MET, MISSED, NONE };

struct Figure {
    std::string name;      // what was measured, with its unit
    double value;
    std::string baseline;  // what the value is compared with
    double baseline_value;
    std::string goal;      // in words; empty when there is none
    Goal met;
};

// The ratio of a figure to its baseline, or "n/a" when the baseline is 0.
std::string ratio_text(const Figure& figure);
// Prints "### title" and the table to standard output, then flushes it (a run under Wine may be
// stopped right after).
void print_table(const std::string& title, const std::vector<Figure>& figures);
// MET when the condition holds, else MISSED.
Goal goal_met(bool condition);

} // namespace bench
