#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "newsgroups/NewsgroupError.h"
#include "settings/RegistryTools.h"

namespace muralto::newsgroups {

class clsNewsgroups;

/// The section below the program's key that holds one sub-key per newsgroup entry.
inline constexpr std::string_view kNewsgroupsSection = "Settings\\Newsgroups";

/// One newsgroup entry: how many files to take, the smallest file size, the file types to keep
/// and the subject filters to leave out, stored under "Settings\Newsgroups\<name>".
class clsNewsgroup {
public:
    /// defaultFileTypes is what Load uses when nothing is stored.
    clsNewsgroup(settings::RegistryTools& tools, std::string defaultFileTypes);
    clsNewsgroup(const clsNewsgroup&) = delete;
    clsNewsgroup& operator=(const clsNewsgroup&) = delete;

    /// Appends a filter; its index (1 for the first).
    std::int32_t AddFilter(std::string_view filter);
    /// The filter at index; 0 is the empty slot. Other indexes outside 0..FilterCount throw
    /// NewsgroupError (OutOfRange).
    std::string Filter(std::int32_t index);
    void Filter(std::int32_t index, std::string_view filter);
    std::int32_t FilterCount();
    /// Removes the filter at index (1..FilterCount); the others keep their order.
    void RemoveFilter(std::int32_t index);
    /// Every filter followed by CR LF, in index order.
    std::string GetAllFilters();
    /// Replaces the filters by the pieces of text between CR LF pairs; a final CR LF adds no
    /// empty filter, a lone CR or LF stays inside its filter.
    void SetAllFilters(std::string_view text);

    const std::string& FileTypes() const { return fileTypes_; }
    void FileTypes(std::string_view fileTypes) { fileTypes_ = fileTypes; }
    std::int32_t MinFileSize() const { return minFileSize_; }
    void MinFileSize(std::int32_t value) { minFileSize_ = value; }
    std::int32_t MaxFiles() const { return maxFiles_; }
    void MaxFiles(std::int32_t value) { maxFiles_ = value; }
    const std::string& Name() const { return name_; }
    /// Sets the name. An owned entry whose name changes moves to the new name in its owner:
    /// the owner makes a new entry with these settings and drops this one with its stored key.
    /// A name the owner already holds throws NewsgroupError (Duplicate) and changes nothing.
    void Name(std::string_view name);

    /// Reads the entry's values from its key; missing or unreadable ones take their defaults.
    void Load();
    /// Writes the entry's values to its key, creating it.
    void Save();

    /// The collection that owns the entry, or none. It does not keep the collection alive.
    const clsNewsgroups* Parent() const { return parent_; }

private:
    friend class clsNewsgroups;
    void AttachTo(clsNewsgroups* owner) { parent_ = owner; }
    /// Load from the values of the entry's key, read already.
    void loadFrom(const settings::SectionValues& stored);
    void moveTo(const std::string& name);
    std::string section() const;
    std::string joinedFilters() const;
    void checkIndex(std::int32_t index, std::int32_t lowest) const;
    /// Called by every public use of the filters: once the program has seen or changed them,
    /// they are what gets saved.
    void filtersUsed() { keptStoredFilters_.reset(); }

    settings::RegistryTools& tools_;
    std::string defaultFileTypes_;
    std::vector<std::string> filters_{std::string()};
    std::string name_;
    std::int32_t maxFiles_ = 0;
    std::int32_t minFileSize_ = 0;
    std::string fileTypes_;
    clsNewsgroups* parent_ = nullptr;
    /// A stored filter text too long to read: the entry loads without filters, and the save
    /// writes this text back as long as the filters were not used, so the text survives.
    std::optional<std::string> keptStoredFilters_;
    /// What the last Load read, as the entry holds it. Save leaves a value the entry still
    /// holds so as it was stored: a text is read up to its first NUL, and writing what was
    /// read would cut off the rest.
    struct Loaded {
        std::optional<std::int32_t> maxFiles;  ///< each missing when it could not be read
        std::optional<std::int32_t> minFileSize;
        std::optional<std::string> fileTypes;
        std::optional<std::string> filters;
    };
    std::optional<Loaded> loaded_;
};

}  // namespace muralto::newsgroups
