#include "platform/HiveTree.h"

#include <algorithm>
#include <optional>

namespace muralto::platform {
namespace {

constexpr std::string_view kHeader = "Windows Registry Editor Version 5.00";
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

char foldCase(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool isControl(unsigned char c) {
    return c < 0x20;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    c = foldCase(c);
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::string_view trimRight(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) {
        s.remove_suffix(1);
    }
    return s;
}

std::string_view trimLeft(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

/// Reads a quoted string at the start of s; on success s is left behind the closing quote.
std::optional<std::string> readQuoted(std::string_view& s) {
    if (s.empty() || s.front() != '"')
        return std::nullopt;
    const auto plain = [](char c) {
        return c != '"' && c != '\\' && (c == '\t' || !isControl(static_cast<unsigned char>(c)));
    };
    std::string out;
    std::size_t i = 1;
    while (i < s.size()) {
        const char c = s[i];
        if (c == '"') {
            s.remove_prefix(i + 1);
            return out;
        }
        if (plain(c)) {
            // A run of bytes that stand for themselves goes over at once.
            std::size_t end = i + 1;
            while (end < s.size() && plain(s[end]))
                ++end;
            out.append(s.substr(i, end - i));
            i = end;
            continue;
        }
        if (c != '\\')
            return std::nullopt;
        if (i + 1 >= s.size())
            return std::nullopt;
        const char e = s[i + 1];
        i += 2;
        switch (e) {
            case '\\':
                out += '\\';
                break;
            case '"':
                out += '"';
                break;
            case 'r':
                out += '\r';
                break;
            case 'n':
                out += '\n';
                break;
            case 't':
                out += '\t';
                break;
            case '0':
                out += '\0';
                break;
            case 'x': {
                if (i + 1 >= s.size())
                    return std::nullopt;
                const int hi = hexDigit(s[i]);
                const int lo = hexDigit(s[i + 1]);
                if (hi < 0 || lo < 0)
                    return std::nullopt;
                out += static_cast<char>(hi * 16 + lo);
                i += 2;
                break;
            }
            default:
                return std::nullopt;
        }
    }
    return std::nullopt;
}

struct ValueLine {
    std::string name;
    std::string data;
};

std::optional<ValueLine> parseValueLine(std::string_view line) {
    ValueLine v;
    if (!line.empty() && line.front() == '@') {
        line.remove_prefix(1);
    } else {
        auto name = readQuoted(line);
        if (!name)
            return std::nullopt;
        v.name = std::move(*name);
    }
    line = trimLeft(line);
    if (line.empty() || line.front() != '=')
        return std::nullopt;
    line = trimLeft(line.substr(1));
    auto data = readQuoted(line);
    if (!data || !trimLeft(line).empty())
        return std::nullopt;
    v.data = std::move(*data);
    return v;
}

/// The key path of a `[ROOT\path]` line relative to the root, or nothing when the line names
/// another root or is not a key line.
std::optional<std::string_view> parseKeyLine(std::string_view line, std::string_view rootName) {
    if (line.size() < 2 || line.front() != '[' || line.back() != ']')
        return std::nullopt;
    std::string_view path = line.substr(1, line.size() - 2);
    if (!equalsIgnoringCase(path.substr(0, rootName.size()), rootName))
        return std::nullopt;
    path.remove_prefix(std::min(rootName.size(), path.size()));
    if (path.empty())
        return path;
    if (path.front() != '\\')
        return std::nullopt;
    path.remove_prefix(1);
    return path;
}

/// Appends the `[path]` line of a key and its value lines.
void appendKey(std::string& out, const HiveKey& key, std::string_view path) {
    out += '[';
    out += path;
    out += "]\n";
    for (const auto& v : key.values()) {
        if (v.name.empty()) {
            out += '@';
        } else {
            out += quoteHiveString(v.name);
        }
        out += '=';
        out += quoteHiveString(v.data);
        out += '\n';
    }
    out += '\n';
}

}  // namespace

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    const std::size_t common = std::min(a.size(), b.size());
    for (std::size_t i = 0; i < common; ++i) {
        const auto x = static_cast<unsigned char>(foldCase(a[i]));
        const auto y = static_cast<unsigned char>(foldCase(b[i]));
        if (x != y)
            return x < y;
    }
    return a.size() < b.size();
}

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return foldCase(x) == foldCase(y);
           });
}

