#include "optimizer/run_record.h"

#include <array>

#include "framework/texts.h"
#include "res/optimizer_resource.h"

namespace qmo {
namespace {

// Each trigger with the name the history file keeps and the text the window shows.
struct TriggerNames {
    RunTrigger trigger;
    std::string_view name;
    TextId text;
};

constexpr std::array<TriggerNames, 9> kTriggerNames{{
    {RunTrigger::Menu, "menu", IDS_TRIGGER_MENU},
    {RunTrigger::Tray, "tray", IDS_TRIGGER_TRAY},
    {RunTrigger::Page, "page", IDS_TRIGGER_PAGE},
    {RunTrigger::Navigation, "navigation", IDS_TRIGGER_NAVIGATION},
    {RunTrigger::Popup, "popup", IDS_TRIGGER_POPUP},
    {RunTrigger::Hotkey, "hotkey", IDS_TRIGGER_HOTKEY},
    {RunTrigger::CommandLine, "command line", IDS_TRIGGER_COMMAND_LINE},
    {RunTrigger::Automatic, "automatic", IDS_TRIGGER_AUTOMATIC},
    {RunTrigger::Selected, "selected", IDS_TRIGGER_SELECTED},
}};

const TriggerNames& NamesOf(RunTrigger trigger) {
    for (const TriggerNames& names : kTriggerNames)
        if (names.trigger == trigger)
            return names;
    return kTriggerNames[0];
}

}  // namespace

std::string_view RunTriggerName(RunTrigger trigger) {
    return NamesOf(trigger).name;
}

std::string RunTriggerText(RunTrigger trigger) {
    return Text(NamesOf(trigger).text);
}

std::optional<RunTrigger> RunTriggerNamed(std::string_view name) {
    for (const TriggerNames& names : kTriggerNames)
        if (names.name == name)
            return names.trigger;
    return std::nullopt;
}

}  // namespace qmo
