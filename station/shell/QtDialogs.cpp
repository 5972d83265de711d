#include "shell/QtDialogs.h"

#include <QApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPointer>
#include <map>

#include "shell/Keystrokes.h"

namespace {

QMessageBox::StandardButtons Standard(Dialogs::Buttons buttons) {
    switch (buttons) {
        case Dialogs::Buttons::OK:
            return QMessageBox::Ok;
        case Dialogs::Buttons::OKCancel:
            return QMessageBox::Ok | QMessageBox::Cancel;
        case Dialogs::Buttons::RetryCancel:
            return QMessageBox::Retry | QMessageBox::Cancel;
        case Dialogs::Buttons::YesNoCancel:
            return QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel;
    }
    return QMessageBox::Ok;
}

QMessageBox::Icon Standard(Dialogs::Icon icon) {
    switch (icon) {
        case Dialogs::Icon::None:
            return QMessageBox::NoIcon;
        case Dialogs::Icon::Exclamation:
            return QMessageBox::Warning;
        case Dialogs::Icon::Critical:
            return QMessageBox::Critical;
    }
    return QMessageBox::NoIcon;
}

Dialogs::Answer Pressed(int button) {
    static const std::map<int, Dialogs::Answer> answers = {
        {QMessageBox::Ok, Dialogs::Answer::OK},
        {QMessageBox::Cancel, Dialogs::Answer::Cancel},
        {QMessageBox::Retry, Dialogs::Answer::Retry},
        {QMessageBox::Yes, Dialogs::Answer::Yes},
        {QMessageBox::No, Dialogs::Answer::No},
    };
    const auto answer = answers.find(button);
    // Closing the box with Esc or its close box answers with its escape button.
    return answer == answers.end() ? Dialogs::Answer::Cancel : answer->second;
}

// The window a box was shown over takes the keyboard back as the box closes, as on the operators'
// desktops. Without a window manager nothing else would give it back, and keystrokes typed after
// the box would be lost.
void GiveKeyboardBack(QWidget* owner) {
    if (owner) {
        owner->activateWindow();
    }
}

}  // namespace

Dialogs::Answer QtDialogs::MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                                  const QString& title) {
    QString text = prompt;
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    const QPointer<QWidget> owner = QApplication::activeWindow();
    QMessageBox box(Standard(icon), ShownTitle(title), text, Standard(buttons), owner);
    const int pressed = box.exec();
    GiveKeyboardBack(owner);
    return Pressed(pressed);
}

QString QtDialogs::InputBox(const QString& prompt, const QString& title,
                            const QString& defaultText) {
    bool accepted = false;
    const QPointer<QWidget> owner = QApplication::activeWindow();
    const QString text = QInputDialog::getText(owner, ShownTitle(title), prompt, QLineEdit::Normal,
                                               defaultText, &accepted);
    GiveKeyboardBack(owner);
    return accepted ? text : QString();
}

void QtDialogs::SendKeys(const QString& keys) {
    if (QWidget* focused = QApplication::focusWidget()) {
        SendKeystrokes(*focused, keys);
    }
}
