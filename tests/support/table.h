// A table of cases for a function from text to text: one check per row, and
// a failing row names its input.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <string_view>
#include <utility>

namespace kx::test {

using TextCases = std::initializer_list<std::pair<std::string_view, std::string_view>>;

template <typename Fn>
void expectEach(Fn&& fn, TextCases cases) {
    for (const auto& [in, out] : cases) EXPECT_EQ(fn(std::string(in)), out) << "for \"" << in << '"';
}

}  // namespace kx::test
