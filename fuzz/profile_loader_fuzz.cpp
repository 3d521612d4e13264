// The settings loader fed arbitrary registry contents: any type, any size, any
// bytes for each of the values. It must never crash or leak, must keep the
// defaults unless a shortcut is readable, and what it loaded must be written
// back so that it loads again unchanged.
#include <cstdlib>

#include "config/optimizer_settings.h"
#include "fake_settings_stores.h"
#include "fuzz_input.h"
#include "raw_profile.h"

namespace {

constexpr const char* kValueNames[] = {"CL", "SC", "RAS", "SN", "bAOMAMSF", "bARPL", "bEnableShortcut"};

void Require(bool condition) {
    if (!condition)
        std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    qmo::fuzzing::FuzzInput input(data, size);
    qmo::testing::RawProfile profile;
    for (const char* name : kValueNames) {
        const std::uint8_t shape = input.Byte();
        if (shape & 0x80)
            continue;  // the value is missing
        const std::uint32_t type = shape & 0x0F;
        // Sizes up to a little beyond the largest string kept.
        const std::size_t length = input.Word() % (qmo::kMaxProfileStringBytes + 64);
        profile.Set(name, {type, input.Bytes(length)});
    }

    qmo::OptimizerSettings settings;
    qmo::ReadSettings(profile, settings);
    const std::optional<std::string> shortcut =
        profile.values.contains("Settings\\SC")
            ? qmo::DecodeProfileString(profile.values["Settings\\SC"].type, profile.values["Settings\\SC"].data)
            : std::nullopt;
    if (!shortcut || shortcut->empty())
        Require(settings == qmo::OptimizerSettings{});
    else
        Require(settings.m_strShortcutKey == *shortcut);

    // What was loaded is saved whole and loads again the same.
    qmo::testing::RawProfile saved;
    qmo::WriteSettings(saved, settings);
    qmo::OptimizerSettings reloaded;
    reloaded.m_nCriticalLimit = -12345;
    qmo::ReadSettings(saved, reloaded);
    Require(reloaded == settings);

    // Keeping the Run entry in step with any loaded record, whatever the path.
    qmo::testing::FakeRunEntry runEntry;
    runEntry.executablePath = input.Text(input.Byte());
    runEntry.writable = (input.Byte() & 1) != 0;
    qmo::UpdateRunEntry(runEntry, !settings.m_bRunAtStartup);

    // Any text, once cleaned by a trip through UTF-16, survives further trips.
    const std::string clean = qmo::Utf16ToUtf8(qmo::Utf8ToUtf16(input.Text(256)));
    Require(qmo::Utf16ToUtf8(qmo::Utf8ToUtf16(clean)) == clean);
    return 0;
}
