#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "bench/DriverCommands.h"
#include "platform/HiveFile.h"

namespace muralto::bench {

int hiveReadCommand(const Arguments& args) {
    if (args.size() != 1)
        return misuse("muralto_bench hive-read FILE");
    platform::HiveFile hive(args[0], "HKEY_CURRENT_USER", /*readOnly=*/true);
    std::size_t keys = 0;
    std::size_t values = 0;
    const auto start = std::chrono::steady_clock::now();
    const int err = hive.read([&](const platform::HiveTree& tree) {
        std::vector<const platform::HiveKey*> pending{&tree.root()};
        while (!pending.empty()) {
            const platform::HiveKey* key = pending.back();
            pending.pop_back();
            ++keys;
            values += key->values().size();
            for (const auto& [name, child] : key->children())
                pending.push_back(&child);
        }
    });
    const auto end = std::chrono::steady_clock::now();
    if (err)
        return failure(args[0] + ": " + std::strerror(err));
    std::printf("read_ms: %.1f\nkeys: %zu\nvalues: %zu\n",
                std::chrono::duration<double, std::milli>(end - start).count(), keys - 1, values);
    return 0;
}

}  // namespace muralto::bench
