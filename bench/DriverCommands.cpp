#include "bench/DriverCommands.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <functional>
#include <iterator>
#include <optional>

#include "bench/BenchInputs.h"
#include "bench/PoolShuffle.h"
#include "bench/ProcessMeter.h"
#include "bench/ResidentProbe.h"
#include "bench/WindowProbe.h"
#include "folders/DirectoryScan.h"
#include "imaging/PlayOrder.h"

namespace muralto::bench {

namespace {

/// The arguments after "--"; empty when there is no "--" or nothing follows it.
Arguments commandAfterDashes(const Arguments& args, std::size_t* dashes) {
    const auto found = std::find(args.begin(), args.end(), "--");
    *dashes = std::size_t(found - args.begin());
    return found == args.end() ? Arguments() : Arguments(found + 1, args.end());
}

struct ShuffleOptions {
    std::size_t n = 0;
    std::uint64_t seed = 1;
    std::size_t runs = 1;
    bool check = false;
    bool print = false;
};

std::optional<ShuffleOptions> parseShuffle(const Arguments& args) {
    if (args.empty())
        return std::nullopt;
    ShuffleOptions options;
    const auto n = number(args[0], 0, std::uint64_t{1} << 30);
    if (!n)
        return std::nullopt;
    options.n = *n;
    for (std::size_t i = 1; i < args.size(); ++i) {
        const bool hasValue = i + 1 < args.size();
        if (args[i] == "--check") {
            options.check = true;
        } else if (args[i] == "--print") {
            options.print = true;
        } else if (args[i] == "--seed" && hasValue) {
            const auto seed = number(args[++i], 0, UINT64_MAX);
            if (!seed)
                return std::nullopt;
            options.seed = *seed;
        } else if (args[i] == "--runs" && hasValue) {
            const auto runs = number(args[++i], 1, 1000);
            if (!runs)
                return std::nullopt;
            options.runs = *runs;
        } else {
            return std::nullopt;
        }
    }
    return options;
}

/// The NAME VALUE pairs before the command's "--": false when one is cut short or take refuses
/// it.
bool takeOptionPairs(const Arguments& args, std::size_t dashes,
                     const std::function<bool(const std::string&, const std::string&)>& take) {
    if (dashes % 2 != 0)
        return false;
    for (std::size_t i = 0; i < dashes; i += 2) {
        if (!take(args[i], args[i + 1]))
            return false;
    }
    return true;
}

std::optional<ResidentOptions> parseResident(const Arguments& args) {
    ResidentOptions options;
    std::size_t dashes = 0;
    options.command = commandAfterDashes(args, &dashes);
    const bool taken = takeOptionPairs(args, dashes, [&](const auto& name, const auto& value) {
        if (name == "--log") {
            options.logPath = value;
            return true;
        }
        const auto n = number(value, 0, 3600);
        if (n && name == "--starts")
            options.starts = int(*n);
        else if (n && name == "--idle")
            options.idleSeconds = int(*n);
        else
            return false;
        return true;
    });
    return taken && !options.command.empty() ? std::optional(options) : std::nullopt;
}

std::optional<WindowOptions> parseWindowStart(const Arguments& args) {
    WindowOptions options;
    std::size_t dashes = 0;
    options.command = commandAfterDashes(args, &dashes);
    const bool taken = takeOptionPairs(args, dashes, [&](const auto& name, const auto& value) {
        const auto starts = number(value, 1, 1000);
        if (name == "--log")
            options.logPath = value;
        else if (name == "--starts" && starts)
            options.starts = int(*starts);
        else
            return false;
        return true;
    });
    return taken && !options.command.empty() ? std::optional(options) : std::nullopt;
}

}  // namespace

int makeTreeCommand(const Arguments& args) {
    const bool withPicture = args.size() == 4 && args[2] == "--picture";
    const auto count =
        args.size() == 2 || withPicture ? number(args[1], 0, 100'000'000) : std::nullopt;
    if (!count)
        return misuse("muralto_bench make-tree DIR COUNT [--picture FILE]");
    std::string picture;
    if (withPicture) {
        std::ifstream in(args[3], std::ios::binary);
        picture.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof())
            return failure("cannot read " + args[3]);
        if (picture.empty())
            return failure("no picture in " + args[3]);
    }
    const TreeSummary tree = makeFileTree(args[0], *count, picture);
    if (!tree.error.empty())
        return failure(tree.error);
    std::printf("files: %zu\ncandidates: %zu\nfolders: %zu\n", tree.files, tree.candidates,
                tree.folders);
    return 0;
}

