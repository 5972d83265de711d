#pragma once

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "shell/Dialogs.h"

// One message box as the operator would have seen it.
struct ShownBox {
    QString text;
    QString title;
    Dialogs::Buttons buttons;
    Dialogs::Icon icon;

    bool operator==(const ShownBox&) const = default;
};

// "title | text | buttons | icon", for test messages.
QString describe(const ShownBox& box);

// Dialogs for tests: records every box, input box and keystroke, and answers from a script. A
// box without a scripted answer is answered as Esc would: with its last button (OK, Cancel).
class ScriptedDialogs : public Dialogs {
  public:
    QList<Answer> answers;     // taken in order by MsgBox
    QStringList inputs;        // taken in order by InputBox; the empty text when none is left
    QList<ShownBox> shown;     // every message box, in order
    QStringList inputPrompts;  // "title | prompt | default" of every input box
    QStringList keystrokes;    // every SendKeys, in order; also sent to the focused control
    // Runs as each message box shows, before it is answered: what the operator does meanwhile.
    std::function<void(const ShownBox&)> onShown;

    Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                  const QString& title = {}) override;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void SendKeys(const QString& keys) override;
};
