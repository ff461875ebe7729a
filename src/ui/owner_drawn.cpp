#include "ui/owner_drawn.h"

#include <algorithm>
#include <numeric>

namespace hollin::ui {

namespace {

Rect shrink(Rect r, int by) {
    return {r.left + by, r.top + by, r.right - by, r.bottom - by};
}

Rect moved(Rect r, int dx, int dy) {
    return {r.left + dx, r.top + dy, r.right + dx, r.bottom + dy};
}

bool contains(const Rect& outer, Point p) {
    return p.x >= outer.left && p.x < outer.right && p.y >= outer.top && p.y < outer.bottom;
}

Point centre(const Rect& r) {
    return {r.left + r.width() / 2, r.top + r.height() / 2};
}

long long area(const Rect& r) {
    return static_cast<long long>(r.width()) * r.height();
}

// Orders `items` (indices into `rects`) in rows: top to bottom, left to right within a row.
void orderInRows(std::vector<int>& items, const std::vector<Rect>& rects) {
    std::stable_sort(items.begin(), items.end(), [&](int a, int b) { return rects[a].top < rects[b].top; });
    std::vector<int> out;
    std::size_t rowStart = 0;
    while (rowStart < items.size()) {
        const Rect& first = rects[items[rowStart]];
        std::size_t rowEnd = rowStart + 1;
        while (rowEnd < items.size() && centre(rects[items[rowEnd]]).y < first.bottom)
            ++rowEnd;
        std::vector<int> row(items.begin() + static_cast<std::ptrdiff_t>(rowStart),
                             items.begin() + static_cast<std::ptrdiff_t>(rowEnd));
        std::stable_sort(row.begin(), row.end(), [&](int a, int b) { return rects[a].left < rects[b].left; });
        out.insert(out.end(), row.begin(), row.end());
        rowStart = rowEnd;
    }
    items = std::move(out);
}

}  // namespace

HoverButtonLayout hoverButtonLayout(Rect rect, Size iconSize, bool hasCaption,
                                    const HoverButtonState& state) {
    HoverButtonLayout out;
    out.frame = rect;
    out.blackFrame = state.focused || state.isDefault;
    out.fill = out.blackFrame ? shrink(rect, 1) : rect;
    out.sunken = state.pressed;
    const int shift = state.pressed ? 1 : 0;
    const int iconLeft = hasCaption ? rect.left + 3 : rect.left + (rect.width() - iconSize.width) / 2;
    out.icon = {iconLeft + shift, rect.top + (rect.height() - iconSize.height) / 2 + shift};
    if (hasCaption)
        out.caption =
            moved({iconLeft + iconSize.width + 3, rect.top, rect.right - 3, rect.bottom}, shift, shift);
    out.focusRect = state.focused;
    out.focus = shrink(out.fill, 3);
    return out;
}

PaintColours hoverButtonColours(const HoverButtonState& state, const HoverButtonColours& colours) {
    if (state.hovered || state.pressed)
        return {colours.inBackground, colours.inText};
    if (state.focused)
        return {colours.focusBackground, colours.outText};
    return {colours.outBackground, colours.outText};
}

GroupBoxLayout groupBoxLayout(Rect client, Size captionSize, CaptionAlignment alignment) {
    GroupBoxLayout out;
    out.inner = shrink(client, 1);
    const Rect& r = out.inner;
    int left = r.left + 10;
    if (alignment == CaptionAlignment::Centre)
        left = r.left + (r.width() - captionSize.width) / 2;
    else if (alignment == CaptionAlignment::Right)
        left = r.right - 10 - captionSize.width;
    out.caption = {left, r.top, left + captionSize.width, r.top + captionSize.height};
    out.frame = {r.left, r.top + captionSize.height / 2, r.right, r.bottom};
    return out;
}

std::vector<int> readingOrder(const std::vector<Rect>& controls, const std::vector<Rect>& groups) {
    // The block of every control: the smallest group around its centre, or the control alone (-1).
    std::vector<int> groupOf(controls.size(), -1);
    for (std::size_t c = 0; c < controls.size(); ++c) {
        for (std::size_t g = 0; g < groups.size(); ++g) {
            if (contains(groups[g], centre(controls[c])) &&
                (groupOf[c] < 0 || area(groups[g]) < area(groups[static_cast<std::size_t>(groupOf[c])])))
                groupOf[c] = static_cast<int>(g);
        }
    }
    struct Block {
        Rect rect;
        std::vector<int> members;
    };
    std::vector<Block> blocks;
    std::vector<int> blockOfGroup(groups.size(), -1);
    for (std::size_t c = 0; c < controls.size(); ++c) {
        const int g = groupOf[c];
        if (g < 0) {
            blocks.push_back({controls[c], {static_cast<int>(c)}});
            continue;
        }
        int& b = blockOfGroup[static_cast<std::size_t>(g)];
        if (b < 0) {
            b = static_cast<int>(blocks.size());
            blocks.push_back({groups[static_cast<std::size_t>(g)], {}});
        }
        blocks[static_cast<std::size_t>(b)].members.push_back(static_cast<int>(c));
    }
    // Bands: blocks sorted by top; a block that starts below everything so far starts a new band.
    std::vector<int> byTop(blocks.size());
    std::iota(byTop.begin(), byTop.end(), 0);
    std::stable_sort(byTop.begin(), byTop.end(),
                     [&](int a, int b) { return blocks[a].rect.top < blocks[b].rect.top; });
    std::vector<int> order;
    std::size_t bandStart = 0;
    while (bandStart < byTop.size()) {
        int bandBottom = blocks[byTop[bandStart]].rect.bottom;
        std::size_t bandEnd = bandStart + 1;
        while (bandEnd < byTop.size() && blocks[byTop[bandEnd]].rect.top < bandBottom) {
            bandBottom = std::max(bandBottom, blocks[byTop[bandEnd]].rect.bottom);
            ++bandEnd;
        }
        // Columns inside the band: sorted by left edge; a block that starts left of the column's right
        // edge joins it. Down each column by top, then by left.
        std::vector<int> band(byTop.begin() + static_cast<std::ptrdiff_t>(bandStart),
                              byTop.begin() + static_cast<std::ptrdiff_t>(bandEnd));
        std::stable_sort(band.begin(), band.end(),
                         [&](int a, int b) { return blocks[a].rect.left < blocks[b].rect.left; });
        std::size_t colStart = 0;
        while (colStart < band.size()) {
            int colRight = blocks[band[colStart]].rect.right;
            std::size_t colEnd = colStart + 1;
            while (colEnd < band.size() && blocks[band[colEnd]].rect.left < colRight) {
                colRight = std::max(colRight, blocks[band[colEnd]].rect.right);
                ++colEnd;
            }
            std::vector<int> column(band.begin() + static_cast<std::ptrdiff_t>(colStart),
                                    band.begin() + static_cast<std::ptrdiff_t>(colEnd));
            std::stable_sort(column.begin(), column.end(), [&](int a, int b) {
                const Rect &ra = blocks[a].rect, &rb = blocks[b].rect;
                return ra.top != rb.top ? ra.top < rb.top : ra.left < rb.left;
            });
            for (int b : column) {
                std::vector<int> members = blocks[b].members;
                orderInRows(members, controls);
                order.insert(order.end(), members.begin(), members.end());
            }
            colStart = colEnd;
        }
        bandStart = bandEnd;
    }
    return order;
}

}  // namespace hollin::ui
