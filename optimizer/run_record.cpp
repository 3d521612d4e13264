#include "optimizer/run_record.h"

#include <array>
#include <utility>

namespace qmo {
namespace {

constexpr std::array<std::pair<RunTrigger, std::string_view>, 9> kTriggerNames{{
    {RunTrigger::Menu, "menu"},
    {RunTrigger::Tray, "tray"},
    {RunTrigger::Page, "page"},
    {RunTrigger::Navigation, "navigation"},
    {RunTrigger::Popup, "popup"},
    {RunTrigger::Hotkey, "hotkey"},
    {RunTrigger::CommandLine, "command line"},
    {RunTrigger::Automatic, "automatic"},
    {RunTrigger::Selected, "selected"},
}};

}  // namespace

std::string_view RunTriggerName(RunTrigger trigger) {
    for (const auto& [known, name] : kTriggerNames)
        if (known == trigger)
            return name;
    return "menu";
}

std::optional<RunTrigger> RunTriggerNamed(std::string_view name) {
    for (const auto& [trigger, known] : kTriggerNames)
        if (known == name)
            return trigger;
    return std::nullopt;
}

}  // namespace qmo
