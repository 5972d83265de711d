#include "shell/frmLogin.h"

#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <exception>

#include "audit/AuditLog.h"
#include "database/Connection.h"
#include "database/DatabaseError.h"
#include "database/FieldNumbers.h"
#include "database/Recordset.h"
#include "database/SQLUtilities.h"
#include "scanning/ErrorText.h"
#include "shell/Dialogs.h"
#include "shell/Twips.h"
#include "shell/VrelScan.h"

namespace {

QString Text(const QVariant& value) {
    if (value.isNull()) {
        throw DatabaseError(QStringLiteral("Invalid use of Null"));
    }
    return value.toString();
}

}  // namespace

frmLogin::frmLogin(Dialogs& dialogs, AuditLog& audit, QWidget* parent)
    : QDialog(parent), dialogs_(dialogs), audit_(audit) {
    setObjectName(QStringLiteral("frmLogin"));
    setWindowTitle(QStringLiteral("Kestrana Lindhollow Login"));
    setFixedSize(Twips(0, 0, 3750, 1545).size());

    lblLabels[0] = new QLabel(QStringLiteral("&User Name:"), this);
    lblLabels[0]->setGeometry(Twips(105, 150, 1080, 270));
    txtUserName = new QLineEdit(this);
    txtUserName->setObjectName(QStringLiteral("txtUserName"));
    txtUserName->setGeometry(Twips(1290, 135, 2325, 345));
    lblLabels[1] = new QLabel(QStringLiteral("&Password:"), this);
    lblLabels[1]->setGeometry(Twips(105, 540, 1080, 270));
    txtPassword = new QLineEdit(this);
    txtPassword->setObjectName(QStringLiteral("txtPassword"));
    txtPassword->setGeometry(Twips(1290, 525, 2325, 345));
    txtPassword->setEchoMode(QLineEdit::Password);
    txtPassword->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));  // '*'
    for (QLabel* label : lblLabels) {
        label->setObjectName(QStringLiteral("lblLabels"));
    }
    lblLabels[0]->setBuddy(txtUserName);
    lblLabels[1]->setBuddy(txtPassword);

    cmdOK = new QPushButton(QStringLiteral("OK"), this);
    cmdOK->setObjectName(QStringLiteral("cmdOK"));
    cmdOK->setGeometry(Twips(495, 1020, 1140, 390));
    // Enter presses the button that has the focus, and OK from anywhere else.
    cmdOK->setDefault(true);
    cmdCancel = new QPushButton(QStringLiteral("Cancel"), this);
    cmdCancel->setObjectName(QStringLiteral("cmdCancel"));
    cmdCancel->setGeometry(Twips(2100, 1020, 1140, 390));

    setTabOrder(txtUserName, txtPassword);
    setTabOrder(txtPassword, cmdOK);
    setTabOrder(cmdOK, cmdCancel);
    txtUserName->setFocus();

    connect(cmdOK, &QPushButton::clicked, this, &frmLogin::cmdOK_Click);
    connect(cmdCancel, &QPushButton::clicked, this, &frmLogin::cmdCancel_Click);
}

void frmLogin::cmdOK_Click() {
    Connection connection;
    Recordset rows;
    try {
        CallingForm->LOGIN_SUCCEEDED = false;
        connection.Open(CallingForm->DSNCONNECTSTR);
        rows.Open(QStringLiteral("SELECT * FROM Users WHERE UserID = '") +
                      QuoteSqlText(txtUserName->text()) + QStringLiteral("' and Password = '") +
                      QuoteSqlText(txtPassword->text()) + QStringLiteral("'"),
                  connection);
        if (rows.Eof()) {
            audit_.Append(QStringLiteral("login-refused"),
                          {{"user", txtUserName->text()},
                           {"reason", "no user with this user id and password"}});
            // Select the whole password, so that the next typing replaces it: now, while the
            // dialog has the focus. After the message, the desktop makes the dialog active again
            // only some time after the box has gone; until then no control has the focus, and
            // the operator's typing may already be arriving.
            txtPassword->setFocus();
            dialogs_.SendKeys(QStringLiteral("{Home}+{End}"));
            dialogs_.MsgBox(QStringLiteral("Invalid UserID or Password, try again!"),
                            Dialogs::Buttons::OK, Dialogs::Icon::None, QStringLiteral("Login"));
        } else {
            CallingForm->USER_ID = Text(rows.Fields(QStringLiteral("userid")).Value());
            CallingForm->PRIVILEGE_LEVEL =
                ToInt16(WholeNumber(rows.Fields(QStringLiteral("PrivilegeLevel")).Value()));
            CallingForm->LOGIN_SUCCEEDED = true;
            audit_.SetOperator(CallingForm->USER_ID);
            audit_.Append(
                QStringLiteral("login-accepted"),
                {{"user", txtUserName->text()}, {"privilege", CallingForm->PRIVILEGE_LEVEL}});
            hide();
        }
    } catch (const std::exception& error) {
        // The dialog stays open and the operator is not logged in.
        audit_.Append(QStringLiteral("login-refused"),
                      {{"user", txtUserName->text()}, {"reason", Numbered(error).description}});
    }
    if (rows.State() != 0) {
        rows.Close();
    }
    if (connection.State() != 0) {
        connection.Close();
    }
}

void frmLogin::cmdCancel_Click() {
    CallingForm->LOGIN_SUCCEEDED = false;
    hide();
}

void frmLogin::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        cmdCancel->click();
        return;
    }
    QDialog::keyPressEvent(event);
}
