#pragma once

#include <QList>
#include <QRect>
#include <QSize>

namespace skiffrow {

/// One control of a toolbar as the line layout sees it.
struct ToolbarItem {
    bool separator = false;
    QSize size;          ///< the control's size (not used for separators)
    int sizeHorz = 6;    ///< separator: its size along a horizontal or floating line
    int sizeVert = 6;    ///< separator: its size along a vertical line
    bool blank = false;  ///< separator: no etched line where a floating toolbar wraps at it
};

/// A place where a floating toolbar wrapped at a separator.
struct WrapLine {
    int top;     ///< top of the new line
    bool blank;  ///< the separator's Blank: no etched line
    bool operator==(const WrapLine&) const = default;
};

struct ToolbarLayoutResult {
    QList<QRect> rects;      ///< one per item; a separator a floating line wrapped at is 0 wide
    QList<WrapLine> wraps;
    QSize clientSize;
};

/// Client margins of a floating toolbar; a docked toolbar has none.
struct ToolbarMargins {
    int left = 0, top = 0, right = 0, bottom = 0;
};
ToolbarMargins MarginsFor(int orientation);

/// Lays out toolbar controls in lines: orientation 1 (a horizontal dock) and 2 (a vertical
/// dock, controls in a column) never wrap; 0 (floating) wraps when floatRightX (the client
/// width limit, 0 = none) is exceeded, at the separator that ended the group that did not
/// fit, or inside a group wider than the limit. `rowThickness` is the thickness across the
/// line controls are centred in (the bar thickness, or the dock row's when larger).
ToolbarLayoutResult LayoutToolbarItems(const QList<ToolbarItem>& items, int orientation, int floatRightX, int rowThickness);

/// The bar thickness of the items for an orientation: the largest height (horizontal,
/// floating) or width (vertical) of a non-separator, at least 8.
int ToolbarBarSize(const QList<ToolbarItem>& items, int orientation);

}  // namespace skiffrow
