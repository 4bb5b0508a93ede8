#include "settings/RegistryTools.h"

#include <algorithm>
#include <cerrno>
#include <utility>

#include "platform/ProgramIdentity.h"

namespace muralto::settings {

using platform::kCompanyName;
using platform::kProgramTitle;

namespace {

platform::RootKey rootOf(bool currentUser) {
    return currentUser ? platform::RootKey::CurrentUser : platform::RootKey::LocalMachine;
}

std::string_view trimBlanks(std::string_view s) {
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameName(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return foldCase(x) == foldCase(y); });
}

/// A stored text as a read with a buffer of bufferLength bytes gives it: up to its first NUL,
/// or nothing when it does not fit.
std::optional<std::string> fittingText(std::string data, long bufferLength) {
    if (bufferLength <= 0 || data.size() + 1 > static_cast<std::size_t>(bufferLength))
        return std::nullopt;
    return TakeToken(data, std::string_view("\0", 1));
}

}  // namespace

std::optional<std::string> SectionValues::text(std::string_view valueName,
                                               long bufferLength) const {
    const auto value = std::ranges::find_if(
        values_, [&](const platform::RegistryValue& v) { return sameName(v.name, valueName); });
    if (value == values_.end())
        return std::nullopt;
    return fittingText(value->data, bufferLength);
}

std::string TakeToken(std::string& source, std::string_view delimiter) {
    const std::size_t at = source.find(delimiter);
    if (at == std::string::npos)
        return std::exchange(source, std::string());
    std::string token = source.substr(0, at);
    source.erase(0, at + delimiter.size());
    return token;
}

std::string RegistryTools::BuildKeyPath(std::string_view application,
                                        std::string_view section) const {
    std::string path;
    if (!section.empty() && section.front() == '\\') {
        path = section.substr(1);
    } else {
        std::string_view app = trimBlanks(application);
        if (app.empty())
            app = kProgramTitle;
        path.append("Software\\").append(kCompanyName).append("\\");
        path.append(app).append("\\").append(section);
    }
    if (!path.empty() && path.back() == '\\')
        path.pop_back();
    return path;
}

std::string RegistryTools::errorText(int code, long bufferLength) {
    std::string text = registry_.errorText(code);
    if (bufferLength >= 0 && text.size() > static_cast<std::size_t>(bufferLength)) {
        text.resize(static_cast<std::size_t>(bufferLength));
    }
    return text;
}

std::string RegistryTools::GetINIValue(std::string_view application, std::string_view section,
                                       std::string_view valueName, std::string_view defaultValue,
                                       long bufferLength, bool currentUser, bool showErrors) {
    const std::string path = BuildKeyPath(application, section);
    const auto root = rootOf(currentUser);
    int code = registry_.openKey(root, path);
    if (code == 0) {
        std::string data;
        code = registry_.queryValue(root, path, valueName, data);
        if (code == 0) {
            if (auto text = fittingText(std::move(data), bufferLength))
                return std::move(*text);
            code = EOVERFLOW;  // the value does not fit the buffer offered
        }
    }
    if (code == ENOENT)
        return std::string(defaultValue);
    if (showErrors)
        boxes_.showMessage(kRegistryErrorTitle, errorText(code, bufferLength));
    return std::string(defaultValue);
}

void RegistryTools::PutINIValue(std::string_view application, std::string_view section,
                                std::string_view valueName, std::string_view text,
                                bool currentUser) {
    reportWriteFailure(registry_.setValue(rootOf(currentUser), BuildKeyPath(application, section),
                                          valueName, text));
}

void RegistryTools::reportWriteFailure(int code) {
    if (code == 0)
        return;
    if (shownCodes_) {
        if (std::find(shownCodes_->begin(), shownCodes_->end(), code) != shownCodes_->end())
            return;
        shownCodes_->push_back(code);
    }
    boxes_.showMessage(kRegistryErrorTitle, errorText(code, 255));
}

int RegistryTools::EnumKeys(std::string_view application, std::string_view section,
                            std::vector<std::string>& names, bool currentUser, bool showErrors) {
    names.assign(1, std::string());
    const std::string path = BuildKeyPath(application, section);
    const auto root = rootOf(currentUser);
    const int code = registry_.openKey(root, path);
    if (code != 0) {
        if (code != ENOENT && showErrors) {
            boxes_.showMessage(kRegistryErrorTitle, errorText(code, 255));
        }
        return code;
    }
    std::vector<std::string> found;
    registry_.enumSubKeys(root, path, found);  // a failure part-way ends the list there
    for (auto& name : found)
        names.push_back(TakeToken(name, std::string_view("\0", 1)));
    return 0;
}

SectionValues RegistryTools::GetSectionValues(std::string_view application,
                                              std::string_view section, bool currentUser) {
    std::vector<platform::RegistryValue> values;
    if (registry_.queryValues(rootOf(currentUser), BuildKeyPath(application, section), values))
        return {};
    return SectionValues(std::move(values));
}

std::vector<std::pair<std::string, SectionValues>> RegistryTools::GetSubSections(
    std::string_view application, std::string_view section, bool currentUser) {
    std::vector<platform::RegistrySubKey> found;
    std::vector<std::pair<std::string, SectionValues>> sections;
    if (registry_.enumSubKeyValues(rootOf(currentUser), BuildKeyPath(application, section), found))
        return sections;
    sections.reserve(found.size());
    for (auto& key : found)
        sections.emplace_back(TakeToken(key.name, std::string_view("\0", 1)),
                              SectionValues(std::move(key.values)));
    return sections;
}

int RegistryTools::DeleteKey(std::string_view application, std::string_view section,
                             bool currentUser) {
    return registry_.deleteKey(rootOf(currentUser), BuildKeyPath(application, section));
}

}  // namespace muralto::settings
