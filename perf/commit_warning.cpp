#include "perf/commit_warning.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "optimizer/exclusions.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

constexpr int kFewestSamples = 30;
// A rise slower than this (percent a second, 0.6 % a minute) is noise.
constexpr double kSlowestRise = 0.01;
constexpr int kLongestMinutes = 60;

}  // namespace

std::vector<CommittedProgram> MostCommitted(const std::vector<ProcessFacts>& processes,
                                            const std::map<std::uint32_t, ProcessUse>& uses, std::size_t count) {
    std::vector<CommittedProgram> programs;
    for (const ProcessFacts& process : processes) {
        const auto use = uses.find(process.id);
        if (use == uses.end() || !use->second.committedBytes || process.name.empty())
            continue;
        auto program = std::find_if(programs.begin(), programs.end(),
                                    [&](const CommittedProgram& p) { return SameFileName(p.name, process.name); });
        if (program == programs.end())
            programs.push_back({process.name, *use->second.committedBytes});
        else
            program->bytes += *use->second.committedBytes;
    }
    std::stable_sort(programs.begin(), programs.end(),
                     [](const CommittedProgram& a, const CommittedProgram& b) { return a.bytes > b.bytes; });
    if (programs.size() > count)
        programs.resize(count);
    return programs;
}

std::string CommittedSize(std::uint64_t bytes) {
    constexpr std::uint64_t kKB = 1024, kMB = kKB * 1024, kGB = kMB * 1024;
    if (bytes >= kGB) {
        return FormatText(IDS_COMMIT_SIZE_GB,
                          {FormatFigure(static_cast<double>(bytes) / static_cast<double>(kGB), 1)});
    }
    if (bytes >= kMB)
        return FormatText(IDS_COMMIT_SIZE_MB, {FormatCount(static_cast<std::int64_t>(bytes / kMB))});
    return FormatText(IDS_COMMIT_SIZE_KB, {FormatCount(static_cast<std::int64_t>(bytes / kKB))});
}

std::string MostCommittedLine(const std::vector<CommittedProgram>& programs) {
    std::string list;
    for (const CommittedProgram& program : programs)
        list += (list.empty() ? "" : ", ") + program.name + " " + CommittedSize(program.bytes);
    return list.empty() ? list : FormatText(IDS_COMMIT_MOST, {list});
}

std::optional<int> MinutesToCommitLimit(const float* percents, int count) {
    if (!percents || count < kFewestSamples)
        return std::nullopt;
    // Least squares over the samples, one a second.
    double sumX = 0, sumY = 0, sumXX = 0, sumXY = 0;
    for (int i = 0; i < count; ++i) {
        const double x = i, y = percents[i];
        sumX += x, sumY += y, sumXX += x * x, sumXY += x * y;
    }
    const double n = count;
    const double slope = (n * sumXY - sumX * sumY) / (n * sumXX - sumX * sumX);
    const double last = percents[count - 1];
    if (!(slope >= kSlowestRise) || last >= 100 || last < 0)
        return std::nullopt;
    const double seconds = (100.0 - last) / slope;
    const int minutes = std::max(1, static_cast<int>(std::lround(seconds / 60.0)));
    if (minutes > kLongestMinutes)
        return std::nullopt;
    return minutes;
}

std::string CommitLimitLine(int minutes) {
    return FormatText(IDS_COMMIT_LIMIT_MINUTES, {FormatCount(minutes)});
}

}  // namespace qmo
