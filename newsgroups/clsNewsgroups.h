#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "newsgroups/NewsgroupError.h"
#include "newsgroups/clsNewsgroup.h"
#include "settings/RegistryTools.h"

namespace muralto::newsgroups {

/// The newsgroup entries in the order they were added, keyed by name without regard to ASCII
/// letter case, with their storage below "Settings\Newsgroups".
class clsNewsgroups {
public:
    using Entries = std::vector<std::shared_ptr<clsNewsgroup>>;

    /// defaultFileTypes is given to every new entry.
    clsNewsgroups(settings::RegistryTools& tools, std::string defaultFileTypes);
    /// The entries still held elsewhere lose their owner.
    ~clsNewsgroups();
    clsNewsgroups(const clsNewsgroups&) = delete;
    clsNewsgroups& operator=(const clsNewsgroups&) = delete;

    /// A new entry under name with the default file types, owned by this collection; nothing is
    /// stored until the next save. A name already held throws NewsgroupError (Duplicate).
    std::shared_ptr<clsNewsgroup> Add(std::string_view name);
    /// Removes every entry, deleting each one's stored key.
    void Clear();
    /// The entry at the 1-based position or under the name, or none.
    std::shared_ptr<clsNewsgroup> Item(std::int32_t index) const;
    std::shared_ptr<clsNewsgroup> Item(std::string_view name) const;
    std::int32_t Count() const { return static_cast<std::int32_t>(entries_.size()); }
    /// Adds and loads an entry for every stored key, in the order the store lists them.
    void LoadGroups();
    /// Deletes the entry's stored key at once, then takes the entry out. A position out of
    /// range throws NewsgroupError (OutOfRange), an absent name NewsgroupError (Absent).
    void Remove(std::int32_t index);
    void Remove(std::string_view name);
    /// Saves every entry in collection order, all in one write of the store.
    void SaveGroups();

    Entries::const_iterator begin() const { return entries_.begin(); }
    Entries::const_iterator end() const { return entries_.end(); }

    /// How many names the look-ups by name compared so far; tells a look-up that walks the
    /// entries from one that goes straight to its name.
    std::uint64_t comparedNames() const { return compared_; }

private:
    /// Hashes a name with ASCII letters folded to lower case.
    struct FoldedHash {
        using is_transparent = void;
        std::size_t operator()(std::string_view name) const;
    };
    /// Names equal but for ASCII letter case; counts each comparison.
    struct FoldedEqual {
        using is_transparent = void;
        std::uint64_t* compared;
        bool operator()(std::string_view a, std::string_view b) const;
    };
    /// The entry added under each name, for the look-ups by name.
    using Index =
        std::unordered_map<std::string, std::shared_ptr<clsNewsgroup>, FoldedHash, FoldedEqual>;

    /// The position of the entry held under name, or entries_.size().
    std::size_t find(std::string_view name) const;
    void removeAt(std::size_t at);

    settings::RegistryTools& tools_;
    std::string defaultFileTypes_;
    Entries entries_;
    /// Each entry's name when it was added, at the entry's position.
    std::vector<std::string> keys_;
    std::uint64_t compared_ = 0;
    Index index_{0, FoldedHash{}, FoldedEqual{&compared_}};
};

}  // namespace muralto::newsgroups
