#pragma once

#include <QString>

// The station's message boxes, input box and keystrokes. Every text, title, button set and icon
// that the operator sees passes through here, so that tests can script the answers and check
// what was shown.
class Dialogs {
  public:
    enum class Buttons { OK, OKCancel, RetryCancel, YesNoCancel };
    enum class Icon { None, Exclamation, Critical };
    enum class Answer { OK, Cancel, Retry, Yes, No };

    virtual ~Dialogs() = default;

    // A modal message box. An empty title shows the program's title. Line breaks in the text are
    // carriage return and line feed.
    virtual Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                          const QString& title = {}) = 0;
    // A modal input box; the empty text when the operator cancels it.
    virtual QString InputBox(const QString& prompt, const QString& title,
                             const QString& defaultText) = 0;
    // Keystrokes to the control that has the focus: "{Home}", "{End}", and "+" for Shift held
    // down through the next key.
    virtual void SendKeys(const QString& keys) = 0;
};

// The title a box shows: its own, or the program's when it has none.
QString ShownTitle(const QString& title);
