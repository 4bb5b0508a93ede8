#pragma once

#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace muralto::platform {

/// Orders names the way the registry does: ASCII letters compare without regard to case.
struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

/// True when the two names are equal but for ASCII letter case.
bool equalsIgnoringCase(std::string_view a, std::string_view b);

/// The most names a key path may have, as in the Windows registry.
inline constexpr std::size_t kMaxKeyDepth = 512;

/// One key of a hive: its name as created, its values in creation order and its sub-keys in
/// case-insensitive alphabetical order. Names compare without regard to case and keep the case
/// they were created with. Keys are created and removed through HiveTree.
class HiveKey {
public:
    struct Value {
        std::string name;
        std::string data;
    };
    using Children = std::map<std::string, HiveKey, CaseInsensitiveLess>;

    HiveKey() = default;
    explicit HiveKey(std::string name) : name_(std::move(name)) {}
    HiveKey(const HiveKey&) = default;
    HiveKey(HiveKey&&) = default;
    HiveKey& operator=(const HiveKey&) = default;
    HiveKey& operator=(HiveKey&&) = default;
    /// Frees the keys below without recursion, so a deep tree needs no deep stack.
    ~HiveKey();

    const std::string& name() const { return name_; }
    const std::vector<Value>& values() const { return values_; }
    const Children& children() const { return children_; }

    /// The value's data, or null when the key has no value of that name.
    const std::string* findValue(std::string_view valueName) const;
    /// Sets or adds a value; an existing value keeps the case of its name.
    void setValue(std::string_view valueName, std::string_view data);
    /// setValue, taking the strings over.
    void takeValue(std::string valueName, std::string data);

private:
    friend class HiveTree;

    /// Where the value of that name sits in values_, or values_.size().
    std::size_t valuePosition(std::string_view valueName) const;

    /// A key with fewer values finds them one by one; from this many on, through valueIndex_.
    static constexpr std::size_t kIndexedFrom = 8;

    std::string name_;
    std::vector<Value> values_;
    /// Where each value sits in values_, by name; empty below kIndexedFrom values.
    std::map<std::string, std::size_t, CaseInsensitiveLess> valueIndex_;
    Children children_;
};

/// A whole hive in memory. Key paths are relative to the root and separated by backslashes;
/// the empty path names the root itself.
class HiveTree {
public:
    /// The key at path, or null when any key along it is missing.
    const HiveKey* find(std::string_view path) const;
    /// The key at path, created with the keys along it when missing; null when the path is not
    /// valid (isValidPath), and then nothing is created.
    HiveKey* create(std::string_view path);
    /// Removes the key at path with everything below it; false when it does not exist.
    bool remove(std::string_view path);

    const HiveKey& root() const { return root_; }

    /// Splits a key path into its names; an empty path gives no names.
    static std::vector<std::string_view> splitPath(std::string_view path);
    /// True when every name of the path can be stored (not empty, no control characters) and
    /// the path has at most kMaxKeyDepth names.
    static bool isValidPath(std::string_view path);

private:
    /// The sub-key of parent under name, created when missing.
    static HiveKey& child(HiveKey& parent, std::string_view name);

    HiveKey root_;
};

/// What parsing a hive file gave: the tree of every line that could be read, and how many
/// lines could not.
struct ParsedHive {
    HiveTree tree;
    int badLines = 0;
};

/// Parses the registry export format ("Windows Registry Editor Version 5.00", `[ROOT\path]`
/// key lines, `"name"="data"` value lines). Lines that do not parse are counted and skipped;
/// a key line under another root or with an invalid path counts as bad and its values are
/// skipped with it.
ParsedHive parseHive(std::string_view text, std::string_view rootName);

/// Writes the tree in the format parseHive reads, every key (also one with no values) on a
/// line of its own, sub-keys in case-insensitive order, values in creation order.
std::string serializeHive(const HiveTree& tree, std::string_view rootName);

/// serializeHive, given up as soon as the text grows past maxBytes: nothing then.
std::optional<std::string> serializeHiveUpTo(const HiveTree& tree, std::string_view rootName,
                                             std::size_t maxBytes);

/// Quotes text for a value line: `\\`, `\"`, `\r`, `\n`, `\t`, `\0` and other bytes below
/// 0x20 as `\xHH`; every other byte as it is.
std::string quoteHiveString(std::string_view text);

}  // namespace muralto::platform
