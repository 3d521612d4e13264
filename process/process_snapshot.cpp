#include "process/process_snapshot.h"

#include <algorithm>
#include <limits>
#include <map>

#include "framework/texts.h"
#include "res/process_resource.h"

namespace qmo {
namespace {

constexpr std::string_view kObjectManagerPrefix = "\\??\\";
constexpr std::string_view kSystemRootMarker = "\\SystemRoot\\";
constexpr std::string_view kFallbackDriveRoot = "c:\\";

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
}

// The system directory is asked for only when the path needs it.
bool MentionsSystemRoot(std::string path) {
    ReplaceAll(path, kObjectManagerPrefix, "");
    return path.find(kSystemRootMarker) != std::string::npos;
}

// The extension of the path's last name, lower case ("" for none).
std::string ExtensionOf(const std::string& path) {
    const std::size_t name = path.find_last_of("\\/");
    const std::size_t dot = path.rfind('.');
    if (dot == std::string::npos || (name != std::string::npos && dot < name))
        return {};
    std::string extension = path.substr(dot);
    for (char& c : extension)
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    return extension;
}

// The system's icon of a file follows from its extension alone, so one
// snapshot asks once per extension rather than once per process.
class IconIndexPerExtension : public IconIndexSource {
public:
    explicit IconIndexPerExtension(IconIndexSource& source) noexcept : m_source(source) {}
    int IconIndex(const std::string& path) override {
        const auto [known, added] = m_indexes.try_emplace(ExtensionOf(path), 0);
        if (added)
            known->second = m_source.IconIndex(path);
        return known->second;
    }

private:
    IconIndexSource& m_source;
    std::map<std::string, int> m_indexes;
};

}  // namespace

std::string FormatMemoryText(std::optional<std::uint64_t> workingSetBytes) {
    if (!workingSetBytes)
        return {};
    const std::uint64_t bytes = *workingSetBytes;
    if (bytes <= 1024)
        return FormatText(IDS_PROCESS_MEMORY_BYTES, {FormatCount(static_cast<std::int64_t>(bytes))});
    // 64-bit working sets of 4 GiB and more stay right: only the kibibytes must fit.
    const std::uint64_t kib = std::min<std::uint64_t>(bytes / 1024, std::numeric_limits<std::uint32_t>::max());
    return FormatText(IDS_PROCESS_MEMORY_KIB, {FormatCount(static_cast<std::int64_t>(kib))});
}

std::string NormaliseProcessPath(std::string path, const std::optional<std::string>& systemDirectory) {
    ReplaceAll(path, kObjectManagerPrefix, "");
    if (path.find(kSystemRootMarker) == std::string::npos)
        return path;
    const bool known = systemDirectory && systemDirectory->size() >= kFallbackDriveRoot.size();
    const std::string driveRoot = known ? systemDirectory->substr(0, 3) : std::string(kFallbackDriveRoot);
    ReplaceAll(path, kSystemRootMarker, driveRoot);
    return path;
}

bool AddProcessRow(ProcessInspector& system, IconIndexSource& icons, std::uint32_t processId,
                   std::vector<ProcessEntry>& rows) {
    ProcessInspector::Handle process = system.OpenProcess(kProcessAllAccess, false, processId);
    if (!process)
        process = system.OpenProcess(kProcessQueryAndRead, false, processId);
    if (!process)
        return false;
    ProcessInspector::Module executable = 0;
    if (system.FirstModule(process, executable) == 0) {
        system.CloseProcess(process);
        return true;
    }
    ProcessEntry row;
    row.pid = processId;
    row.name = system.ModuleBaseName(process, executable);
    row.workingSetBytes = system.WorkingSetSize(process);
    row.creationTime = system.CreationTime(process);
    std::string path = system.ModuleFileName(process, executable);
    const auto systemDirectory = MentionsSystemRoot(path) ? system.SystemDirectory() : std::nullopt;
    row.path = NormaliseProcessPath(std::move(path), systemDirectory);
    row.iconIndex = icons.IconIndex(row.path);
    row.memoryText = FormatMemoryText(row.workingSetBytes);
    row.committedBytes = system.CommittedBytes(process);
    row.committedText = FormatMemoryText(row.committedBytes);
    system.CloseProcess(process);
    rows.insert(rows.begin(), std::move(row));
    return true;
}

std::vector<ProcessEntry> SnapshotProcessRows(ProcessInspector& system, IconIndexSource& icons) {
    std::vector<std::uint32_t> ids = system.EnumerateProcessIds(kMaxProcessIds);
    if (ids.size() > kMaxProcessIds)
        ids.resize(kMaxProcessIds);
    std::vector<ProcessEntry> rows;
    rows.reserve(ids.size());
    IconIndexPerExtension iconsOnce(icons);
    for (std::uint32_t id : ids)
        AddProcessRow(system, iconsOnce, id, rows);
    return rows;
}

}  // namespace qmo
