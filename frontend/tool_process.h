// The real tool as a child process: its report read whole, its progress read line by line, or its
// standard streams left to it.
#pragma once

#include <functional>
#include <string>
#include <vector>

namespace frontend {

struct ToolResult {
    int status = -1;          // the tool's exit status; -1 when it could not be started
    std::string last_errors;  // its last lines of standard error, each ending in "\r\n"
};

// Runs the tool and returns what it wrote to standard output and standard error (at most 1 MiB).
std::string run_tool_for_report(const std::string& tool, const std::vector<std::string>& arguments);

// Runs the tool, calling `on_line` with each line of its standard output, and keeps the last
// lines of its standard error.
ToolResult run_tool_with_progress(const std::string& tool, const std::vector<std::string>& arguments,
                                  const std::function<void(const std::string&)>& on_line);

// Runs the tool with these raw arguments and this program's own standard streams; its status.
int run_tool_passing_through(const std::string& tool, const std::string& raw_arguments);

} // namespace frontend
