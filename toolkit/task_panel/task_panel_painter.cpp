#include "toolkit/task_panel/task_panel_painter.h"

#include <string>

#include "framework/text.h"
#include "toolkit/ui_paint.h"

namespace qmo {
namespace {

constexpr int kCardRadius = 6;
constexpr UINT kWrappedText = DT_LEFT | DT_TOP | DT_WORDBREAK | DT_EDITCONTROL;

}  // namespace

// Measures with the painter's own fonts on a screen-compatible memory DC.
class TaskPanelPainter::Measure : public TaskTextMeasure {
public:
    explicit Measure(TaskPanelPainter& painter) : m_painter(painter), m_dc(::CreateCompatibleDC(nullptr)) {}

    int TextHeight(std::string_view text, int width, TaskTextStyle style) override {
        if (text.empty() || !m_dc)
            return 0;
        if (width <= 0)
            return LineHeight(style);
        const std::wstring wide = Widen(text);
        scoped_select font(m_dc.get(), m_painter.FontFor(style, false));
        RECT bounds{0, 0, width, 0};
        ::DrawTextW(m_dc.get(), wide.c_str(), static_cast<int>(wide.size()), &bounds,
                    kWrappedText | DT_NOPREFIX | DT_CALCRECT);
        return bounds.bottom;
    }

