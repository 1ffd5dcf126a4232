// The real tool's arguments for one conversion: the options that keep the source's quality and
// that the chosen container accepts.
#pragma once

#include "probe.h"

#include <string>
#include <vector>

namespace frontend {

// The arguments (unquoted, one per element) that convert `source_path` into `output` in `format`
// ("flv", "avi", "mpg", "swf"; any other format gets the quality options alone), with progress
// written as key=value lines to standard output.
std::vector<std::string> translate(const std::string& source_path, const std::string& output,
                                   const std::string& format, const Source& source);

} // namespace frontend
