#include "newsgroups/clsNewsgroup.h"

#include <limits>
#include <utility>

#include "newsgroups/clsNewsgroups.h"
#include "platform/ProgramIdentity.h"
#include "settings/Conversions.h"

namespace muralto::newsgroups {

namespace {

constexpr std::string_view kSeparator = "\r\n";

// A stored number, or the default's number when the text cannot be read.
std::int32_t storedNumber(std::string_view text, std::int32_t defaultValue) {
    return settings::readNumber(text).value_or(defaultValue);
}

}  // namespace

clsNewsgroup::clsNewsgroup(settings::RegistryTools& tools, std::string defaultFileTypes)
    : tools_(tools), defaultFileTypes_(std::move(defaultFileTypes)) {}

std::int32_t clsNewsgroup::AddFilter(std::string_view filter) {
    filtersUsed();
    filters_.emplace_back(filter);
    return static_cast<std::int32_t>(filters_.size() - 1);
}

void clsNewsgroup::checkIndex(std::int32_t index, std::int32_t lowest) const {
    if (index < lowest || index >= static_cast<std::int32_t>(filters_.size()))
        throw NewsgroupError(NewsgroupError::Kind::OutOfRange,
                             "Subscript out of range: filter " + std::to_string(index));
}

std::string clsNewsgroup::Filter(std::int32_t index) {
    checkIndex(index, 0);
    filtersUsed();
    return filters_[static_cast<std::size_t>(index)];
}

void clsNewsgroup::Filter(std::int32_t index, std::string_view filter) {
    checkIndex(index, 0);
    filtersUsed();
    filters_[static_cast<std::size_t>(index)] = filter;
}

std::int32_t clsNewsgroup::FilterCount() {
    filtersUsed();
    return static_cast<std::int32_t>(filters_.size() - 1);
}

void clsNewsgroup::RemoveFilter(std::int32_t index) {
    checkIndex(index, 1);
    filtersUsed();
    filters_.erase(filters_.begin() + index);
}

std::string clsNewsgroup::joinedFilters() const {
    std::string all;
    for (std::size_t i = 1; i < filters_.size(); ++i)
        all.append(filters_[i]).append(kSeparator);
    return all;
}

std::string clsNewsgroup::GetAllFilters() {
    filtersUsed();
    return joinedFilters();
}

void clsNewsgroup::SetAllFilters(std::string_view text) {
    filtersUsed();
    filters_.assign(1, std::string());
    std::string rest(text);
    while (!rest.empty())
        filters_.push_back(settings::TakeToken(rest, kSeparator));
}

std::string clsNewsgroup::section() const {
    return std::string(kNewsgroupsSection) + "\\" + name_;
}

void clsNewsgroup::Load() {
    loadFrom(tools_.GetSectionValues(platform::kProgramTitle, section()));
}

void clsNewsgroup::loadFrom(const settings::SectionValues& stored) {
    const auto minText = stored.text("MinFileSize"), maxText = stored.text("MaxFiles");
    const auto typesText = stored.text("FileTypes"), filtersText = stored.text("SubjectFilters");
    minFileSize_ = storedNumber(minText.value_or("0"), 0);
    maxFiles_ = storedNumber(maxText.value_or("-1"), -1);
    fileTypes_ = typesText.value_or(defaultFileTypes_);
    SetAllFilters(filtersText.value_or(""));
    if (filters_.size() == 1) {
        // Empty, missing, or too long to read: a long text is kept for the save.
        std::string whole =
            stored.text("SubjectFilters", std::numeric_limits<long>::max()).value_or("");
        if (!whole.empty())
            keptStoredFilters_ = std::move(whole);
    }
    // A value that was missing or unreadable is written by the next save.
    loaded_ = Loaded{maxText ? std::optional(maxFiles_) : std::nullopt,
                     minText ? std::optional(minFileSize_) : std::nullopt,
                     typesText ? std::optional(fileTypes_) : std::nullopt,
                     filtersText ? std::optional(joinedFilters()) : std::nullopt};
}

void clsNewsgroup::Save() {
    const std::string key = section();
    const auto app = platform::kProgramTitle;
    const auto put = [&](std::string_view name, const std::string& text, bool asLoaded) {
        if (!asLoaded)
            tools_.PutINIValue(app, key, name, text);
    };
    const Loaded* was = loaded_ ? &*loaded_ : nullptr;
    put("MaxFiles", settings::numberText(maxFiles_), was && was->maxFiles == maxFiles_);
    put("MinFileSize", settings::numberText(minFileSize_), was && was->minFileSize == minFileSize_);
    put("FileTypes", fileTypes_, was && was->fileTypes == fileTypes_);
    put("SubjectFilters", keptStoredFilters_.value_or(joinedFilters()),
        was && !keptStoredFilters_ && was->filters == joinedFilters());
}

void clsNewsgroup::Name(std::string_view name) {
    if (parent_ != nullptr && name != name_) {
        moveTo(std::string(name));
        return;  // the owner may have let go of this entry: nothing more is touched
    }
    name_ = name;
}

void clsNewsgroup::moveTo(const std::string& name) {
    clsNewsgroups& owner = *parent_;
    const std::shared_ptr<clsNewsgroup> moved = owner.Add(name);
    moved->FileTypes(fileTypes_);
    moved->SetAllFilters(joinedFilters());
    moved->keptStoredFilters_ = keptStoredFilters_;
    moved->MaxFiles(maxFiles_);
    moved->MinFileSize(minFileSize_);
    const std::string oldName = std::exchange(name_, name);
    owner.Remove(oldName);
}

}  // namespace muralto::newsgroups
