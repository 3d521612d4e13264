#pragma once
// How a task panel looks: its colours and fonts for the current theme and
// system settings, the text measuring its layout needs, and the drawing of
// the whole panel onto one device context.
#include <windows.h>

#include "framework/unique_handle.h"
#include "toolkit/image_strip.h"
#include "toolkit/task_panel/task_panel_model.h"
#include "toolkit/ui_fonts.h"
#include "toolkit/ui_palette.h"

namespace qmo {

// What the pointer and the keyboard are on, as the panel wants it shown.
struct TaskPanelHighlights {
    const TaskItem* hot = nullptr;
    const TaskItem* pressed = nullptr;
    const TaskItem* focused = nullptr;  // drawn only with showFocus
    bool showFocus = false;
};

class TaskPanelPainter {
public:
    TaskPanelPainter();

    int Theme() const noexcept { return m_theme; }
    void SetTheme(int theme);
    // Kept over later system colour changes: the caller chose it.
    void SetSpecialCaptionColor(COLORREF color);
    COLORREF SpecialCaptionColor() const noexcept { return m_special; }
    // The system's colours or fonts changed.
    void Refresh();
    // Fonts for the window's DPI.
    void SetDpi(unsigned dpi) noexcept { m_fonts.SetDpi(dpi); }

    void Layout(TaskPanelModel& model, int width);
    void Paint(HDC dc, const RECT& client, const TaskPanelModel& model, const ImageStrip& icons,
               const TaskPanelHighlights& highlights);
    // Behind embedded controls (they ask with WM_CTLCOLOR...).
    HBRUSH ControlBackgroundBrush() const noexcept { return m_controlBrush.get(); }
    COLORREF ControlBackground() const noexcept { return m_palette.window; }

private:
    class Measure;

    bool IsTitle() const noexcept { return m_theme == kTaskPanelTitleTheme; }
    void DerivePalette();
    HFONT FontFor(TaskTextStyle style, bool underline);
    void PaintCard(HDC dc, const TaskGroup& group);
    void PaintCaption(HDC dc, const TaskGroup& group, const TaskPanelModel& model, const ImageStrip& icons);
    void PaintItem(HDC dc, const TaskItem& item, const ImageStrip& icons, const TaskPanelHighlights& highlights);
    void PaintChevron(HDC dc, const RECT& box, bool expanded, COLORREF color);
    // The chosen caption colour gives way to the system's highlight in high contrast.
    COLORREF SpecialFill() const noexcept { return m_highContrast ? m_palette.accentPressed : m_special; }

    int m_theme = kTaskPanelNavigationTheme;
    bool m_specialChosen = false;
    UiPalette m_palette{};
    bool m_highContrast = false;
    COLORREF m_special = 0;
    UiFonts m_fonts;
    unique_brush m_controlBrush;
};

}  // namespace qmo
