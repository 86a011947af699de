// Where the bank sheets put the banks and the sets: how many fit a page of A4 and of Letter, when
// a bank or a set moves to the next page whole and when it is split, and where the tiles go.
#include "sheets/SheetLayout.h"
#include "sheets/BankSheets.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using Plan = SheetLayout::Plan;
using BankSize = SheetLayout::BankSize;

QSizeF Area(QPageSize::PageSizeId paper) {
    return BankSheets::PageLayout(paper).paintRectPoints().size();
}

std::vector<BankSize> PlainBanks(int count, int first = 1) {
    std::vector<BankSize> banks;
    for (int b = first; b < first + count; ++b)
        banks.push_back({b, 9});
    return banks;
}

// What every plan keeps: pieces in order down the pages, inside the body, never overlapping, and
// every line of every bank and set placed exactly once.
void ExpectSound(const Plan& plan, const std::vector<BankSize>& banks, const std::vector<int>& sets) {
    int page = 0;
    double bottom = 0;
    const auto walk = [&](const std::vector<SheetLayout::Block>& blocks, bool isSet) {
        for (const SheetLayout::Block& block : blocks) {
            ASSERT_GE(block.page, page);
            if (block.page > page) {
                page = block.page;
                bottom = 0;
            }
            EXPECT_GE(block.top, bottom - 1e-9) << "piece of " << block.number << " overlaps";
            const double height = isSet ? SheetLayout::SetHeight(block.lines, block.setsTitle)
                                        : SheetLayout::BankHeight(block.lines) - SheetLayout::kTileGap;
            EXPECT_LE(block.top + height, plan.bodyHeight + 1e-9) << "piece of " << block.number;
            bottom = block.top + height;
        }
    };
    walk(plan.banks, false);
    walk(plan.sets, true);
    EXPECT_EQ(plan.pageCount, page + 1);

    const auto lines = [](const std::vector<SheetLayout::Block>& blocks, int number) {
        int next = 0;
        for (const SheetLayout::Block& block : blocks) {
            if (block.number != number)
                continue;
            EXPECT_EQ(block.firstLine, next) << number;
            EXPECT_EQ(block.continued, next > 0) << number;
            next += block.lines;
        }
        return next;
    };
    for (const BankSize& bank : banks)
        EXPECT_EQ(lines(plan.banks, bank.number), SheetLayout::TileLines(bank.entries))
            << "bank " << bank.number;
    for (size_t s = 0; s < sets.size(); ++s)
        EXPECT_EQ(lines(plan.sets, static_cast<int>(s) + 1), SheetLayout::SetLines(sets[s]))
            << "set " << s + 1;
}

} // namespace

TEST(SheetLayout, BanksAndSetsFillThePages) {
    const std::vector<int> emptySets(5, 0);
    const std::vector<int> fullSets(5, 20);
    std::vector<BankSize> withSequence = PlainBanks(3);
    withSequence.push_back({4, 40}); // five lines of steps: too tall for what is left of page 1
    withSequence.push_back({5, 0});  // a sequence of no steps still takes a line
    std::vector<BankSize> longSequence = PlainBanks(1);
    longSequence.push_back({2, 2000}); // taller than a page: split over pages

    struct Row {
        const char* what;
        QPageSize::PageSizeId paper;
        std::vector<BankSize> banks;
        std::vector<int> sets;
        int pages;
        std::vector<int> banksOnPages; // pieces of banks on the first pages
        int firstSetPage;
    };
    const Row rows[] = {
        {"empty dump", QPageSize::A4, {}, emptySets, 1, {0}, 0},
        {"99 banks, A4", QPageSize::A4, PlainBanks(99), fullSets, 22, {5, 5, 5}, 20},
        {"99 banks, Letter", QPageSize::Letter, PlainBanks(99), fullSets, 21, {5, 5, 5}, 19},
        {"sets after a short last page", QPageSize::A4, PlainBanks(2), emptySets, 1, {2}, 0},
        {"a sequence moves on whole", QPageSize::A4, withSequence, emptySets, 3, {3, 2, 0}, 2},
        {"a long sequence is split", QPageSize::Letter, longSequence, emptySets, 0, {2, 1, 1}, -1},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        const Plan plan = SheetLayout::Make(Area(row.paper), row.banks, row.sets);
        ExpectSound(plan, row.banks, row.sets);
        if (row.pages > 0) {
            EXPECT_EQ(plan.pageCount, row.pages);
        }
        for (size_t p = 0; p < row.banksOnPages.size(); ++p)
            EXPECT_EQ(plan.banksOnPage(static_cast<int>(p)), row.banksOnPages[p]) << "page " << p;
        ASSERT_EQ(plan.sets.size(), 5u);
        EXPECT_TRUE(plan.sets.front().setsTitle);
        EXPECT_EQ(plan.sets.back().page, plan.pageCount - 1) << "the sets end the sheets";
        if (row.firstSetPage >= 0) {
            EXPECT_EQ(plan.sets.front().page, row.firstSetPage);
        }
    }
}

TEST(SheetLayout, TilesFillTheWidthNineToALine) {
    const QSizeF area = Area(QPageSize::A4);
    const Plan plan = SheetLayout::Make(area, {{7, 12}}, {});
    ASSERT_EQ(plan.banks.size(), 1u);
    const SheetLayout::Block& bank = plan.banks.front();
    const QRectF a = SheetLayout::TileRect(plan, bank, 0);
    const QRectF i = SheetLayout::TileRect(plan, bank, 8);
    const QRectF step10 = SheetLayout::TileRect(plan, bank, 9);
    EXPECT_DOUBLE_EQ(a.left(), 0);
    EXPECT_NEAR(i.right(), area.width(), 1e-9);
    EXPECT_DOUBLE_EQ(a.top(), plan.bodyTop + SheetLayout::kBankHeading);
    EXPECT_DOUBLE_EQ(step10.left(), 0);
    EXPECT_DOUBLE_EQ(step10.top(), a.bottom() + SheetLayout::kTileGap);
    EXPECT_TRUE(SheetLayout::TileRect(plan, bank, 18).isNull()) << "no third line for 12 steps";
    EXPECT_EQ(BankSheets::PageFooter(3, 20), QStringLiteral("page 3 of 20"));
}
