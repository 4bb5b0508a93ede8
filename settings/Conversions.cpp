#include "settings/Conversions.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace muralto::settings {
namespace {

std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c != ' ' && c != '\t' && c != '\n')
            out += c;
    }
    return out;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

int digitValue(char c, int radix) {
    int v = -1;
    if (isDigit(c))
        v = c - '0';
    if (c >= 'a' && c <= 'f')
        v = c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        v = c - 'A' + 10;
    return v < radix ? v : -1;
}

/// "&H..." or "&O...": the digits as a 32-bit pattern; wider values give infinity.
double radixNumber(std::string_view s, int radix, std::size_t& used) {
    std::uint64_t value = 0;
    bool tooWide = false;
    used = 2;
    for (; used < s.size(); ++used) {
        const int d = digitValue(s[used], radix);
        if (d < 0)
            break;
        value = value * static_cast<unsigned>(radix) + static_cast<unsigned>(d);
        if (value > 0xFFFFFFFFu)
            tooWide = true;
    }
    if (tooWide)
        return std::numeric_limits<double>::infinity();
    return static_cast<double>(static_cast<std::int32_t>(static_cast<std::uint32_t>(value)));
}

std::size_t skipDigits(std::string_view s, std::size_t i) {
    while (i < s.size() && isDigit(s[i]))
        ++i;
    return i;
}

/// Sign, digits, fraction and exponent at the start of s; used is how many characters fit.
double decimalNumber(std::string_view s, std::size_t& used) {
    std::size_t i = 0;
    if (i < s.size() && (s[i] == '+' || s[i] == '-'))
        ++i;
    const std::size_t intEnd = skipDigits(s, i);
    std::size_t end = intEnd;
    if (end < s.size() && s[end] == '.')
        end = skipDigits(s, end + 1);
    const bool hasDigits = intEnd > i || end > intEnd + 1;
    if (!hasDigits) {
        used = 0;
        return 0.0;
    }
    if (end < s.size() && (s[end] == 'e' || s[end] == 'E')) {
        std::size_t e = end + 1;
        if (e < s.size() && (s[e] == '+' || s[e] == '-'))
            ++e;
        const std::size_t expEnd = skipDigits(s, e);
        if (expEnd > e)
            end = expEnd;
    }
    used = end;
    // from_chars takes no leading '+' and never depends on the locale.
    const std::size_t start = s[0] == '+' ? 1 : 0;
    double value = 0.0;
    const auto [ptr, ec] = std::from_chars(s.data() + start, s.data() + end, value);
    if (ec == std::errc::result_out_of_range) {
        return s[0] == '-' ? -std::numeric_limits<double>::infinity()
                           : std::numeric_limits<double>::infinity();
    }
    return value;
}

double roundHalfEven(double v) {
    const double floor = std::floor(v);
    const double diff = v - floor;
    if (diff > 0.5)
        return floor + 1;
    if (diff < 0.5)
        return floor;
    return std::fmod(floor, 2.0) == 0.0 ? floor : floor + 1;
}

}  // namespace

double leadingNumber(std::string_view text, bool* complete) {
    const std::string s = withoutBlanks(text);
    std::size_t used = 0;
    double value = 0.0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h')) {
        value = radixNumber(s, 16, used);
    } else if (s.size() >= 2 && s[0] == '&' && (s[1] == 'O' || s[1] == 'o')) {
        value = radixNumber(s, 8, used);
    } else {
        value = decimalNumber(s, used);
    }
    if (complete)
        *complete = used > 0 && used == s.size();
    return value;
}

std::optional<std::int32_t> readNumber(std::string_view text) {
    const double rounded = roundHalfEven(leadingNumber(text));
    if (!(rounded >= std::numeric_limits<std::int32_t>::min() &&
          rounded <= std::numeric_limits<std::int32_t>::max())) {
        return std::nullopt;
    }
    return static_cast<std::int32_t>(rounded);
}

std::optional<bool> readBoolean(std::string_view text) {
    std::string_view word = text;
    while (!word.empty() && word.front() == ' ')
        word.remove_prefix(1);
    while (!word.empty() && word.back() == ' ')
        word.remove_suffix(1);
    auto is = [&](std::string_view expected) {
        if (word.size() != expected.size())
            return false;
        for (std::size_t i = 0; i < word.size(); ++i) {
            const char c = word[i];
            const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
            if (lower != expected[i])
                return false;
        }
        return true;
    };
    if (is("true"))
        return true;
    if (is("false"))
        return false;
    bool complete = false;
    const double value = leadingNumber(text, &complete);
    if (!complete || std::isnan(value))
        return std::nullopt;
    return value != 0.0;
}

std::string numberText(std::int64_t value) {
    return std::to_string(value);
}

std::string booleanText(bool value) {
    return value ? "-1" : "0";
}

std::string booleanWord(bool value) {
    return value ? "True" : "False";
}

}  // namespace muralto::settings
