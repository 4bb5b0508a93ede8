// Reads arbitrary stored text as a number and as a Boolean, and checks that what the program
// writes reads back as written.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <cstdlib>

#include "settings/Conversions.h"

using namespace muralto::settings;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    const auto written = input.ConsumeIntegral<std::int32_t>();
    const bool flag = input.ConsumeBool();
    const std::string text = input.ConsumeRemainingBytesAsString();

    bool complete = false;
    leadingNumber(text, &complete);
    readNumber(text);
    readBoolean(text);

    if (readNumber(numberText(written)) != written)
        std::abort();
    if (readBoolean(booleanText(flag)) != flag || readBoolean(booleanWord(flag)) != flag)
        std::abort();
    return 0;
}
