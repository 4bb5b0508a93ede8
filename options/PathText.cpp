#include "options/PathText.h"

namespace muralto::options {
namespace {

constexpr char16_t kEscapeBase = 0xDC00;

bool isContinuation(unsigned char c) {
    return (c & 0xC0) == 0x80;
}

/// The code point of the valid UTF-8 sequence at bytes[i], and its length; length 0 when the
/// bytes there are no valid sequence (overlong forms, surrogates and values beyond U+10FFFF
/// included).
char32_t decodeAt(const std::string& bytes, std::size_t i, std::size_t& length) {
    const auto lead = static_cast<unsigned char>(bytes[i]);
    length = 0;
    std::size_t n = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        n = 2, cp = lead & 0x1F, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        n = 3, cp = lead & 0x0F, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        n = 4, cp = lead & 0x07, min = 0x10000;
    } else {
        return 0;
    }
    if (i + n > bytes.size())
        return 0;
    for (std::size_t k = 1; k < n; ++k) {
        const auto c = static_cast<unsigned char>(bytes[i + k]);
        if (!isContinuation(c))
            return 0;
        cp = (cp << 6) | (c & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF))
        return 0;
    length = n;
    return cp;
}

void appendUtf8(std::string& out, char32_t cp) {
    const QByteArray utf8 = QString::fromUcs4(&cp, 1).toUtf8();
    out.append(utf8.constData(), static_cast<std::size_t>(utf8.size()));
}

}  // namespace

QString pathToText(const std::string& bytes) {
    QString text;
    text.reserve(static_cast<qsizetype>(bytes.size()));
    for (std::size_t i = 0; i < bytes.size();) {
        const auto c = static_cast<unsigned char>(bytes[i]);
        if (c < 0x80) {
            text += QChar(c);
            ++i;
            continue;
        }
        std::size_t length = 0;
        const char32_t cp = decodeAt(bytes, i, length);
        if (length == 0) {
            text += QChar(static_cast<char16_t>(kEscapeBase + c));
            ++i;
        } else {
            text += QString::fromUcs4(&cp, 1);
            i += length;
        }
    }
    return text;
}

std::string textToPath(const QString& text) {
    std::string bytes;
    bytes.reserve(static_cast<std::size_t>(text.size()));
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t unit = text[i].unicode();
        if (QChar::isHighSurrogate(unit) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            appendUtf8(bytes, QChar::surrogateToUcs4(unit, text[i + 1].unicode()));
            ++i;
        } else if (unit >= kEscapeBase + 0x80 && unit <= kEscapeBase + 0xFF) {
            bytes += static_cast<char>(unit - kEscapeBase);
        } else {
            appendUtf8(bytes, unit);
        }
    }
    return bytes;
}

}  // namespace muralto::options