    int LineHeight(TaskTextStyle style) override {
        if (!m_dc)
            return 0;
        scoped_select font(m_dc.get(), m_painter.FontFor(style, false));
        TEXTMETRICW metrics{};
        ::GetTextMetricsW(m_dc.get(), &metrics);
        return metrics.tmHeight;
    }

private:
    TaskPanelPainter& m_painter;
    unique_dc m_dc;
};

TaskPanelPainter::TaskPanelPainter() {
    DerivePalette();
}

void TaskPanelPainter::SetTheme(int theme) {
    m_theme = theme == kTaskPanelTitleTheme ? theme : kTaskPanelNavigationTheme;
    DerivePalette();
}

void TaskPanelPainter::SetSpecialCaptionColor(COLORREF color) {
    m_special = color;
    m_specialChosen = true;
}

void TaskPanelPainter::Refresh() {
    m_fonts.Reset();
    DerivePalette();
}

void TaskPanelPainter::DerivePalette() {
    m_palette = CurrentPalette();
    m_highContrast = IsHighContrast();
    if (!m_specialChosen)
        m_special = m_palette.accent;
    m_controlBrush.reset(::CreateSolidBrush(m_palette.window));
}

HFONT TaskPanelPainter::FontFor(TaskTextStyle style, bool underline) {
    switch (style) {
    case TaskTextStyle::Caption:
    case TaskTextStyle::BoldText:
        return m_fonts.Get(UiFontStyle::Bold);
    case TaskTextStyle::Heading:
        return m_fonts.Get(UiFontStyle::Heading);
    case TaskTextStyle::Link:
    case TaskTextStyle::Text:
        break;
    }
    return m_fonts.Get(underline ? UiFontStyle::Underline : UiFontStyle::Regular);
}

void TaskPanelPainter::Layout(TaskPanelModel& model, int width) {
    Measure measure(*this);
    model.Layout(width, measure);
}

void TaskPanelPainter::Paint(HDC dc, const RECT& client, const TaskPanelModel& model, const ImageStrip& icons,
                             const TaskPanelHighlights& highlights) {
    FillSolid(dc, client, IsTitle() ? m_palette.window : m_palette.canvas);
    for (std::size_t g = 0; g < model.GroupCount(); ++g) {
        const TaskGroup& group = model.Group(g);
        if (!IsTitle())
            PaintCard(dc, group);
        PaintCaption(dc, group, model, icons);
        for (std::size_t i = 0; i < group.ItemCount(); ++i) {
            if (group.Item(i).IsShown())
                PaintItem(dc, group.Item(i), icons, highlights);
        }
    }
    if (IsTitle())
        FillSolid(dc, RECT{client.left, client.bottom - 1, client.right, client.bottom}, m_palette.border);
}

void TaskPanelPainter::PaintCard(HDC dc, const TaskGroup& group) {
    const RECT card = ToRect(group.Rect());
    FillRoundRect(dc, card, ScaleForDpi(kCardRadius, m_fonts.Dpi()), m_palette.window, m_palette.border);
    const RECT caption = ToRect(group.CaptionRect());
    if (group.IsSpecial()) {
        // The card's own outline, cut off at the caption's foot: rounded on top, square below.
        const int saved = ::SaveDC(dc);
        ::IntersectClipRect(dc, caption.left, caption.top, caption.right, caption.bottom);
        FillRoundRect(dc, card, ScaleForDpi(kCardRadius, m_fonts.Dpi()), SpecialFill(), SpecialFill());
        ::RestoreDC(dc, saved);
    } else if (!group.BodyRect().IsEmpty()) {
        FillSolid(dc, RECT{caption.left + 1, caption.bottom - 1, caption.right - 1, caption.bottom},
                  m_palette.separator);
    }
}

void TaskPanelPainter::PaintCaption(HDC dc, const TaskGroup& group, const TaskPanelModel& model,
                                    const ImageStrip& icons) {
    const bool special = group.IsSpecial() && !IsTitle();
    const COLORREF text = !special ? m_palette.text
                          : m_highContrast ? m_palette.accentText
                                           : ContrastingText(m_special);
    const Rect& icon = group.CaptionIconRect();
    if (!icon.IsEmpty())
        icons.Draw(dc, group.Icon(), icon.left, icon.top);
    DrawTextIn(dc, Widen(group.Caption()), ToRect(group.CaptionTextRect()), FontFor(model.Look().captionStyle, false),
               text, kWrappedText);
    if (!group.ExpandButtonRect().IsEmpty())
        PaintChevron(dc, ToRect(group.ExpandButtonRect()), group.IsExpanded(),
                     special ? text : Blend(m_palette.text, m_palette.window, 45));
}

void TaskPanelPainter::PaintItem(HDC dc, const TaskItem& item, const ImageStrip& icons,
                                 const TaskPanelHighlights& highlights) {
    if (item.Kind() == TaskItemKind::Control)
        return;  // the child window paints itself
    if (!item.IconRect().IsEmpty())
        icons.Draw(dc, item.Icon(), item.IconRect().left, item.IconRect().top);

    const bool link = item.Kind() == TaskItemKind::Link;
    const bool hot = link && highlights.hot == &item;
    COLORREF color = m_palette.text;
    TaskTextStyle style = item.IsBold() ? TaskTextStyle::BoldText : TaskTextStyle::Text;
    if (link) {
        color = highlights.pressed == &item ? m_palette.accentPressed : m_palette.accent;
        style = TaskTextStyle::Link;
    } else if (IsTitle()) {
        color = m_palette.mutedText;
    }
    const RECT text = ToRect(item.TextRect());
    DrawTextIn(dc, Widen(item.Caption()), text, FontFor(style, hot), color, kWrappedText);

    if (link && highlights.showFocus && highlights.focused == &item) {
        RECT cue = text;
        ::InflateRect(&cue, 3, 1);
        const COLORREF oldText = ::SetTextColor(dc, m_palette.text);
        const COLORREF oldBack = ::SetBkColor(dc, m_palette.window);
        ::DrawFocusRect(dc, &cue);
        ::SetBkColor(dc, oldBack);
        ::SetTextColor(dc, oldText);
    }
}

void TaskPanelPainter::PaintChevron(HDC dc, const RECT& box, bool expanded, COLORREF color) {
    const int midX = (box.left + box.right) / 2;
    const int midY = (box.top + box.bottom) / 2;
    const int tip = expanded ? -1 : 1;  // points up while the body shows
    for (int thickness = 0; thickness < 2; ++thickness) {
        const int y = midY + thickness;
        const POINT point{midX, y + 2 * tip};
        DrawLine(dc, POINT{midX - 4, y - 2 * tip}, point, color);
        // One step past the end: LineTo leaves out its last pixel.
        DrawLine(dc, point, POINT{midX + 5, y - 3 * tip}, color);
    }
}

}  // namespace qmo
