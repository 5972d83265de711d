#include "shell/Keystrokes.h"

#include <QApplication>
#include <QKeyEvent>
#include <QWidget>
#include <map>
#include <stdexcept>

namespace {

Qt::Key NamedKey(const QString& name) {
    static const std::map<QString, Qt::Key> keys = {
        {QStringLiteral("HOME"), Qt::Key_Home},
        {QStringLiteral("END"), Qt::Key_End},
    };
    const auto key = keys.find(name.toUpper());
    if (key == keys.end()) {
        throw std::invalid_argument("Unknown key {" + name.toStdString() + "}");
    }
    return key->second;
}

void Press(QWidget& target, Qt::Key key, Qt::KeyboardModifiers modifiers) {
    QKeyEvent press(QEvent::KeyPress, key, modifiers);
    QApplication::sendEvent(&target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, modifiers);
    QApplication::sendEvent(&target, &release);
}

}  // namespace

void SendKeystrokes(QWidget& target, const QString& keys) {
    Qt::KeyboardModifiers modifiers = Qt::NoModifier;
    for (qsizetype at = 0; at < keys.size(); ++at) {
        if (keys[at] == u'+') {
            modifiers |= Qt::ShiftModifier;
            continue;
        }
        if (keys[at] != u'{') {
            throw std::invalid_argument("Keystrokes must be named in braces: " +
                                        keys.toStdString());
        }
        const qsizetype close = keys.indexOf(u'}', at);
        if (close < 0) {
            throw std::invalid_argument("Unclosed key name: " + keys.toStdString());
        }
        Press(target, NamedKey(keys.mid(at + 1, close - at - 1)), modifiers);
        modifiers = Qt::NoModifier;
        at = close;
    }
}