int makeHostileCommand(const Arguments& args) {
    if (args.size() != 1)
        return misuse("muralto_bench make-hostile OUT");
    const std::string error = writeFileBytes(args[0], hostileJpegBytes());
    return error.empty() ? 0 : failure(error);
}

int scanCommand(const Arguments& args) {
    const bool list = args.size() == 2 && args[1] == "--list";
    if (args.size() != 1 && !list)
        return misuse("muralto_bench scan DIR [--list]");
    std::vector<std::string> gsImageList{""};
    imaging::AddImageFiles(args[0], gsImageList);
    if (!list) {
        std::printf("candidates: %zu\n", gsImageList.size() - 1);
        return 0;
    }
    for (std::size_t i = 1; i < gsImageList.size(); ++i) {
        std::fwrite(gsImageList[i].data(), 1, gsImageList[i].size(), stdout);
        std::fputc('\n', stdout);
    }
    return 0;
}

int shuffleCommand(const Arguments& args) {
    const auto options = parseShuffle(args);
    if (!options)
        return misuse("muralto_bench shuffle N [--seed S] [--runs R] [--check] [--print]");
    std::vector<double> times;
    std::vector<std::uint32_t> order;
    for (std::size_t run = 0; run < options->runs; ++run) {
        SeededRandom random(options->seed);
        const auto start = std::chrono::steady_clock::now();
        order = imaging::ShuffledIndices(options->n, random);
        const auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    std::printf("shuffle_ms: %.1f\n", median(times));
    if (options->check) {
        SeededRandom random(options->seed);
        const bool same = PoolShuffle(options->n, random) == order;
        std::printf("matches_pool: %s\n", same ? "yes" : "no");
    }
    if (options->print) {
        for (std::size_t i = 1; i < order.size(); ++i)
            std::printf("%u\n", order[i]);
    }
    return 0;
}

int measureCommand(const Arguments& args) {
    std::size_t dashes = 0;
    const Arguments command = commandAfterDashes(args, &dashes);
    if (dashes != 0 || command.empty())
        return misuse("muralto_bench measure -- COMMAND [ARGUMENT...]");
    const ProcessCost cost = measureProcess(command);
    if (!cost.error.empty())
        return failure(cost.error);
    std::printf("wall_ms: %.2f\nmaxrss_kb: %ld\nexit: %d\n", cost.wallMs, cost.maxRssKb,
                cost.exitCode);
    return 0;
}

int residentCommand(const Arguments& args) {
    const auto options = parseResident(args);
    if (!options)
        return misuse(
            "muralto_bench resident [--starts N] [--idle SECONDS] [--log FILE] -- COMMAND...");
    const ResidentReport report = probeResident(*options);
    for (const double ms : report.startMs)
        std::printf("start_ms: %.1f\n", ms);
    if (!report.error.empty())
        return failure(report.error);
    std::printf("idle_rss_mb: %.1f\nidle_cpu_pct: %.3f\n", report.idleRssMb, report.idleCpuPct);
    return 0;
}

int windowStartCommand(const Arguments& args) {
    const auto options = parseWindowStart(args);
    if (!options)
        return misuse("muralto_bench window-start [--starts N] [--log FILE] -- COMMAND...");
    const WindowReport report = probeWindowStarts(*options);
    for (std::size_t i = 0; i < report.paintedMs.size(); ++i)
        std::printf("map_ms: %.1f\npaint_ms: %.1f\n", report.mappedMs[i], report.paintedMs[i]);
    return report.error.empty() ? 0 : failure(report.error);
}

}  // namespace muralto::bench
