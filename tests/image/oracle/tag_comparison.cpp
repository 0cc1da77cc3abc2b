#include "image/oracle/tag_comparison.h"

namespace kestrov::oracle {

namespace {

std::string_view without_occurrence(std::string_view key) {
    const std::size_t hash = key.rfind('#');
    if (hash == std::string_view::npos || hash + 1 == key.size() ||
        key.find_first_not_of("0123456789", hash + 1) != std::string_view::npos) {
        return key;
    }
    return key.substr(0, hash);
}

} // namespace

std::string shown(std::string_view value) {
    constexpr std::size_t limit = 70;
    std::string text = "\"";
    for (const char c : value.substr(0, limit)) {
        text += c == '\n' ? std::string("\\n") : std::string(1, c);
    }
    text += "\"";
    if (value.size() > limit) {
        text += "... (" + std::to_string(value.size()) + " bytes)";
    }
    return text;
}

std::vector<std::string> compare_tags(const tag_values& before, const tag_values& after,
                                      const expected_changes& expected) {
    std::vector<std::string> differences;
    const auto is_ignored = [&](const std::string& key) {
        return expected.ignored && expected.ignored(without_occurrence(key));
    };
    for (const auto& [key, value] : expected.set) {
        const auto found = after.find(key);
        if (found == after.end()) {
            differences.push_back(key + ": missing after the save, expected " + shown(value));
        } else if (found->second != value) {
            differences.push_back(key + ": " + shown(found->second) + " after the save, expected " +
                                  shown(value));
        }
    }
    for (const std::string& key : expected.removed) {
        if (const auto found = after.find(key); found != after.end()) {
            differences.push_back(key + ": still there after removing it, " + shown(found->second));
        }
    }
    for (const auto& [key, value] : expected.set_where_present) {
        const auto found = after.find(key);
        if (before.contains(key) && found == after.end()) {
            differences.push_back(key + ": missing after the save, expected " + shown(value));
        } else if (before.contains(key) && found->second != value) {
            differences.push_back(key + ": " + shown(found->second) + " after the save, expected " +
                                  shown(value));
        }
    }
    for (const auto& [key, value] : before) {
        if (is_ignored(key) || expected.set.contains(key) || expected.removed.contains(key) ||
            expected.set_where_present.contains(key)) {
            continue;
        }
        const auto found = after.find(key);
        if (found == after.end()) {
            differences.push_back(key + ": gone after the save, was " + shown(value));
        } else if (found->second != value) {
            differences.push_back(key + ": before " + shown(value) + ", after " +
                                  shown(found->second));
        }
    }
    for (const auto& [key, value] : after) {
        if (!before.contains(key) && !is_ignored(key) && !expected.set.contains(key) &&
            !expected.may_appear.contains(key)) {
            differences.push_back(key + ": new after the save, " + shown(value));
        }
    }
    return differences;
}

} // namespace kestrov::oracle
