#pragma once

#include <QString>

#include "scanner/Page.h"

// Text printed in the endorser's 5 x 7 dot font, read back from the page at the given place (in
// pixels): each character cell is matched against every glyph of the font, dot by dot, at the
// dots' centres; '?' where none matches.
QString readDotText(const Page& page, double left, double top, double dot, int length);
