#include "newsgroups/clsNewsgroups.h"
#include "platform/ProgramIdentity.h"

#include <algorithm>
#include <utility>

namespace muralto::newsgroups {

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool sameKey(std::string_view a, std::string_view b) {
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

}  // namespace

clsNewsgroups::clsNewsgroups(settings::RegistryTools& tools, std::string defaultFileTypes)
    : tools_(tools), defaultFileTypes_(std::move(defaultFileTypes)) {}

clsNewsgroups::~clsNewsgroups() {
    for (const auto& entry : entries_)
        entry->AttachTo(nullptr);
}

std::size_t clsNewsgroups::find(std::string_view name) const {
    const auto at =
        std::ranges::find_if(keys_, [&](const auto& key) { return sameKey(key, name); });
    return static_cast<std::size_t>(at - keys_.begin());
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Add(std::string_view name) {
    if (find(name) != keys_.size())
        throw NewsgroupError(NewsgroupError::Kind::Duplicate,
                             "This key is already associated with an element of this collection: " +
                                 std::string(name));
    auto entry = std::make_shared<clsNewsgroup>(tools_, defaultFileTypes_);
    entry->Name(name);
    entry->FileTypes(defaultFileTypes_);
    keys_.emplace_back(name);
    entries_.push_back(entry);
    entry->AttachTo(this);
    return entry;
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Item(std::int32_t index) const {
    if (index < 1 || index > Count())
        return nullptr;
    return entries_[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Item(std::string_view name) const {
    const std::size_t at = find(name);
    return at == keys_.size() ? nullptr : entries_[at];
}

void clsNewsgroups::removeAt(std::size_t at) {
    const std::shared_ptr<clsNewsgroup> entry = entries_[at];
    const auto offset = static_cast<std::ptrdiff_t>(at);
    tools_.DeleteKey(platform::kProgramTitle, std::string(kNewsgroupsSection) + "\\" + keys_[at]);
    keys_.erase(keys_.begin() + offset);
    entries_.erase(entries_.begin() + offset);
    entry->AttachTo(nullptr);
}

void clsNewsgroups::Remove(std::int32_t index) {
    if (index < 1 || index > Count())
        throw NewsgroupError(NewsgroupError::Kind::OutOfRange,
                             "Subscript out of range: entry " + std::to_string(index));
    removeAt(static_cast<std::size_t>(index - 1));
}

void clsNewsgroups::Remove(std::string_view name) {
    const std::size_t at = find(name);
    if (at == keys_.size())
        throw NewsgroupError(NewsgroupError::Kind::Absent,
                             "No entry of this collection is named " + std::string(name));
    removeAt(at);
}

void clsNewsgroups::Clear() {
    while (Count() > 0)
        Remove(1);
}

void clsNewsgroups::LoadGroups() {
    std::vector<std::string> names;
    tools_.EnumKeys(platform::kProgramTitle, kNewsgroupsSection, names);
    for (std::size_t i = 1; i < names.size(); ++i)
        Add(names[i])->Load();
}

void clsNewsgroups::SaveGroups() {
    // Thousands of entries into a hive that refuses writes must not mean thousands of boxes.
    const settings::RegistryTools::QuietRepeats quiet(tools_);
    for (const auto& entry : entries_)
        entry->Save();
}

}  // namespace muralto::newsgroups
