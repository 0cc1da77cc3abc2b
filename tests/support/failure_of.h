// What a call that must fail threw, for the test to look at.
#pragma once

#include <gtest/gtest.h>

#include <optional>
#include <string_view>
#include <utility>

namespace kestrov::testing {

// The exception of type Failure that `action` throws; a test failure saying `when_it_returns`,
// and nothing, when it returns instead. Exceptions of other types go on to the test.
template <typename Failure, typename Action>
std::optional<Failure> failure_of(Action&& action, std::string_view when_it_returns) {
    try {
        std::forward<Action>(action)();
    } catch (const Failure& failure) {
        return failure;
    }
    ADD_FAILURE() << when_it_returns;
    return std::nullopt;
}

} // namespace kestrov::testing
