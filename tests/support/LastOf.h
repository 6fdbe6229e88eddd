#pragma once

#include <gtest/gtest.h>

// The last (or first) element of what the code under test produced, or a default one with a
// test failure when it produced nothing: a wrong result then fails the test instead of crashing it.
template <class C> auto lastOf(const C& items) -> std::decay_t<decltype(items.back())> {
    if (items.empty()) {
        ADD_FAILURE() << "nothing where an element was expected";
        return {};
    }
    return items.back();
}

template <class C> auto firstOf(const C& items) -> std::decay_t<decltype(items.front())> {
    if (items.empty()) {
        ADD_FAILURE() << "nothing where an element was expected";
        return {};
    }
    return items.front();
}
