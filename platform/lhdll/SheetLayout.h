// Where things are printed on our cards and ballots, in pixels of a 200 dpi letter page.
// The sheet maker draws from these numbers and the reader looks for them, scaled to the
// resolution of the scanned page.
#pragma once

namespace lhdll::layout {

struct Point {
    int x;
    int y;
};

struct Rect {
    int x;
    int y;
    int width;
    int height;
};

inline constexpr int kDpi = 200;
inline constexpr int kPageWidth = 1700;
inline constexpr int kPageHeight = 2200;

// The card code: a QR code whose modules are 8 pixels (1 mm) square, top left.
inline constexpr Point kCodeOrigin{150, 150};
inline constexpr int kCodeModule = 8;
// Searched for the card code: the top-left corner with room for skew and feed offset.
inline constexpr Rect kCodeRegion{0, 0, 800, 720};

// Four solid squares at the corners of a ballot's bubble grid register the page.
inline constexpr int kFiducialSize = 40;
inline constexpr Point kFiducials[4] = {{200, 520}, {1500, 520}, {200, 2000}, {1500, 2000}};
// Half-width of the window searched around a fiducial's place: 3 degrees of skew moves a
// corner fiducial by up to 60 pixels, a careless feed by some 40 more.
inline constexpr int kFiducialReach = 110;

// Bubbles: ovals in 4 columns of 24, numbered 1 to 96 down each column in turn.
inline constexpr int kColumns = 4;
inline constexpr int kRows = 24;
inline constexpr int kBubbleCount = kColumns * kRows;
inline constexpr int kBubbleWidth = 44;
inline constexpr int kBubbleHeight = 28;
inline constexpr int kBubbleOutline = 3;

constexpr Point BubbleCentre(int number) {
    const int index = number - 1;
    return {380 + (index / kRows) * 320, 620 + (index % kRows) * 55};
}

}  // namespace lhdll::layout
