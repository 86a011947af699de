#include "sheets/SheetLayout.h"

#include <algorithm>
#include <cmath>

namespace {

// Places pieces one after the other down the bodies of the pages.
class Flow {
public:
    Flow(double bodyHeight) : m_bodyHeight(bodyHeight) {}

    // Places an item of `lines` lines, each `lineHeight` high under a heading of `heading`
    // (`firstHeading` on its first piece), and appends its pieces to `out`.
    void place(int number, int lines, double firstHeading, double heading, double lineHeight, double gap,
               bool setsTitle, std::vector<SheetLayout::Block>& out) {
        const double whole = firstHeading + lines * lineHeight;
        // Kept together when it fits on a page of its own; otherwise it starts where it is, as
        // long as a line fits there.
        const bool fitsOnePage = whole <= m_bodyHeight;
        if (m_top > 0 && ((fitsOnePage && m_top + whole > m_bodyHeight) ||
                          (!fitsOnePage && m_top + firstHeading + lineHeight > m_bodyHeight)))
            newPage();
        int first = 0;
        bool continued = false;
        while (first < lines) {
            const double head = continued ? heading : firstHeading;
            // At least one line a piece, however small the page, so the flow always ends.
            const int room = static_cast<int>(std::floor((m_bodyHeight - m_top - head) / lineHeight + 1e-9));
            const int count = std::clamp(room, 1, lines - first);
            SheetLayout::Block block;
            block.number = number;
            block.page = m_page;
            block.top = m_top;
            block.firstLine = first;
            block.lines = count;
            block.continued = continued;
            block.setsTitle = setsTitle && !continued;
            out.push_back(block);
            first += count;
            m_top += head + count * lineHeight;
            if (first < lines) {
                newPage();
                continued = true;
            }
        }
        m_top += gap;
    }

    int pages() const { return m_page + 1; }

private:
    void newPage() {
        ++m_page;
        m_top = 0;
    }

    double m_bodyHeight;
    int m_page = 0;
    double m_top = 0;
};

} // namespace

int SheetLayout::Plan::banksOnPage(int page) const {
    return static_cast<int>(
        std::count_if(banks.begin(), banks.end(), [page](const Block& b) { return b.page == page; }));
}

int SheetLayout::TileLines(int entries) {
    return entries <= 0 ? 1 : (entries + kTilesPerLine - 1) / kTilesPerLine;
}

int SheetLayout::SetLines(int entries) {
    return entries <= 0 ? 1 : (entries + kSetColumns - 1) / kSetColumns;
}

double SheetLayout::BankHeight(int lines) {
    return kBankHeading + lines * (kTileHeight + kTileGap);
}

double SheetLayout::SetHeight(int lines, bool title) {
    return (title ? kSetsTitle : 0) + kSetHeading + lines * kSetLine;
}

SheetLayout::Plan SheetLayout::Make(const QSizeF& area, const std::vector<BankSize>& banks,
                                    const std::vector<int>& setEntries) {
    Plan plan;
    plan.area = area;
    plan.bodyTop = kHeaderHeight;
    plan.bodyHeight = std::max(0.0, area.height() - kHeaderHeight - kFooterHeight);
    Flow flow(plan.bodyHeight);
    for (const BankSize& bank : banks)
        flow.place(bank.number, TileLines(bank.entries), kBankHeading, kBankHeading, kTileHeight + kTileGap,
                   kBankGap, false, plan.banks);
    for (size_t s = 0; s < setEntries.size(); ++s) {
        const bool first = s == 0;
        flow.place(static_cast<int>(s) + 1, SetLines(setEntries[s]), (first ? kSetsTitle : 0) + kSetHeading,
                   kSetHeading, kSetLine, kSetGap, first, plan.sets);
    }
    plan.pageCount = flow.pages();
    return plan;
}

QRectF SheetLayout::TileRect(const Plan& plan, const Block& bank, int k) {
    const int line = k / kTilesPerLine - bank.firstLine;
    if (k < 0 || line < 0 || line >= bank.lines)
        return {};
    const double width = (plan.area.width() - (kTilesPerLine - 1) * kTileGap) / kTilesPerLine;
    const int column = k % kTilesPerLine;
    return {column * (width + kTileGap),
            plan.bodyTop + bank.top + kBankHeading + line * (kTileHeight + kTileGap), width, kTileHeight};
}

QRectF SheetLayout::SetEntryRect(const Plan& plan, const Block& set, int k) {
    const int line = k / kSetColumns - set.firstLine;
    if (k < 0 || line < 0 || line >= set.lines)
        return {};
    const double width = plan.area.width() / kSetColumns;
    const double head = (set.setsTitle ? kSetsTitle : 0) + kSetHeading;
    return {(k % kSetColumns) * width, plan.bodyTop + set.top + head + line * kSetLine, width, kSetLine};
}
