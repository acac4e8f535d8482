// The settings loader on any bytes: what is read must be written back so that
// reading it again gives the same table, and a value set for any key must
// come back unchanged from the file written.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz/check.h"
#include "model/options.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first line, when there is more than one, is a value to store.
    std::size_t cut = bytes.find('\n');
    std::string_view value = cut == std::string_view::npos ? std::string_view() : bytes.substr(0, cut);
    std::string_view file = cut == std::string_view::npos ? bytes : bytes.substr(cut + 1);

    kx::OptionTable table = kx::parseOptions(file);
    std::string written = kx::formatOptions(table);
    FUZZ_CHECK(kx::formatOptions(kx::parseOptions(written)) == written);

    // A value is one line: it never holds a line end or a zero byte.
    if (value.find_first_of(std::string_view("\r\n\0", 3)) != std::string_view::npos) return 0;
    for (const kx::OptionDesc& desc : kx::optionTable) {
        std::string_view key = desc.key;
        kx::OptionTable changed = table;
        kx::setOption(changed, key, value);
        FUZZ_CHECK(kx::getOption(kx::parseOptions(kx::formatOptions(changed)), key) == kx::getOption(changed, key));
    }
    return 0;
}
