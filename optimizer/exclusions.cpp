#include "optimizer/exclusions.h"

#include <algorithm>

#include "framework/utf.h"
#include "framework/texts.h"
#include "res/pages_resource.h"

namespace qmo {
namespace {

// Lower case as Windows folds file names, for the scripts programs are named
// in: Latin, Greek and Cyrillic.
char32_t Folded(char32_t c) {
    if (c >= U'A' && c <= U'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7) || (c >= 0x391 && c <= 0x3AB && c != 0x3A2) ||
        (c >= 0x410 && c <= 0x42F))
        return c + 32;
    if (c >= 0x400 && c <= 0x40F)
        return c + 80;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs upper and lower case: even-odd, but odd-even in two runs.
        const bool oddUpper = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        const bool upper = oddUpper ? (c % 2 == 1) : (c % 2 == 0);
        return upper ? c + 1 : c;
    }
    return c;
}

std::u32string FoldedCodePoints(std::string_view utf8) {
    std::u32string out = Utf8ToCodePoints(utf8);
    for (char32_t& c : out)
        c = c == U'/' ? U'\\' : Folded(c);
    return out;
}

// Greedy with one step back to the last *: linear in practice, and never
// deep whatever the pattern.
bool Matches(const std::u32string& pattern, const std::u32string& text) {
    std::size_t p = 0, t = 0;
    std::optional<std::size_t> star;
    std::size_t starText = 0;
    while (t < text.size()) {
        if (p < pattern.size() && (pattern[p] == U'?' || pattern[p] == text[t])) {
            ++p, ++t;
        } else if (p < pattern.size() && pattern[p] == U'*') {
            star = p++;
            starText = t;
        } else if (star) {
            p = *star + 1;
            t = ++starText;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == U'*')
        ++p;
    return p == pattern.size();
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t';
}

std::string_view FileNameOf(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

}  // namespace

std::string TidyExclusion(std::string_view entry) {
    while (!entry.empty() && IsSpace(entry.front()))
        entry.remove_prefix(1);
    while (!entry.empty() && IsSpace(entry.back()))
        entry.remove_suffix(1);
    const std::u16string utf16 = Utf8ToUtf16(entry);
    if (utf16.empty() || utf16.size() > kLongestExclusion)
        return {};
    std::string tidy(entry);
    std::replace(tidy.begin(), tidy.end(), '/', '\\');
    return tidy;
}

std::vector<std::string> KeptExclusions(const std::vector<std::string>& entries) {
    std::vector<std::string> kept;
    std::vector<std::u32string> folded;
    for (const std::string& entry : entries) {
        if (kept.size() == kMaxExclusions)
            break;
        std::string tidy = TidyExclusion(entry);
        if (tidy.empty())
            continue;
        std::u32string key = FoldedCodePoints(tidy);
        if (std::find(folded.begin(), folded.end(), key) != folded.end())
            continue;
        folded.push_back(std::move(key));
        kept.push_back(std::move(tidy));
    }
    return kept;
}

bool ExclusionNamesPath(std::string_view entry) {
    return entry.find_first_of("\\/:") != std::string_view::npos;
}

bool MatchesWildcard(std::string_view pattern, std::string_view text) {
    return Matches(FoldedCodePoints(pattern), FoldedCodePoints(text));
}

bool SameFileName(std::string_view a, std::string_view b) {
    return FoldedCodePoints(a) == FoldedCodePoints(b);
}

ExclusionList::ExclusionList(const std::vector<std::string>& entries) {
    for (std::string& entry : KeptExclusions(entries))
        (ExclusionNamesPath(entry) ? m_paths : m_names).push_back(std::move(entry));
}

std::optional<std::string> ExclusionList::MatchFor(std::string_view name, std::string_view path) const {
    // Toolhelp gives the file name; a name read from elsewhere may carry a folder.
    const std::u32string fileName = FoldedCodePoints(FileNameOf(name));
    for (const std::string& entry : m_names)
        if (Matches(FoldedCodePoints(entry), fileName))
            return entry;
    if (path.empty())
        return std::nullopt;
    const std::u32string fullPath = FoldedCodePoints(path);
    for (const std::string& entry : m_paths)
        if (Matches(FoldedCodePoints(entry), fullPath))
            return entry;
    return std::nullopt;
}

std::vector<std::string> WithProgramExcluded(std::vector<std::string> entries, std::string_view name,
                                             std::string_view path) {
    entries = KeptExclusions(entries);
    if (ExclusionList(entries).Excludes(name, path) || entries.size() >= kMaxExclusions)
        return entries;
    const std::string entry = TidyExclusion(FileNameOf(name));
    if (!entry.empty())
        entries.push_back(entry);
    return entries;
}

std::vector<std::string> WithoutProgram(std::vector<std::string> entries, std::string_view name,
                                        std::string_view path) {
    entries = KeptExclusions(entries);
    std::erase_if(entries, [&](const std::string& entry) {
        return SameFileName(entry, FileNameOf(name)) || (!path.empty() && SameFileName(entry, path));
    });
    return entries;
}

ExclusionAdded AddExclusion(std::vector<std::string>& entries, std::string_view typed, std::size_t& index) {
    const std::string entry = TidyExclusion(typed);
    if (entry.empty())
        return ExclusionAdded::NotKept;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (SameFileName(entries[i], entry)) {
            index = i;
            return ExclusionAdded::AlreadyListed;
        }
    }
    if (entries.size() >= kMaxExclusions)
        return ExclusionAdded::ListFull;
    entries.push_back(entry);
    index = entries.size() - 1;
    return ExclusionAdded::Added;
}

std::string ExclusionAddedProblem(ExclusionAdded outcome) {
    switch (outcome) {
    case ExclusionAdded::Added:
        return {};
    case ExclusionAdded::AlreadyListed:
        return Text(IDS_EXCL_ALREADY_LISTED);
    case ExclusionAdded::NotKept:
        return Text(IDS_EXCL_NOT_KEPT);
    case ExclusionAdded::ListFull:
        return Text(IDS_EXCL_LIST_FULL);
    }
    return {};
}

}  // namespace qmo
