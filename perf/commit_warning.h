#pragma once
// What the critical-limit popup adds to help: the programs holding the most
// committed memory, and when the limit of committed memory will be reached
// if the last 100 seconds' rise goes on. Portable.
#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "optimizer/optimizer_engine.h"

namespace qmo {

struct CommittedProgram {
    std::string name;
    std::uint64_t bytes = 0;

    bool operator==(const CommittedProgram&) const = default;
};

// The programs with the most committed memory, largest first, each program's
// processes added together; processes whose use is unknown are not counted.
std::vector<CommittedProgram> MostCommitted(const std::vector<ProcessFacts>& processes,
                                            const std::map<std::uint32_t, ProcessUse>& uses, std::size_t count = 3);
// "2.1 GB", "900 MB", "12 KB".
std::string CommittedSize(std::uint64_t bytes);
// "Most: chrome.exe 2.1 GB, code.exe 900 MB, java.exe 640 MB"; empty when none is known.
std::string MostCommittedLine(const std::vector<CommittedProgram>& programs);

// Whole minutes until committed memory reaches 100 % at the rate the samples
// (one a second, oldest first, in percent) rose at; nothing unless at least
// 30 of them show a clear rise, or when the limit is further than an hour away.
std::optional<int> MinutesToCommitLimit(const float* percents, int count);
// "Limit of committed memory in about 4 min".
std::string CommitLimitLine(int minutes);

}  // namespace qmo
