#pragma once

#include <QLocale>
#include <QString>
#include <string>
#include <string_view>
#include <vector>

namespace muralto::imaging {

/// A file name for the screen: UTF-8 decoded, each byte that is not part of valid UTF-8 shown as
/// "\xHH", so names that differ in such bytes still look different. Only for the eye: the bytes
/// stay the name.
QString DisplayName(std::string_view bytes);

/// A folder as the directory list shows it.
struct Subfolder {
    std::string name;  ///< the name's bytes, as the file system holds them
    QString display;   ///< DisplayName(name)
};

/// The folders directly inside folder, links to folders included ("." and ".." are not), in
/// display order (InDisplayOrder). Only this one level is read, so a link that leads back up
/// cannot start an endless walk. Empty when the folder cannot be read.
std::vector<Subfolder> ListSubfolders(const std::string& folder, const QLocale& locale = QLocale());

/// Names in the order a user expects: the locale's collation (English for the C locale, which
/// names no language), letter case ignored, runs of digits
/// compared by value ("img2" before "img10"); names that collate alike in the byte order; hidden
/// names (starting with '.') after all the others, ordered the same way among themselves.
std::vector<Subfolder> InDisplayOrder(std::vector<std::string> names,
                                      const QLocale& locale = QLocale());

}  // namespace muralto::imaging
