// Writing the same descriptive texts into many files: the step for one file, and a batch that
// makes many files durable with one flush before it replaces any of them.
#pragma once

#include "tags/descriptive_fields.h"

#include <array>
#include <cstddef>
#include <functional>
#include <string>
#include <vector>

namespace kestrov::tags {

// One text per row of descriptive_fields, in its order; an empty text leaves that tag as it is.
struct descriptive_texts {
    std::array<std::wstring, descriptive_fields.size()> values;
};

struct file_outcome {
    std::wstring path;
    bool written = false;
    std::string reason;       // why not, in the user's language (UTF-8)
    std::string note{};       // what the user should know of a file that was written (UTF-8)
    std::size_t listings = 1; // the entries of the list that name this file
};

// Loads the file, writes the non-empty texts in the fields' order and saves it over itself. Any
// failure leaves the file as it was and is returned as the reason.
file_outcome write_descriptive_texts(const std::wstring& path, const descriptive_texts& texts);

// Told after each file has been read and prepared, one call at a time, with `done` counting up.
using batch_progress = std::function<void(std::size_t done, std::size_t total)>;
// Asked before each file is begun; once it answers false, no further file is begun.
using batch_continue = std::function<bool()>;

// The same for many files, in order of the list; a file listed more than once (under any of its
// names) is written once and has one outcome. Up to `jobs` files are read and written at once.
// Where the file system allows, new versions have no name until they are flushed together and
// put in place of the originals; otherwise each is flushed and put in place as soon as it is
// written, so an interrupted run leaves at most the files it was writing. A file that fails never
// stops the others. The outcomes are those of the files begun, in list order: when `keep_running`
// stopped the batch, the files being written are finished and those after them are left
// untouched and have no outcome.
std::vector<file_outcome> write_descriptive_texts(const std::vector<std::wstring>& paths,
                                                  const descriptive_texts& texts, unsigned jobs,
                                                  const batch_progress& progress = {},
                                                  const batch_continue& keep_running = {});

} // namespace kestrov::tags
