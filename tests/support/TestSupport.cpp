#include "tests/support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <thread>

#include <sys/stat.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <system_error>

namespace muralto::test {

TempDir::TempDir() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/muralto-test-XXXXXX";
    if (!::mkdtemp(pattern.data()))
        throw std::system_error(errno, std::generic_category());
    path_ = pattern;
}

TempDir::~TempDir() {
    // Tests may leave folders without permissions behind; give them back before removing.
    std::error_code ec;
    for (auto it = std::filesystem::recursive_directory_iterator(path_, ec);
         it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
        if (it->is_directory(ec))
            ::chmod(it->path().c_str(), 0700);
    }
    ::chmod(path_.c_str(), 0700);
    std::filesystem::remove_all(path_, ec);
}

std::filesystem::path TempDir::write(const std::filesystem::path& relative,
                                     const std::string& bytes) const {
    const auto file = path_ / relative;
    std::filesystem::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << bytes;
    return file;
}

void useOffscreenScreen(int dpi) {
    static const TempDir dir;
    const std::string width = std::to_string(1024 * dpi / 96);
    const std::string height = std::to_string(768 * dpi / 96);
    const auto config = dir.write(
        "screen.json", R"({"screens":[{"name":"s","x":0,"y":0,"width":)" + width + R"(,"height":)" +
                           height + R"(,"logicalDpi":)" + std::to_string(dpi) +
                           R"(,"logicalBaseDpi":)" + std::to_string(dpi) + R"(,"dpr":1}]})");
    ::setenv("QT_QPA_PLATFORM", ("offscreen:configfile=" + config.string()).c_str(), 1);
}

std::string caseName(std::size_t index, std::string_view text) {
    static const std::map<char, std::string_view> words{
        {' ', "_"},   {'-', "minus"}, {'+', "plus"},   {'.', "dot"},    {',', "comma"},
        {'&', "amp"}, {'\\', "bs"},   {'[', "lb"},     {']', "rb"},     {'\t', "tab"},
        {'\n', "lf"}, {'\r', "cr"},   {'\0', "nul"},   {'"', "qt"},     {'/', "slash"},
        {'@', "at"},  {'`', "grave"}, {'{', "lbrace"}, {'}', "rbrace"}, {'_', "_"}};
    std::string name = (index < 10 ? "0" : "") + std::to_string(index);
    name += '_';
    if (text.empty())
        name += "empty";
    for (const char c : text) {
        if (std::isalnum(static_cast<unsigned char>(c))) {
            name += c;
        } else if (const auto word = words.find(c); word != words.end()) {
            name += word->second;
        } else {
            static constexpr char kHex[] = "0123456789ABCDEF";
            name += 'x';
            name += kHex[static_cast<unsigned char>(c) >> 4];
            name += kHex[static_cast<unsigned char>(c) & 15];
        }
    }
    return name;
}

std::string readFile(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

bool eventually(const std::function<bool()>& condition, std::chrono::milliseconds limit) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

bool processUntil(const std::function<bool()>& done, std::chrono::milliseconds limit) {
    const QDeadlineTimer deadline(limit.count());
    while (!done() && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    return done();
}

}  // namespace muralto::test
