// The process list's texts for arbitrary input: the memory text of any
// working set (or none), and the path rules for any module path and any
// system directory the system might report.
#include <charconv>
#include <cstdlib>
#include <limits>

#include "fuzz_input.h"
#include "process/process_snapshot.h"

namespace {

void Require(bool condition) {
    if (!condition)
        std::abort();
}

void CheckMemoryText(std::optional<std::uint64_t> bytes) {
    const std::string text = qmo::FormatMemoryText(bytes);
    if (!bytes) {
        Require(text.empty());
        return;
    }
    const bool small = *bytes <= 1024;
    const std::string unit = small ? " BYTES" : " K";
    Require(text.size() > unit.size() && text.ends_with(unit));
    std::uint64_t shown = 0;
    const char* digitsEnd = text.data() + text.size() - unit.size();
    const auto [end, error] = std::from_chars(text.data(), digitsEnd, shown);
    Require(error == std::errc() && end == digitsEnd);
    const std::uint64_t expected =
        small ? *bytes : std::min<std::uint64_t>(*bytes / 1024, std::numeric_limits<std::uint32_t>::max());
    Require(shown == expected);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qmo::fuzzing::FuzzInput input(data, size);
    const std::uint8_t flags = input.Byte();
    std::uint64_t bytes = 0;
    for (int i = 0; i < 8; ++i)
        bytes = bytes << 8 | input.Byte();
    CheckMemoryText((flags & 1) ? std::optional<std::uint64_t>(bytes) : std::nullopt);

    const std::optional<std::string> systemDirectory =
        (flags & 2) ? std::optional<std::string>(input.Text(input.Byte() % 16)) : std::nullopt;
    const std::string path = input.Text(4096);
    const std::string normalised = qmo::NormaliseProcessPath(path, systemDirectory);
    // Markers only ever shrink: "\??\" goes, "\SystemRoot\" becomes a three-character root.
    Require(normalised.size() <= path.size());
    if (path.find("\\??\\") == std::string::npos && path.find("\\SystemRoot\\") == std::string::npos)
        Require(normalised == path);
    return 0;
}
