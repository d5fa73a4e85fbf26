#include "report/designer/docking/toolbar_layout.h"

#include <algorithm>
#include <climits>

namespace skiffrow {

ToolbarMargins MarginsFor(int orientation) {
    if (orientation == 0) return ToolbarMargins{4, 2, 4, 1};
    return ToolbarMargins{};
}

int ToolbarBarSize(const QList<ToolbarItem>& items, int orientation) {
    int size = 8;
    for (const ToolbarItem& item : items)
        if (!item.separator) size = std::max(size, orientation == 2 ? item.size.width() : item.size.height());
    return size;
}

ToolbarLayoutResult LayoutToolbarItems(const QList<ToolbarItem>& items, int orientation, int floatRightX, int rowThickness) {
    ToolbarLayoutResult result;
    result.rects.resize(items.size());
    const ToolbarMargins m = MarginsFor(orientation);
    const bool vertical = orientation == 2;
    const bool floating = orientation == 0;
    int widest = 0;
    for (const ToolbarItem& item : items)
        if (!item.separator) widest = std::max(widest, item.size.width());
    const int limit = floating && floatRightX > 0 ? std::max(floatRightX, widest + 8) : INT_MAX;
    const int barSize = ToolbarBarSize(items, orientation);
    const int row = std::max(rowThickness, barSize);
    auto along = [&](const ToolbarItem& item) {
        if (item.separator) return vertical ? item.sizeVert : item.sizeHorz;
        return vertical ? item.size.height() : item.size.width();
    };

    // Groups end after each separator.
    QList<QPair<int, int>> groups;  // first index, count
    for (int i = 0, start = 0; i < items.size(); ++i) {
        if (items[i].separator || i == items.size() - 1) {
            groups.append({start, i - start + 1});
            start = i + 1;
        }
    }

    int x = 0, y = m.top, extent = 0, extentBeforeSep = 0;
    bool lineMayContinue = true, firstGroup = true;
    int trailingSep = -1;
    for (const auto& [first, count] : groups) {
        int groupAlong = 0;
        for (int i = first; i < first + count; ++i)
            if (!items[i].separator) groupAlong += along(items[i]);
        bool placed = false;
        if (!floating || lineMayContinue) {
            if (firstGroup) x += m.left;
            if (limit == INT_MAX || x + groupAlong + m.right <= limit) {
                extent = std::max(extent, x);
                placed = true;
            }
        }
        if (!placed) {
            x = m.left;
            extent = std::max(extent, x);
            if (!firstGroup) y += barSize + 6;
            if (trailingSep >= 0) {
                extent = extentBeforeSep;
                QRect& r = result.rects[trailingSep];
                r.setWidth(0);
                result.wraps.append({y, items[trailingSep].blank});
            }
        }
        firstGroup = false;
        lineMayContinue = true;
        for (int i = first; i < first + count; ++i) {
            const ToolbarItem& item = items[i];
            const int a = along(item);
            if (!item.separator && limit != INT_MAX && x + a > limit - m.right && x > m.left) {
                x = m.left;
                extent = std::max(extent, x);
                y += barSize;
                lineMayContinue = false;
            }
            if (item.separator) {
                result.rects[i] = vertical ? QRect(y, x, row, item.sizeVert) : QRect(x, y, item.sizeHorz, row);
                extentBeforeSep = extent;
            } else if (vertical) {
                result.rects[i] = QRect(QPoint(y + (row - item.size.width()) / 2, x), item.size);
            } else {
                result.rects[i] = QRect(QPoint(x, y + (row - item.size.height()) / 2), item.size);
            }
            x += a;
            extent = std::max(extent, x);
            trailingSep = item.separator ? i : -1;
        }
    }
    int across = y + barSize + m.bottom;
    if (items.isEmpty()) {
        extent = m.left + 8;
        across = m.top + row + m.bottom;
    }
    const int alongSize = extent + m.right;
    if (!floating) across = std::max(across, row);
    result.clientSize = vertical ? QSize(across, alongSize) : QSize(alongSize, across);
    return result;
}

}  // namespace skiffrow
