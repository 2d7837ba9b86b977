// The quick reading of our own files' number forms against the general
// parser: for every line of the input, TextToFloat and TextToCount must give
// exactly what the general rule gives (the same bits, or the same error).

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "text/errors.h"
#include "text/format.h"

namespace {

using corvane::text::NumberFormat;

// What a conversion gave, comparable: the value's bits or the error's text.
template <typename Convert>
std::string Outcome(Convert convert) {
    try {
        const auto value = convert();
        if constexpr (sizeof(value) == sizeof(std::uint64_t)) {
            return "value " + std::to_string(std::bit_cast<std::uint64_t>(value));
        } else {
            return "count " + std::to_string(value);
        }
    } catch (const corvane::RangeError& error) {
        return std::string("range ") + error.what();
    } catch (const corvane::ConvertError& error) {
        return std::string("convert ") + error.what();
    }
}

void Compare(std::string_view field, const NumberFormat& numbers) {
    namespace text = corvane::text;
    const std::string quick = Outcome([&] { return text::TextToFloat(field, numbers); });
    const std::string general = Outcome([&] { return text::GeneralTextToFloat(field, numbers); });
    const std::string quickCount = Outcome([&] { return text::TextToCount(field, numbers); });
    const std::string generalCount =
        Outcome([&] { return text::GeneralTextToCount(field, numbers); });
    if (quick != general || quickCount != generalCount) {
        std::fprintf(stderr, "'%.*s': %s / %s against %s / %s\n", static_cast<int>(field.size()),
                     field.data(), quick.c_str(), quickCount.c_str(), general.c_str(),
                     generalCount.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    // Files always carry a point; with any other mark the quick reading stands aside.
    const NumberFormat point = corvane::text::PointOnly();
    std::size_t start = 0;
    while (start <= input.size()) {
        std::size_t end = input.find('\n', start);
        if (end == std::string_view::npos) end = input.size();
        const std::string_view field = input.substr(start, end - start);
        Compare(field, point);
        start = end + 1;
    }
    return 0;
}
