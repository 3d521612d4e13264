#pragma once
// Programs no run trims: file names ("game.exe"), full paths, or patterns
// with * and ?, compared as Windows compares file names, whatever the case.
// Portable.
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace qmo {

inline constexpr std::size_t kMaxExclusions = 256;
inline constexpr std::size_t kLongestExclusion = 260;  // characters, as a full path may have

// The entry as kept: the spaces around it gone, "/" read as "\"; empty when it
// cannot be kept (empty, or longer than kLongestExclusion characters).
std::string TidyExclusion(std::string_view entry);
// The entries as kept, in their order: those that cannot be kept and repeats
// of an earlier one are skipped, and no more than kMaxExclusions are kept.
std::vector<std::string> KeptExclusions(const std::vector<std::string>& entries);
// An entry with a folder in it is matched against the full path, any other
// against the file name.
bool ExclusionNamesPath(std::string_view entry);
// * matches any run of characters, ? any one; the rest as Windows compares names.
bool MatchesWildcard(std::string_view pattern, std::string_view text);
bool SameFileName(std::string_view a, std::string_view b);

class ExclusionList {
public:
    ExclusionList() = default;
    explicit ExclusionList(const std::vector<std::string>& entries);

    // Some entry can only be matched with the process's full path.
    bool NeedsPaths() const noexcept { return !m_paths.empty(); }
    // The entry that excludes a process of this file name and path (the path
    // may be empty when it could not be read); none when no entry does.
    std::optional<std::string> MatchFor(std::string_view name, std::string_view path) const;
    bool Excludes(std::string_view name, std::string_view path) const { return MatchFor(name, path).has_value(); }

private:
    std::vector<std::string> m_names;
    std::vector<std::string> m_paths;
};

// `entries` with this program added as its file name, unless an entry already
// excludes it; the list's limit holds.
std::vector<std::string> WithProgramExcluded(std::vector<std::string> entries, std::string_view name,
                                             std::string_view path);
// `entries` without those naming this program by its file name or full path.
// Patterns stay: what they exclude is more than this program.
std::vector<std::string> WithoutProgram(std::vector<std::string> entries, std::string_view name,
                                        std::string_view path);

// What the exclusions dialog's Add does with what was typed.
enum class ExclusionAdded { Added, AlreadyListed, NotKept, ListFull };
// `index` is where the entry stands: added at the end, or listed before.
ExclusionAdded AddExclusion(std::vector<std::string>& entries, std::string_view typed, std::size_t& index);
// The line the dialog shows for it; empty for Added.
std::string ExclusionAddedProblem(ExclusionAdded outcome);

}  // namespace qmo
