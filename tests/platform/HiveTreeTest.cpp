#include <gtest/gtest.h>

#include "platform/HiveTree.h"
#include "tests/support/TestSupport.h"

namespace muralto::platform {
namespace {

constexpr std::string_view kRoot = "HKEY_CURRENT_USER";

/// A key path of depth names below K.
std::string pathOfDepth(std::size_t depth, const std::string& name = "a") {
    std::string path = "K";
    for (std::size_t i = 1; i < depth; ++i)
        path += "\\" + name;
    return path;
}

std::string valueAt(const HiveTree& tree, std::string_view path, std::string_view name) {
    const HiveKey* key = tree.find(path);
    const std::string* value = key ? key->findValue(name) : nullptr;
    return value ? *value : "<missing>";
}

TEST(HiveTree, WritesTheExportFormatWithEveryKeyOnItsOwnLine) {
    HiveTree tree;
    tree.create("Software\\Brenwick\\Muralto\\Settings")->setValue("Delay", "60");
    tree.create("Software\\Brenwick\\Muralto\\Settings")->setValue("Preview hWnd", "");
    tree.create("Software\\Brenwick\\Muralto\\Windows\\frmMuralto");
    EXPECT_EQ(serializeHive(tree, kRoot),
              "Windows Registry Editor Version 5.00\n\n"
              "[HKEY_CURRENT_USER\\Software]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brenwick]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Settings]\n"
              "\"Delay\"=\"60\"\n"
              "\"Preview hWnd\"=\"\"\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Windows]\n\n"
              "[HKEY_CURRENT_USER\\Software\\Brenwick\\Muralto\\Windows\\frmMuralto]\n\n");
    const std::string text = serializeHive(tree, kRoot);
    EXPECT_EQ(serializeHiveUpTo(tree, kRoot, text.size()), text);
    EXPECT_EQ(serializeHiveUpTo(tree, kRoot, text.size() - 1), std::nullopt);
}

TEST(HiveTree, EscapesRoundTripEveryByte) {
    std::string allBytes;
    for (int b = 0; b < 256; ++b)
        allBytes += static_cast<char>(b);
    // Every byte once, and a value that ends in an escaped quote.
    const std::vector<std::string> values = {"", allBytes, "back\\slash \"quoted\"", "]["};
    HiveTree tree;
    for (std::size_t i = 0; i < values.size(); ++i)
        tree.create("K")->setValue("v" + std::to_string(i), values[i]);
    tree.create("K")->setValue("", "default value");
    const std::string text = serializeHive(tree, kRoot);
    EXPECT_EQ(quoteHiveString(std::string("\x01\x1f\x7f", 3)), "\"\\x01\\x1F\x7f\"");

    const ParsedHive parsed = parseHive(text, kRoot);
    EXPECT_EQ(parsed.badLines, 0);
    for (std::size_t i = 0; i < values.size(); ++i)
        EXPECT_EQ(valueAt(parsed.tree, "K", "v" + std::to_string(i)), values[i]) << i;
    EXPECT_EQ(valueAt(parsed.tree, "k", ""), "default value");
}

// Few values are looked up one by one and many through an index; keys come in any order. Both
// ways find every name whatever its case, and keep the first spelling and the order.
TEST(HiveTree, ManyValuesAndKeysInAnyOrderAreFoundWhateverTheirCase) {
    for (const int count : {3, 8, 40}) {
        HiveTree tree;
        HiveKey& key = *tree.create("K");
        for (int i = count - 1; i >= 0; --i)
            key.setValue("Value" + std::to_string(i), std::to_string(i));
        for (int i = 0; i < count; i += 2)
            key.setValue("VALUE" + std::to_string(i), "again " + std::to_string(i));
        ASSERT_EQ(key.values().size(), static_cast<std::size_t>(count)) << count;
        EXPECT_EQ(key.values().front().name, "Value" + std::to_string(count - 1));
        for (int i = 0; i < count; ++i) {
            const std::string* data = key.findValue("value" + std::to_string(i));
            EXPECT_EQ(data ? *data : "<missing>", (i % 2 ? "" : "again ") + std::to_string(i))
                << count << " " << i;
        }
        EXPECT_EQ(key.findValue("Value" + std::to_string(count)), nullptr);

        for (const char* name : {"m", "Z", "a", "zz", "B", "M", "y"})
            tree.create(std::string("K\\") + name);
        std::string order;
        for (const auto& [name, child] : tree.find("k")->children())
            order += child.name() + " ";
        EXPECT_EQ(order, "a B m y Z zz ") << count;
    }
}

TEST(HiveTree, NamesIgnoreCaseButKeepTheirFirstSpelling) {
    HiveTree tree;
    tree.create("Software\\Muralto")->setValue("Delay", "60");
    tree.create("SOFTWARE\\muralto")->setValue("DELAY", "90");
    for (auto [name, data] : {std::pair{"b", "1"}, {"A", "2"}, {"c", "3"}, {"a", "4"}})
        tree.create("software\\MURALTO")->setValue(name, data);

    const HiveKey* key = tree.find("software\\MURALTO");
    ASSERT_NE(key, nullptr);
    std::vector<std::string> values;
    for (const auto& v : key->values())
        values.push_back(v.name + "=" + v.data);
    EXPECT_EQ(values, (std::vector<std::string>{"Delay=90", "b=1", "A=4", "c=3"}));
    EXPECT_EQ(tree.find("SOFTWARE")->name(), "Software");
}

TEST(HiveTree, OnlyValidPathsCreateKeys) {
    const std::pair<std::string, bool> cases[] = {
        {"", true},
        {"Software\\Muralto", true},
        {"Software\\\\Muralto", false},
        {"Software\\", false},
        {pathOfDepth(512), true},
        {pathOfDepth(513), false},
    };
    for (const auto& [path, valid] : cases) {
        HiveTree tree;
        HiveKey* key = tree.create(path);
        EXPECT_EQ(key != nullptr, valid) << path.size();
        if (key)
            EXPECT_EQ(tree.find(path), key);
        else
            EXPECT_TRUE(tree.root().children().empty());  // nothing along the path either
    }
}

const std::string kHead = "Windows Registry Editor Version 5.00\n\n[HKEY_CURRENT_USER\\K]\n";

TEST(HiveParsing, KeepsEveryGoodLineAndCountsTheRest) {
    struct Case {
        std::string text;
        int badLines;
        std::string delay;  // what the value below reads as in key K
        const char* valueName = "Delay";
    };
    const Case cases[] = {
        {kHead + "\"Delay\"=\"60\"\n", 0, "60"},
        {"\xEF\xBB\xBF" + kHead + "; a note\r\n\"Delay\"=\"60\"\r\n", 0, "60"},
        {"[HKEY_CURRENT_USER\\K]\n\"Delay\"=\"60\"\n", 1, "60"},  // no header
        {"Windows Registry Editor Version 5.00\n\"Delay\"=\"1\"\n", 1, "<missing>"},
        {kHead + "[HKEY_LOCAL_MACHINE\\K]\n\"Delay\"=\"5\"\n", 2, "<missing>"},
        {kHead + "\"Delay\"=\"\\q\"\n\"Other\"=\"1\"\n", 1, "<missing>"},
        {kHead + "\"Delay\"=\"60\" x\n", 1, "<missing>"},
        {kHead + "\"Delay\"=\"6\x01\"\n", 1, "<missing>"},
        {kHead + "\"Delay\"=\"1\"\n\"delay\"=\"2\"\n", 0, "2"},
        {kHead + "\"Delay\"=\"6\t0\"\n", 0, "6\t0"},
        {kHead + "\"z\"=\"1\"\n\"Z\"=\"2\"\n", 0, "2", "z"},  // the last letter folds, the next
        {kHead + "\"[\"=\"1\"\n\"{\"=\"2\"\n", 0, "1", "["},  // character does not
        {kHead + "[HKEY_CURRENT_USER\\" + pathOfDepth(513) + "]\n\"Delay\"=\"1\"\n", 2,
         "<missing>"},
    };
    for (const Case& c : cases) {
        const ParsedHive parsed = parseHive(c.text, kRoot);
        EXPECT_EQ(parsed.badLines, c.badLines) << c.text.substr(0, 200);
        EXPECT_EQ(valueAt(parsed.tree, "K", c.valueName), c.delay) << c.text.substr(0, 200);
    }
}

}  // namespace
}  // namespace muralto::platform
