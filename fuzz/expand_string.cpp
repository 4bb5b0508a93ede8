// Expands an arbitrary table text with up to three short arguments. Arguments are kept short
// because text inserted for one argument is searched for the later ones, which multiplies.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "i18n/StringTables.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    std::vector<std::string> arguments(input.ConsumeIntegralInRange(0, 3));
    for (std::string& argument : arguments)
        argument = input.ConsumeRandomLengthString(32);
    const std::string text = input.ConsumeRemainingBytesAsString();

    const std::string expanded = muralto::i18n::ExpandString(text, arguments);
    // Text without escapes or placeholders comes back as it was, less its NULs.
    if (text.find_first_of("\\[") == std::string::npos) {
        std::string plain;
        for (char c : text)
            if (c != '\0')
                plain += c;
        if (expanded != plain)
            std::abort();
    }
    return 0;
}
