// What the user is told about a batch: one line per file that was not written, and the summary
// that ends a run with failures.
#pragma once

#include "tags/batch_writer.h"

#include <cstddef>
#include <string>
#include <vector>

namespace kestrov::tags {

// "<path>: <reason>" for a file that was not written; the reason's own line breaks are dropped.
// UTF-8.
std::string failure_line(const file_outcome& outcome);

// Failure lines shown at most in one summary; the rest are counted.
inline constexpr std::size_t failures_listed = 20;

// For a run over `listed` files that ended with `outcomes` (fewer when it was stopped): how many
// were written, each file that failed, and that the rest were left alone when the run was stopped.
// Empty when no file failed. UTF-8.
std::string batch_summary(const std::vector<file_outcome>& outcomes, std::size_t listed);

} // namespace kestrov::tags
