#include "folders/SubfolderListing.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>

#include <QByteArrayView>
#include <QCollator>
#include <algorithm>
#include <memory>

#include "folders/DirEntryNames.h"

namespace muralto::imaging {
namespace {

struct DirCloser {
    void operator()(DIR* dir) const { ::closedir(dir); }
};

/// Whether an entry names a folder: its type when the file system reports one, else (a link,
/// or a file system that reports no types) what the entry leads to.
bool isFolder(DIR* dir, const dirent& entry) {
    if (entry.d_type == DT_DIR)
        return true;
    if (entry.d_type != DT_LNK && entry.d_type != DT_UNKNOWN)
        return false;
    struct stat status {};
    return ::fstatat(::dirfd(dir), entry.d_name, &status, 0) == 0 && S_ISDIR(status.st_mode);
}

/// The names of the folders in folder, in the order the file system gives them.
std::vector<std::string> folderNames(const std::string& folder) {
    std::vector<std::string> names;
    const std::unique_ptr<DIR, DirCloser> dir(::opendir(folder.c_str()));
    if (!dir)
        return names;
    while (const dirent* entry = ::readdir(dir.get())) {
        if (!isDotOrDotDot(entry->d_name) && isFolder(dir.get(), *entry))
            names.emplace_back(entry->d_name);
    }
    return names;
}

/// The length of the valid UTF-8 sequence that starts at text[at]; 0 when none starts there
/// (a stray continuation byte, an overlong form, a surrogate, a cut-off sequence).
std::size_t utf8SequenceAt(std::string_view text, std::size_t at) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(at);
    if (lead < 0x80)
        return 1;
    std::size_t length = 0;
    unsigned char low = 0x80;  // the range of the second byte
    unsigned char high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    if (at + length > text.size() || byte(at + 1) < low || byte(at + 1) > high)
        return 0;
    for (std::size_t k = 2; k < length; ++k) {
        if ((byte(at + k) & 0xC0) != 0x80)
            return 0;
    }
    return length;
}

}  // namespace

QString DisplayName(std::string_view bytes) {
    const auto size = qsizetype(bytes.size());
    if (QByteArrayView(bytes.data(), size).isValidUtf8())
        return QString::fromUtf8(bytes.data(), size);
    QString display;
    std::size_t run = 0;  // the start of the valid text not yet added
    for (std::size_t at = 0; at < bytes.size();) {
        if (const std::size_t length = utf8SequenceAt(bytes, at)) {
            at += length;
            continue;
        }
        display += QString::fromUtf8(bytes.data() + run, qsizetype(at - run));
        const auto value = static_cast<unsigned char>(bytes[at]);
        display +=
            QStringLiteral("\\x") + QString::number(value, 16).toUpper().rightJustified(2, u'0');
        run = ++at;
    }
    return display + QString::fromUtf8(bytes.data() + run, qsizetype(bytes.size() - run));
}

std::vector<Subfolder> ListSubfolders(const std::string& folder, const QLocale& locale) {
    return InDisplayOrder(folderNames(folder), locale);
}

std::vector<Subfolder> InDisplayOrder(std::vector<std::string> names, const QLocale& locale) {
    QCollator collator(locale.language() == QLocale::C ? QLocale(QLocale::English) : locale);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    collator.setNumericMode(true);
    struct Keyed {
        Subfolder folder;
        QCollatorSortKey key;
        bool hidden;
    };
    std::vector<Keyed> keyed;
    keyed.reserve(names.size());
    for (std::string& name : names) {
        QString display = DisplayName(name);
        QCollatorSortKey key = collator.sortKey(display);
        const bool hidden = name.starts_with('.');
        keyed.push_back({{std::move(name), std::move(display)}, std::move(key), hidden});
    }
    std::sort(keyed.begin(), keyed.end(), [](const Keyed& a, const Keyed& b) {
        if (a.hidden != b.hidden)
            return b.hidden;
        const int order = a.key.compare(b.key);
        return order != 0 ? order < 0 : a.folder.name < b.folder.name;
    });
    std::vector<Subfolder> result;
    result.reserve(keyed.size());
    for (Keyed& k : keyed)
        result.push_back(std::move(k.folder));
    return result;
}

}  // namespace muralto::imaging
