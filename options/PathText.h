#pragma once

#include <QString>
#include <string>

namespace muralto::options {

/// A path in the system's bytes as text for the screen, and back, losing nothing: valid UTF-8
/// is decoded; every byte that is not part of a valid UTF-8 sequence becomes the lone low
/// surrogate U+DC80..U+DCFF that stands for it, and turns back into that byte. Text typed by
/// the user holds no lone surrogates, so it encodes as plain UTF-8.
QString pathToText(const std::string& bytes);
std::string textToPath(const QString& text);

}  // namespace muralto::options
