#include "shell/Keystrokes.h"

#include <gtest/gtest.h>

#include <QLineEdit>
#include <stdexcept>

namespace {

struct KeysCase {
    const char* keys;
    int caretBefore;
    int caretAfter;
    const char* selected;
};

class Keystrokes : public testing::TestWithParam<KeysCase> {};

TEST_P(Keystrokes, MoveTheCaretAndSelect) {
    QLineEdit edit(QStringLiteral("pass word"));
    edit.setCursorPosition(GetParam().caretBefore);
    SendKeystrokes(edit, QString::fromUtf8(GetParam().keys));
    EXPECT_EQ(edit.cursorPosition(), GetParam().caretAfter);
    EXPECT_EQ(edit.selectedText(), QString::fromUtf8(GetParam().selected));
}

INSTANTIATE_TEST_SUITE_P(Keys, Keystrokes,
                         testing::Values(KeysCase{"{Home}+{End}", 4, 9, "pass word"},
                                         KeysCase{"{home}", 4, 0, ""}, KeysCase{"{End}", 0, 9, ""},
                                         KeysCase{"+{Home}", 4, 0, "pass"},
                                         KeysCase{"{End}+{Home}{End}", 2, 9, ""}));

TEST(KeystrokesRefused, UnknownOrUnbracedKeys) {
    QLineEdit edit;
    EXPECT_THROW(SendKeystrokes(edit, QStringLiteral("{PgDn}")), std::invalid_argument);
    EXPECT_THROW(SendKeystrokes(edit, QStringLiteral("abc")), std::invalid_argument);
    EXPECT_THROW(SendKeystrokes(edit, QStringLiteral("{Home")), std::invalid_argument);
}

}  // namespace
