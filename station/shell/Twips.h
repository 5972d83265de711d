#pragma once

#include <QRect>

// The forms are laid out in twips; 15 twips make one pixel at the station's 96 dots per inch.
constexpr QRect Twips(int left, int top, int width, int height) {
    return QRect(left / 15, top / 15, width / 15, height / 15);
}
