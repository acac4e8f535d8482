// Reading the recorded fixtures of the tool adapter tests.
#pragma once

#include <fstream>
#include <iterator>
#include <string>

#include "base/json.h"

namespace kx::adapt::fixtures {

inline std::string fixture(const std::string& name) {
    std::ifstream in(std::string(KLARBRIX_SOURCE_DIR) + "/tests/tools/fixtures/" + name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline json::Value jsonFixture(const std::string& name) {
    json::ParseResult parsed = json::parse(fixture(name));
    return parsed.value ? *parsed.value : json::Value();
}

}  // namespace kx::adapt::fixtures
