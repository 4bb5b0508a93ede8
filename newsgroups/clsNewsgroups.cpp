#include "newsgroups/clsNewsgroups.h"
#include "platform/ProgramIdentity.h"

#include <algorithm>
#include <utility>

namespace muralto::newsgroups {

namespace {

char asciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::size_t clsNewsgroups::FoldedHash::operator()(std::string_view name) const {
    std::size_t hash = 14695981039346656037ULL;  // FNV-1a
    for (const char c : name)
        hash = (hash ^ static_cast<unsigned char>(asciiLower(c))) * 1099511628211ULL;
    return hash;
}

bool clsNewsgroups::FoldedEqual::operator()(std::string_view a, std::string_view b) const {
    ++*compared;
    return std::ranges::equal(a, b, [](char x, char y) { return asciiLower(x) == asciiLower(y); });
}

clsNewsgroups::clsNewsgroups(settings::RegistryTools& tools, std::string defaultFileTypes)
    : tools_(tools), defaultFileTypes_(std::move(defaultFileTypes)) {}

clsNewsgroups::~clsNewsgroups() {
    for (const auto& entry : entries_)
        entry->AttachTo(nullptr);
}

std::size_t clsNewsgroups::find(std::string_view name) const {
    const auto held = index_.find(name);
    if (held == index_.end())
        return entries_.size();
    const auto at =
        std::ranges::find_if(entries_, [&](const auto& e) { return e == held->second; });
    return static_cast<std::size_t>(at - entries_.begin());
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Add(std::string_view name) {
    if (index_.contains(name))
        throw NewsgroupError(NewsgroupError::Kind::Duplicate,
                             "This key is already associated with an element of this collection: " +
                                 std::string(name));
    auto entry = std::make_shared<clsNewsgroup>(tools_, defaultFileTypes_);
    entry->Name(name);
    entry->FileTypes(defaultFileTypes_);
    keys_.emplace_back(name);
    entries_.push_back(entry);
    index_.emplace(name, entry);
    entry->AttachTo(this);
    return entry;
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Item(std::int32_t index) const {
    if (index < 1 || index > Count())
        return nullptr;
    return entries_[static_cast<std::size_t>(index - 1)];
}

std::shared_ptr<clsNewsgroup> clsNewsgroups::Item(std::string_view name) const {
    const auto held = index_.find(name);
    return held == index_.end() ? nullptr : held->second;
}

void clsNewsgroups::removeAt(std::size_t at) {
    const std::shared_ptr<clsNewsgroup> entry = entries_[at];
    const auto offset = static_cast<std::ptrdiff_t>(at);
    tools_.DeleteKey(platform::kProgramTitle, std::string(kNewsgroupsSection) + "\\" + keys_[at]);
    index_.erase(keys_[at]);
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
    if (at == entries_.size())
        throw NewsgroupError(NewsgroupError::Kind::Absent,
                             "No entry of this collection is named " + std::string(name));
    removeAt(at);
}

void clsNewsgroups::Clear() {
    // From the back: taking the first entry each time would move all the others each time.
    while (!entries_.empty())
        removeAt(entries_.size() - 1);
}

void clsNewsgroups::LoadGroups() {
    // One read of the store for all the entries: thousands of them load in a blink.
    const auto sections = tools_.GetSubSections(platform::kProgramTitle, kNewsgroupsSection);
    entries_.reserve(entries_.size() + sections.size());
    keys_.reserve(keys_.size() + sections.size());
    index_.reserve(index_.size() + sections.size());
    for (const auto& [name, values] : sections)
        Add(name)->loadFrom(values);
}

void clsNewsgroups::SaveGroups() {
    // Thousands of entries into a hive that refuses writes must not mean thousands of boxes.
    const settings::RegistryTools::QuietRepeats quiet(tools_);
    // And thousands of values to add must not mean thousands of rewrites of the whole store.
    const settings::RegistryTools::WriteBatch batch(tools_);
    for (const auto& entry : entries_)
        entry->Save();
}

}  // namespace muralto::newsgroups
