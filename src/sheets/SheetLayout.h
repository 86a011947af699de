#pragma once

#include <QRectF>
#include <QSizeF>

#include <vector>

// Where everything goes on the pages of the bank sheets, in points (1/72 inch), without painting.
//
// Each page has a header (title and date) and a footer (page N of M) around a body. The body
// holds the banks in number order, each a heading line over its pedals or steps as tiles, nine to
// a line; after the banks come the five sets, each a heading over its bank names in columns.
// A bank or a set starts on a new page when it does not fit in what is left of the page, and is
// split over pages only when it is taller than a whole body.
class SheetLayout {
public:
    static constexpr double kHeaderHeight = 34;
    static constexpr double kFooterHeight = 22;
    static constexpr double kBankHeading = 20;
    static constexpr double kTileHeight = 60;
    static constexpr double kTileGap = 4; // between tiles, and between lines of tiles
    static constexpr double kBankGap = 10;
    static constexpr int kTilesPerLine = 9;
    static constexpr double kSetsTitle = 24;
    static constexpr double kSetHeading = 18;
    static constexpr double kSetLine = 15;
    static constexpr double kSetGap = 8;
    static constexpr int kSetColumns = 4;

    // What is to be laid out: the banks with the length of their active lists, and how many
    // entries each set has.
    struct BankSize {
        int number = 0;
        int entries = 0;
    };

    // One piece of a bank or a set on one page: its lines [firstLine, firstLine + lines).
    struct Block {
        int number = 0; // bank 1-99 or set 1-5
        int page = 0;   // from 0
        double top = 0; // from the top of the body
        int firstLine = 0;
        int lines = 0;
        bool continued = false; // a later piece of a split bank or set
        bool setsTitle = false; // the first set's first piece, under the title "Sets"
    };

    struct Plan {
        QSizeF area;        // the printable area of a page
        double bodyTop = 0; // the body's top and height inside the area
        double bodyHeight = 0;
        std::vector<Block> banks;
        std::vector<Block> sets;
        int pageCount = 1;

        // How many bank pieces page `page` holds.
        int banksOnPage(int page) const;
    };

    // Lays out the banks (in the order given) and the sets on pages whose printable area is `area`.
    static Plan Make(const QSizeF& area, const std::vector<BankSize>& banks,
                     const std::vector<int>& setEntries);

    // Lines of tiles a bank takes: one for an empty list, else nine tiles to a line.
    static int TileLines(int entries);
    // Lines of bank names a set takes: one for an empty set ("Empty Set").
    static int SetLines(int entries);

    // Heights of a piece: its heading and its lines, without the gap that follows.
    static double BankHeight(int lines);
    static double SetHeight(int lines, bool title);

    // The tile of entry k of a bank piece, relative to the area's top left; empty when the entry
    // is not on that piece.
    static QRectF TileRect(const Plan& plan, const Block& bank, int k);
    // The cell of entry k of a set piece; empty when the entry is not on that piece.
    static QRectF SetEntryRect(const Plan& plan, const Block& set, int k);
};
