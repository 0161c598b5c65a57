// The number rules on any text: no crash, and the forms they produce hold.
#include "storage/numbers.h"

#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    using namespace pumpsel::numbers;
    const double value = leadingNumber(text);
    if (std::isnan(value)) std::abort();
    // A numeric text is a number in full: its value is what the parse gives.
    if (isNumeric(text) && std::isfinite(value)) {
        const std::string again = formatWhole(value);
        if (again.empty()) std::abort();
    }
    const float single = static_cast<float>(value);
    const std::string shown = formatOneDecimal(single);
    if (std::isfinite(single)) {
        // "0.0": digits, a point, exactly one digit, and within half a tenth of the value.
        const std::size_t point = shown.find('.');
        if (point == std::string::npos || point + 2 != shown.size()) std::abort();
        const double parsed = std::strtod(shown.c_str(), nullptr);
        if (std::fabs(parsed - single) > 0.05 + std::fabs(single) * 1e-6) std::abort();
    }
    const std::string next = numberToText(value);
    if (next.empty() || (next[0] != ' ' && next[0] != '-')) std::abort();
    if (size >= sizeof(float)) {
        float raw;
        std::memcpy(&raw, data, sizeof raw);
        formatOneDecimal(raw);
        formatWhole(raw);
    }
    return 0;
}