HiveKey::~HiveKey() {
    if (children_.empty())
        return;
    // One level at a time: the keys of a level are freed once their own children were taken
    // out, so no destructor reaches further down.
    std::vector<Children> pending;
    pending.push_back(std::exchange(children_, {}));
    while (!pending.empty()) {
        Children level = std::move(pending.back());
        pending.pop_back();
        for (auto& entry : level) {
            if (!entry.second.children_.empty())
                pending.push_back(std::exchange(entry.second.children_, {}));
        }
    }
}

std::size_t HiveKey::valuePosition(std::string_view valueName) const {
    if (!valueIndex_.empty()) {
        const auto it = valueIndex_.find(valueName);
        return it == valueIndex_.end() ? values_.size() : it->second;
    }
    const auto it = std::ranges::find_if(
        values_, [&](const Value& v) { return equalsIgnoringCase(v.name, valueName); });
    return static_cast<std::size_t>(it - values_.begin());
}

const std::string* HiveKey::findValue(std::string_view valueName) const {
    const std::size_t at = valuePosition(valueName);
    return at == values_.size() ? nullptr : &values_[at].data;
}

void HiveKey::setValue(std::string_view valueName, std::string_view data) {
    takeValue(std::string(valueName), std::string(data));
}

void HiveKey::takeValue(std::string valueName, std::string data) {
    if (const std::size_t at = valuePosition(valueName); at < values_.size()) {
        values_[at].data = std::move(data);
        return;
    }
    values_.push_back({std::move(valueName), std::move(data)});
    if (values_.size() < kIndexedFrom)
        return;
    if (valueIndex_.empty()) {
        for (std::size_t i = 0; i < values_.size(); ++i)
            valueIndex_.emplace(values_[i].name, i);
    } else {
        valueIndex_.emplace(values_.back().name, values_.size() - 1);
    }
}

std::vector<std::string_view> HiveTree::splitPath(std::string_view path) {
    std::vector<std::string_view> names;
    if (path.empty())
        return names;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = path.find('\\', start);
        names.push_back(path.substr(start, end == std::string_view::npos ? end : end - start));
        if (end == std::string_view::npos)
            break;
        start = end + 1;
    }
    return names;
}

bool HiveTree::isValidPath(std::string_view path) {
    if (path.empty())
        return true;
    std::size_t depth = 1;
    bool atNameStart = true;
    for (const char c : path) {
        if (c == '\\') {
            if (atNameStart || ++depth > kMaxKeyDepth)
                return false;
            atNameStart = true;
        } else if (isControl(static_cast<unsigned char>(c))) {
            return false;
        } else {
            atNameStart = false;
        }
    }
    return !atNameStart;
}

const HiveKey* HiveTree::find(std::string_view path) const {
    const HiveKey* key = &root_;
    for (auto name : splitPath(path)) {
        auto it = key->children_.find(name);
        if (it == key->children_.end())
            return nullptr;
        key = &it->second;
    }
    return key;
}

HiveKey& HiveTree::child(HiveKey& parent, std::string_view name) {
    HiveKey::Children& children = parent.children_;
    const CaseInsensitiveLess less;
    // Keys mostly come in order (a file lists them so): a name past the last goes at the end
    // after one comparison.
    auto at = children.end();
    if (children.empty() || less(std::prev(at)->first, name)) {
        at = children.end();
    } else {
        at = children.lower_bound(name);
        if (!less(name, at->first))
            return at->second;
    }
    return children.emplace_hint(at, std::string(name), HiveKey(std::string(name)))->second;
}

