// Parses arbitrary text as a hive, writes the tree and parses that again: the same keys,
// names, values and order, with no bad line. Each line of the text is also tried as a key path
// to create, fill and remove, and the changed tree must survive the same round trip.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <utility>
#include <vector>

#include "platform/HiveTree.h"

using muralto::platform::HiveKey;
using muralto::platform::HiveTree;

namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

/// Whether the two trees hold the same keys, names and values in the same order.
bool sameTree(const HiveTree& a, const HiveTree& b) {
    std::vector<std::pair<const HiveKey*, const HiveKey*>> pending{{&a.root(), &b.root()}};
    while (!pending.empty()) {
        const auto [x, y] = pending.back();
        pending.pop_back();
        if (x->name() != y->name() || x->values().size() != y->values().size() ||
            x->children().size() != y->children().size()) {
            return false;
        }
        for (std::size_t i = 0; i < x->values().size(); ++i) {
            if (x->values()[i].name != y->values()[i].name ||
                x->values()[i].data != y->values()[i].data) {
                return false;
            }
        }
        auto xi = x->children().begin();
        for (auto yi = y->children().begin(); yi != y->children().end(); ++xi, ++yi)
            pending.emplace_back(&xi->second, &yi->second);
    }
    return true;
}

void checkRoundTrip(const HiveTree& tree) {
    const std::string text = muralto::platform::serializeHive(tree, kRoot);
    const auto again = muralto::platform::parseHive(text, kRoot);
    if (again.badLines != 0 || !sameTree(tree, again.tree))
        std::abort();
}

void checkPath(HiveTree& tree, std::string_view path) {
    HiveKey* key = tree.create(path);
    if ((key != nullptr) != HiveTree::isValidPath(path))
        std::abort();
    if (!key)
        return;
    if (tree.find(path) != key)
        std::abort();
    key->setValue(path, path);
    if (!key->findValue(path) || *key->findValue(path) != path)
        std::abort();
    if (!path.empty() && (!tree.remove(path) || tree.find(path)))
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    auto parsed = muralto::platform::parseHive(text, kRoot);
    checkRoundTrip(parsed.tree);

    constexpr int kMaxPaths = 64;
    std::size_t pos = 0;
    for (int n = 0; n < kMaxPaths && pos <= text.size(); ++n) {
        const std::size_t end = std::min(text.find('\n', pos), text.size());
        checkPath(parsed.tree, text.substr(pos, end - pos));
        pos = end + 1;
    }
    checkRoundTrip(parsed.tree);
    return 0;
}
