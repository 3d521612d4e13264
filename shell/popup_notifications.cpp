#include "shell/popup_notifications.h"

#include "framework/format_decimal.h"
#include "framework/texts.h"
#include "optimizer/freed_memory.h"
#include "res/resource.h"

namespace qmo {
namespace {

constexpr Color kBlack{0, 0, 0};
constexpr Color kWhite{255, 255, 255};
constexpr Color kRed{255, 0, 0};
constexpr Color kGreen{0, 255, 0};
constexpr Color kMessagePanel{243, 247, 214};
constexpr int kLinesBottom = 108;  // the lowest line's room ends 15 px above the panel's edge

// The message's lines may take the room down to `messageBottom` before they
// push what lies below them, and the popup's bottom, down.
PopupContent BuildPopup(Color frameColor, std::string message, int messageId, int messageBottom = kLinesBottom) {
    PopupContent content;
    content.width = kNotificationPopupWidth;
    content.height = kNotificationPopupHeight;
    content.timing = PopupTiming{500, 16, 3000};
    PopupElements& elements = content.elements;

    PopupElement frame;
    frame.rect = {0, 0, 270, 128};
    frame.fill = frameColor;
    frame.border = true;
    elements.Add(frame);

    PopupElement panel;
    panel.rect = {5, 25, 265, 123};
    panel.fill = kMessagePanel;
    panel.border = true;
    elements.Add(panel);

    PopupElement title;
    title.rect = {5, 0, 270, 25};
    title.text = Text(IDS_APPLICATION_TITLE);
    title.textColor = kWhite;
    title.bold = true;
    title.layout = PopupTextLayout::SingleLineCentred;
    elements.Add(title);

    content.windowText = message;
    PopupElement text;
    text.rect = {30, 70, 270, messageBottom};
    text.text = std::move(message);
    text.textColor = kBlack;
    text.bold = true;
    text.link = true;
    text.layout = PopupTextLayout::WordWrapped;
    text.fitHeightToText = true;
    text.id = messageId;
    elements.Add(text);

    PopupElement icon;
    icon.rect = {12, 30, 12, 47};  // no width: the icon is never hit
    icon.image = PopupImage::Icon;
    icon.imageResource = IDR_MAINFRAME;
    icon.imageWidth = 32;
    icon.imageHeight = 32;
    elements.Add(icon);

    PopupElement close;
    close.rect = {260, 6, 270, 19};
    close.image = PopupImage::CloseButton;
    close.imageResource = IDB_POPUP_CLOSE;
    close.imageWidth = 13;
    close.imageHeight = 13;
    close.id = kPopupCloseButtonId;
    elements.Add(close);
    return content;
}

}  // namespace

std::string CriticalLimitMessage(int limitPercent) {
    return FormatText(IDS_CRITICAL_LIMIT, {FormatSignedDecimal(limitPercent)});
}

PopupContent BuildCriticalLimitPopup(int limitPercent, const std::vector<std::string>& details,
                                     bool offerOptimization) {
    const int link = offerOptimization ? kOptimizeLinkId : 0;
    if (details.empty())
        return BuildPopup(kRed, CriticalLimitMessage(limitPercent), link);
    PopupContent content = BuildPopup(kRed, CriticalLimitMessage(limitPercent), link, 88);
    PopupElement lines;
    lines.rect = {30, 90, 265, kLinesBottom};
    for (const std::string& line : details)
        lines.text += (lines.text.empty() ? "" : "\n") + line;
    lines.textColor = kBlack;
    lines.layout = PopupTextLayout::WordWrapped;
    lines.fitHeightToText = true;
    content.windowText += "\n" + lines.text;
    content.elements.Add(std::move(lines));
    return content;
}

PopupContent BuildOptimizedPopup(std::optional<std::uint64_t> freedBytes) {
    if (!freedBytes)
        return BuildPopup(kGreen, Text(IDS_MEMORY_OPTIMIZED), 0);
    // One line's room for the message and one under it for the freed line;
    // a larger font that wraps the message pushes the freed line down.
    PopupContent content = BuildPopup(kGreen, Text(IDS_MEMORY_OPTIMIZED), 0, 88);
    PopupElement freed;
    freed.rect = {30, 90, 265, kLinesBottom};
    freed.text = FreedLine(*freedBytes);
    freed.textColor = kBlack;
    freed.link = true;
    freed.id = kHistoryLinkId;
    freed.fitHeightToText = true;
    content.windowText += "\n" + freed.text;
    content.elements.Add(std::move(freed));
    return content;
}

PopupClickAction PopupClickActionFor(int elementId) {
    switch (elementId) {
    case kOptimizeLinkId:
        return PopupClickAction::StartOptimization;
    case kHistoryLinkId:
        return PopupClickAction::ShowHistory;
    default:
        return PopupClickAction::CloseNow;
    }
}

}  // namespace qmo
