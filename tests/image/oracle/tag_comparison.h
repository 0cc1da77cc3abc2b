// Comparing what a peer reads from a file before and after a save, against what the save was
// meant to change.
#pragma once

#include "image/oracle/peer_output.h"

#include <functional>
#include <map>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace kestrov::oracle {

struct expected_changes {
    // Keys that must read these values after the save (added when they were not there).
    std::map<std::string, std::string> set;
    // Keys that must be gone after the save.
    std::set<std::string> removed;
    // Keys that must read these values after the save where they were there before, and must
    // not appear where they were not.
    std::map<std::string, std::string> set_where_present;
    // Keys that may be there after the save though they were not before (with any value).
    std::set<std::string> may_appear;
    // Keys left out of the comparison, asked without their "#2" occurrence suffix.
    std::function<bool(std::string_view key)> ignored;
};

// Every difference from what was expected, one line each ("KEY: before "x", after "y""), in
// the order of the keys.
std::vector<std::string> compare_tags(const tag_values& before, const tag_values& after,
                                      const expected_changes& expected);

// `value` for a message: quoted, line breaks shown as \n, cut after 70 characters with its full
// length added.
std::string shown(std::string_view value);

} // namespace kestrov::oracle
