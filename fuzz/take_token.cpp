// Splits arbitrary text at an arbitrary delimiter until nothing is left: the tokens joined
// with the delimiter give the text back.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "settings/RegistryTools.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const std::string delimiter = input.ConsumeRandomLengthString(8);
    // Stored values are read up to 255 bytes; a few kilobytes cover every text TakeToken meets.
    const std::string text = input.ConsumeRandomLengthString(4096);
    if (delimiter.empty())
        return 0;

    std::string source = text;
    std::string joined;
    bool first = true;
    while (!source.empty()) {
        const std::size_t before = source.size();
        const std::string token = muralto::settings::TakeToken(source, delimiter);
        if (source.size() >= before)
            std::abort();  // no progress
        if (!first)
            joined += delimiter;
        joined += token;
        first = false;
    }
    // A text ending in the delimiter loses that last, empty token.
    if (joined != text && joined + delimiter != text)
        std::abort();
    return 0;
}
