#include "support/DotText.h"

#include "scanner/Imprint.h"

QString readDotText(const Page& page, double left, double top, double dot, int length) {
    static const char characters[] = "0123456789ABCDEFGHIJKLMNOPQRSTUVWXYZ -./:#";
    QString text;
    for (int i = 0; i < length; ++i) {
        char found = '?';
        for (const char* c = characters; *c && found == '?'; ++c) {
            const Glyph& glyph = *endorserGlyph(*c);
            bool same = true;
            for (int row = 0; row < 7 && same; ++row)
                for (int column = 0; column < 5 && same; ++column)
                    same = page.isBlack(int(left + (i * 6 + column + 0.5) * dot),
                                        int(top + (row + 0.5) * dot)) ==
                           bool(glyph[row] & (0x10 >> column));
            if (same)
                found = *c;
        }
        text.append(QLatin1Char(found));
    }
    return text;
}
