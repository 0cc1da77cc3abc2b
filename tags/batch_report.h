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

// "<path>: <note>" for a file that was written with something the user should know.
std::string note_line(const file_outcome& outcome);

// Failure lines shown at most in one summary; the rest are counted.
inline constexpr std::size_t failures_listed = 20;

// For a run over `listed` entries of a list that ended with `outcomes` (one for each file, however
// often it was listed; fewer when the run was stopped): how many
// were written, each file that failed, that the rest were left alone when the run was stopped,
// and what the user should know of the files written. Empty when no file failed and none has a
// note. UTF-8.
std::string batch_summary(const std::vector<file_outcome>& outcomes, std::size_t listed);

} // namespace kestrov::tags
