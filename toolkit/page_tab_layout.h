#pragma once
// The page tab control's rules: where the tabs and the page go, and which tab
// is selected as tabs come in and the user moves between them.
#include <vector>

#include "framework/dpi_scale.h"
#include "toolkit/ui_geometry.h"

namespace qmo {

struct TabStripMetrics {
    int stripHeight = 38;  // the tabs and the line under them
    int stripInset = 6;    // before the first tab
    int tabGap = 2;
    int paddingX = 14;
    int iconSize = 16;
    int iconGap = 8;
};

// The metrics above (at 96 DPI) scaled to `dpi`.
TabStripMetrics TabStripMetricsFor(unsigned dpi);

// What one tab shows: its caption's width and whether it has an icon.
struct TabLabel {
    int captionWidth = 0;
    bool hasIcon = false;
};

struct TabStripLayout {
    Rect strip;
    Rect page;  // the client area below the strip: the selected page fills it
    struct Tab {
        Rect rect;
        Rect icon;     // empty without an icon
        Rect caption;  // may be narrower than the caption when tabs are squeezed
    };
    std::vector<Tab> tabs;
};

// Tabs side by side from the left at their natural widths; when they do not
// all fit, the captions shrink in the same proportion (icons and padding stay).
TabStripLayout LayoutTabStrip(UiSize client, const std::vector<TabLabel>& labels, const TabStripMetrics& metrics);
// Index of the tab under the point, or -1.
int HitTestTab(const TabStripLayout& layout, int x, int y) noexcept;

// Which tab is selected while tabs are inserted and the user steps through them.
class TabSelection {
public:
    int Count() const noexcept { return m_count; }
    int Selected() const noexcept { return m_selected; }  // -1 while there are no tabs

    struct Insertion {
        int index = -1;          // where the tab went; -1: refused
        bool selectsIt = false;  // the first tab is selected as it comes in
    };
    // An index past the end appends; a negative one is refused. A selected tab
    // stays selected when another is inserted before it.
    Insertion Insert(int index) noexcept;
    // False for an index out of range or already selected.
    bool Select(int index) noexcept;
    // The tab `step` places away from the selected one, held at the ends; -1 with no tabs.
    int Neighbour(int step) const noexcept;

private:
    int m_count = 0;
    int m_selected = -1;
};

}  // namespace qmo
