#pragma once

#include <QDialog>

class AuditLog;
class Dialogs;
class QLabel;
class QLineEdit;
class QPushButton;
class VrelScan;

// The operator login. Checks the typed user id and password against the Users table and reports
// to CallingForm's login result (LOGIN_SUCCEEDED, USER_ID and PRIVILEGE_LEVEL); it reads the
// connect string from CallingForm's DSNCONNECTSTR. Attempts are unlimited; each one goes to the
// audit log with the user id as typed, never the password.
class frmLogin : public QDialog {
    Q_OBJECT

  public:
    frmLogin(Dialogs& dialogs, AuditLog& audit, QWidget* parent = nullptr);

    VrelScan* CallingForm = nullptr;

    QLabel* lblLabels[2];
    QLineEdit* txtUserName;
    QLineEdit* txtPassword;
    QPushButton* cmdOK;
    QPushButton* cmdCancel;

    void cmdOK_Click();
    void cmdCancel_Click();

  protected:
    // Esc presses the cancel button.
    void keyPressEvent(QKeyEvent* event) override;

  private:
    Dialogs& dialogs_;
    AuditLog& audit_;
};
