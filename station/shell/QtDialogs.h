#pragma once

#include "shell/Dialogs.h"

// The station's dialogs on screen: QMessageBox and QInputDialog, keystrokes as key events.
class QtDialogs : public Dialogs {
  public:
    Answer MsgBox(const QString& prompt, Buttons buttons, Icon icon,
                  const QString& title = {}) override;
    QString InputBox(const QString& prompt, const QString& title,
                     const QString& defaultText) override;
    void SendKeys(const QString& keys) override;
};
