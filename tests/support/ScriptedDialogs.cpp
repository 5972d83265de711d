#include "support/ScriptedDialogs.h"

#include <QApplication>
#include <QWidget>

#include "shell/Keystrokes.h"

namespace {

QString Name(Dialogs::Buttons buttons) {
    switch (buttons) {
        case Dialogs::Buttons::OK:
            return QStringLiteral("OK");
        case Dialogs::Buttons::OKCancel:
            return QStringLiteral("OK/Cancel");
        case Dialogs::Buttons::RetryCancel:
            return QStringLiteral("Retry/Cancel");
        case Dialogs::Buttons::YesNoCancel:
            return QStringLiteral("Yes/No/Cancel");
    }
    return {};
}

QString Name(Dialogs::Icon icon) {
    switch (icon) {
        case Dialogs::Icon::None:
            return QStringLiteral("no icon");
        case Dialogs::Icon::Exclamation:
            return QStringLiteral("exclamation");
        case Dialogs::Icon::Critical:
            return QStringLiteral("critical");
    }
    return {};
}

}  // namespace

QString describe(const ShownBox& box) {
    return box.title + QStringLiteral(" | ") + box.text + QStringLiteral(" | ") +
           Name(box.buttons) + QStringLiteral(" | ") + Name(box.icon);
}

Dialogs::Answer ScriptedDialogs::MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                                        const QString& title) {
    shown.append({prompt, ShownTitle(title), buttons, icon});
    if (onShown) {
        onShown(shown.back());
    }
    if (!answers.isEmpty()) {
        return answers.takeFirst();
    }
    return buttons == Buttons::OK ? Answer::OK : Answer::Cancel;
}

QString ScriptedDialogs::InputBox(const QString& prompt, const QString& title,
                                  const QString& defaultText) {
    inputPrompts.append(ShownTitle(title) + QStringLiteral(" | ") + prompt + QStringLiteral(" | ") +
                        defaultText);
    return inputs.isEmpty() ? QString() : inputs.takeFirst();
}

void ScriptedDialogs::SendKeys(const QString& keys) {
    keystrokes.append(keys);
    if (QWidget* focused = QApplication::focusWidget()) {
        SendKeystrokes(*focused, keys);
    }
}