HiveKey* HiveTree::create(std::string_view path) {
    if (!isValidPath(path))
        return nullptr;
    HiveKey* key = &root_;
    for (auto name : splitPath(path))
        key = &child(*key, name);
    return key;
}

bool HiveTree::remove(std::string_view path) {
    auto names = splitPath(path);
    if (names.empty())
        return false;
    const std::string_view last = names.back();
    names.pop_back();
    HiveKey* parent = &root_;
    for (auto name : names) {
        auto it = parent->children_.find(name);
        if (it == parent->children_.end())
            return false;
        parent = &it->second;
    }
    auto it = parent->children_.find(last);
    if (it == parent->children_.end())
        return false;
    parent->children_.erase(it);
    return true;
}

ParsedHive parseHive(std::string_view text, std::string_view rootName) {
    ParsedHive result;
    if (text.substr(0, kByteOrderMark.size()) == kByteOrderMark) {
        text.remove_prefix(kByteOrderMark.size());
    }
    bool sawHeader = false;
    bool sawContent = false;
    HiveKey* current = nullptr;  // null before the first key line and under a bad key line
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos)
            end = text.size();
        const std::string_view line = trimRight(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line.front() == ';')
            continue;
        if (!sawHeader && !sawContent && line == kHeader) {
            sawHeader = true;
            continue;
        }
        sawContent = true;
        if (line.front() == '[') {
            const auto path = parseKeyLine(line, rootName);
            current = path ? result.tree.create(*path) : nullptr;
            if (!current)
                ++result.badLines;
            continue;
        }
        auto value = parseValueLine(line);
        if (!value || !current) {
            ++result.badLines;
            continue;
        }
        current->takeValue(std::move(value->name), std::move(value->data));
    }
    if (sawContent && !sawHeader)
        ++result.badLines;
    return result;
}

std::optional<std::string> serializeHiveUpTo(const HiveTree& tree, std::string_view rootName,
                                             std::size_t maxBytes) {
    std::string out(kHeader);
    out += "\n\n";
    std::string path(rootName);
    if (!tree.root().values().empty())
        appendKey(out, tree.root(), path);
    // Depth first without recursion: each frame holds the next sub-key to write and the length
    // of its parent's path.
    struct Frame {
        const HiveKey* key;
        HiveKey::Children::const_iterator next;
        std::size_t pathLength;
    };
    std::vector<Frame> stack{{&tree.root(), tree.root().children().begin(), path.size()}};
    while (!stack.empty() && out.size() <= maxBytes) {
        Frame& top = stack.back();
        if (top.next == top.key->children().end()) {
            stack.pop_back();
            continue;
        }
        const HiveKey& key = (top.next++)->second;
        path.resize(top.pathLength);
        path += '\\';
        path += key.name();
        appendKey(out, key, path);
        stack.push_back({&key, key.children().begin(), path.size()});
    }
    if (out.size() > maxBytes)
        return std::nullopt;
    return out;
}

std::string serializeHive(const HiveTree& tree, std::string_view rootName) {
    return *serializeHiveUpTo(tree, rootName, std::string::npos);
}

std::string quoteHiveString(std::string_view text) {
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string out = "\"";
    for (const char c : text) {
        switch (c) {
            case '\\':
                out += "\\\\";
                break;
            case '"':
                out += "\\\"";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\n':
                out += "\\n";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\0':
                out += "\\0";
                break;
            default:
                if (isControl(static_cast<unsigned char>(c))) {
                    const auto b = static_cast<unsigned char>(c);
                    out += "\\x";
                    out += kHex[b >> 4];
                    out += kHex[b & 0xF];
                } else {
                    out += c;
                }
        }
    }
    out += '"';
    return out;
}

}  // namespace muralto::platform
