#include "BallotPrint.h"

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "SheetFont.h"
#include "SheetLayout.h"
#include "SheetMaker.h"

namespace lhdll {
namespace {

constexpr const char* kFirstNames[] = {"ANNA",  "BRUNO",   "CLARA", "DAVID", "ELENA", "FELIX",
                                       "GRETA", "HUGO",    "IRIS",  "JONAS", "KARIN", "LUKAS",
                                       "MARTA", "NIKOLAS", "OLGA",  "PETER", "RUTH",  "SIMON"};
constexpr const char* kSurnames[] = {
    "ABERNATHY", "BRANDT",    "CALLOWAY", "DUNMORE",  "ESTRADA",   "FAIRWEATHER", "GALLOWAY",
    "HOLLIS",    "IVERSEN",   "JANSSEN",  "KOWALSKI", "LINDQVIST", "MORROW",      "NAKAMURA",
    "OKONKWO",   "PELLETIER", "QUINTANA", "ROSSI",    "SORENSEN",  "TREMBLAY"};
constexpr const char* kParties[] = {"HARBOUR PARTY", "PEOPLE'S ALLIANCE", "GREEN LEAGUE",
                                    "CIVIC UNION",   "WORKERS & FARMERS", "FREE CITIZENS",
                                    "NONPARTISAN",   "INDEPENDENT"};
constexpr const char* kContests[] = {"MAYOR",        "CITY COUNCIL", "SHERIFF",     "TREASURER",
                                     "SCHOOL BOARD", "COUNTY CLERK", "ASSESSOR",    "PORT BOARD",
                                     "AUDITOR",      "CONTROLLER",   "PARKS BOARD", "WATER BOARD"};
constexpr const char* kInstructions[] = {
    "INSTRUCTIONS TO VOTERS",
    "1. TO VOTE, FILL IN THE OVAL COMPLETELY NEXT TO YOUR CHOICE.",
    "2. USE ONLY A BLACK OR BLUE PEN. DO NOT USE RED INK OR PENCIL.",
    "3. VOTE FOR NO MORE THAN THE NUMBER ALLOWED IN EACH CONTEST.",
    "4. IF YOU MAKE A MISTAKE, ASK FOR A NEW BALLOT. DO NOT ERASE.",
};

constexpr TextStyle kSmall{2, false, false};
constexpr TextStyle kSmallBold{2, true, false};
constexpr TextStyle kHeading{2, true, true};  // white on a black bar

// The columns of the grid: a box from the heading of the first contest to below the last row.
constexpr int kColumnTop = 565;
constexpr int kColumnBottom = 1915;
constexpr int kColumnWidth = 310;
constexpr int kBarHeight = 32;
constexpr int kRule = 2;

int ColumnLeft(int column) {
    return layout::BubbleCentre(1 + column * layout::kRows).x - 35;
}

template <std::size_t N>
const char* Pick(const char* const (&list)[N], std::mt19937& random) {
    return list[std::uniform_int_distribution<std::size_t>(0, N - 1)(random)];
}

void DrawBox(Bitmap& page, layout::Rect box) {
    FillRect(page, {box.x, box.y, box.width, kRule});
    FillRect(page, {box.x, box.y + box.height - kRule, box.width, kRule});
    FillRect(page, {box.x, box.y, kRule, box.height});
    FillRect(page, {box.x + box.width - kRule, box.y, kRule, box.height});
}

void DrawHeader(Bitmap& page, std::mt19937& random) {
    DrawText(page, 420, 150, "OFFICIAL BALLOT", {5, true, false});
    DrawText(page, 420, 200, "GENERAL MUNICIPAL ELECTION - NOVEMBER 4", {3, false, false});
    const std::string place = std::string("CITY OF ") + Pick(kSurnames, random) + " - PRECINCT " +
                              std::to_string(std::uniform_int_distribution<>(1, 99)(random));
    DrawText(page, 420, 232, place, {3, false, false});
    DrawBox(page, {420, 275, 1180, 180});
    for (std::size_t i = 0; i < std::size(kInstructions); ++i) {
        DrawText(page, 436, 288 + static_cast<int>(i) * 32, kInstructions[i],
                 i == 0 ? kSmallBold : kSmall);
    }
}

// A black bar across the column with the contest's title and how many of its candidates (the
// rows but the write-in) may be chosen.
void DrawContestHeading(Bitmap& page, int left, int top, int height, int rows,
                        std::mt19937& random) {
    FillRect(page, {left, top, kColumnWidth, height});
    const std::string allowed = "VOTE FOR " + std::to_string(std::uniform_int_distribution<>(
                                                  1, std::min(3, rows - 1))(random));
    const int textTop = top + (height - 7 * kHeading.scale) / 2;
    DrawText(page, left + 8, textTop, Pick(kContests, random), kHeading);
    DrawText(page, left + kColumnWidth - 8 - TextWidth(allowed, kHeading), textTop, allowed,
             kHeading);
}

void DrawCandidate(Bitmap& page, int left, int centreY, bool writeIn, std::mt19937& random) {
    const int textLeft = left + 66;
    if (writeIn) {
        DrawText(page, textLeft, centreY - 15, "WRITE-IN", kSmall);
        FillRect(page, {textLeft, centreY + 14, kColumnWidth - 80, 1});
        return;
    }
    DrawText(page, textLeft, centreY - 15,
             std::string(Pick(kFirstNames, random)) + " " + Pick(kSurnames, random), kSmallBold);
    DrawText(page, textLeft, centreY + 3, Pick(kParties, random), kSmall);
}

void DrawColumn(Bitmap& page, int column, std::mt19937& random) {
    const int left = ColumnLeft(column);
    DrawBox(page, {left, kColumnTop, kColumnWidth, kColumnBottom - kColumnTop});
    std::uniform_int_distribution<> contestRows(2, 7);
    int rowsLeft = contestRows(random);
    DrawContestHeading(page, left, kColumnTop, kBarHeight, rowsLeft, random);
    for (int row = 0; row < layout::kRows; ++row) {
        const int centreY = layout::BubbleCentre(1 + column * layout::kRows + row).y;
        --rowsLeft;
        DrawCandidate(page, left, centreY, rowsLeft == 0, random);
        if (row + 1 == layout::kRows) {
            break;
        }
        if (rowsLeft == 0) {
            // The next contest's heading fills the gap between this row's text and the next.
            rowsLeft = contestRows(random);
            DrawContestHeading(page, left, centreY + 19, 17, rowsLeft, random);
        } else {
            FillRect(page, {left + 30, centreY + 27, kColumnWidth - 30, 1});
        }
    }
}

}  // namespace

void DrawBallotPrint(Bitmap& page, std::uint32_t seed) {
    std::mt19937 random(seed);
    DrawHeader(page, random);
    for (int column = 0; column < layout::kColumns; ++column) {
        DrawColumn(page, column, random);
    }
    const char* const footer = "END OF BALLOT - TURN IN TO AN ELECTION OFFICIAL";
    DrawText(page, (layout::kPageWidth - TextWidth(footer, kSmallBold)) / 2, 1940, footer,
             kSmallBold);
}

}  // namespace lhdll
