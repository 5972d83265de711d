#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include "audit/AuditLogFile.h"
#include "shell/frmLogin.h"
#include "support/TestStation.h"

namespace {

class LoginTest : public testing::Test {
  protected:
    void SetUp() override {
        VrelScan& window = station_.MakeWindow();
        window.DSNCONNECTSTR = station_.database->ConnectString();
        dialog_.CallingForm = &window;
        dialog_.show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog_, 30000));
    }

    // Straight into the table: the provisioning tool refuses some of these rows.
    void AddOperatorRow(const QString& user, const QString& password,
                        std::optional<int> level = 1) {
        ExecuteOn(*station_.database,
                  QStringLiteral("INSERT INTO Users VALUES ('%1', '%2', %3)")
                      .arg(QString(user).replace(u'\'', QStringLiteral("''")),
                           QString(password).replace(u'\'', QStringLiteral("''")),
                           level ? QString::number(*level) : QStringLiteral("NULL")));
    }

    void Submit(const QString& user, const QString& password) {
        dialog_.txtUserName->setText(user);
        dialog_.txtPassword->setText(password);
        dialog_.cmdOK_Click();
    }

    VrelScan& Window() { return *station_.window; }

    // "event user operator" of every record of the dialog's audit log; the password never in it.
    QStringList Logged(const QString& password) const {
        QFile file(kLoginLog);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly));
        if (!password.isEmpty()) {
            EXPECT_FALSE(file.readAll().contains(password.toUtf8()));
        }
        QStringList records;
        // After the record that opens the log.
        for (const audit::AuditRecord& record : audit::ReadAuditLog(kLoginLog).mid(1)) {
            records << record.event + u' ' + record.details.value("user").toString() + u' ' +
                           record.operatorId;
        }
        return records;
    }

    TestStation station_;
    const QString kLoginLog = station_.home.filePath(QStringLiteral("login.jsonl"));
    AuditLog audit_{kLoginLog};
    frmLogin dialog_{station_.dialogs, audit_};
};

const ShownBox kRefused{QStringLiteral("Invalid UserID or Password, try again!"),
                        QStringLiteral("Login"), Dialogs::Buttons::OK, Dialogs::Icon::None};

struct AcceptedCase {
    const char* what;
    const char* storedUser;
    const char* storedPassword;
    const char* typedUser;
    const char* typedPassword;
};

class AcceptedLogin : public LoginTest, public testing::WithParamInterface<AcceptedCase> {};

TEST_P(AcceptedLogin, LogsInWithTheUserIdAsStored) {
    const AcceptedCase& c = GetParam();
    AddOperatorRow(QString::fromUtf8(c.storedUser), QString::fromUtf8(c.storedPassword), 7);
    Window().LOGIN_SUCCEEDED = false;
    Submit(QString::fromUtf8(c.typedUser), QString::fromUtf8(c.typedPassword));
    EXPECT_TRUE(Window().LOGIN_SUCCEEDED);
    EXPECT_EQ(Window().USER_ID, QString::fromUtf8(c.storedUser));
    EXPECT_EQ(Window().PRIVILEGE_LEVEL, 7);
    EXPECT_FALSE(dialog_.isVisible());
    EXPECT_TRUE(station_.dialogs.shown.isEmpty());
    EXPECT_EQ(
        Logged(QString::fromUtf8(c.storedPassword)),
        QStringList{QStringLiteral("login-accepted %1 %2")
                        .arg(QString::fromUtf8(c.typedUser), QString::fromUtf8(c.storedUser))});
}

INSTANTIATE_TEST_SUITE_P(
    Users, AcceptedLogin,
    testing::Values(AcceptedCase{"Exact", "jsmith", "secret", "jsmith", "secret"},
                    AcceptedCase{"OtherCase", "JSmith", "secret", "jsMITH", "secret"},
                    AcceptedCase{"Blanks", "jsmith", "secret", "  jsmith ", " secret  "},
                    AcceptedCase{"QuoteInPassword", "obrien", "o'brien's", "obrien", "o'brien's"},
                    AcceptedCase{"QuoteInUser", "o'neill", "pw", "o'neill", "pw"},
                    AcceptedCase{"EmptyUserAndPassword", "", "", "", ""}),
    [](const testing::TestParamInfo<AcceptedCase>& info) { return info.param.what; });

struct RefusedCase {
    const char* what;
    const char* typedUser;
    const char* typedPassword;
};

class RefusedLogin : public LoginTest, public testing::WithParamInterface<RefusedCase> {};

TEST_P(RefusedLogin, ShowsTheMessageAndSelectsThePassword) {
    AddOperatorRow(QStringLiteral("jsmith"), QStringLiteral("Secret"));
    Window().LOGIN_SUCCEEDED = true;  // each press of OK starts from False
    const RefusedCase& c = GetParam();
    // Selected before the message takes the keyboard, not only once the dialog has it back.
    QString selectedWhileShown = QStringLiteral("not shown");
    station_.dialogs.onShown = [this, &selectedWhileShown](const ShownBox&) {
        selectedWhileShown = dialog_.txtPassword->selectedText();
    };
    Submit(QString::fromUtf8(c.typedUser), QString::fromUtf8(c.typedPassword));
    EXPECT_EQ(selectedWhileShown, QString::fromUtf8(c.typedPassword));
    EXPECT_FALSE(Window().LOGIN_SUCCEEDED);
    EXPECT_TRUE(dialog_.isVisible());
    ASSERT_EQ(station_.dialogs.shown.size(), 1);
    EXPECT_EQ(station_.dialogs.shown[0], kRefused)
        << describe(station_.dialogs.shown[0]).toStdString();
    EXPECT_EQ(station_.dialogs.keystrokes, QStringList{QStringLiteral("{Home}+{End}")});
    EXPECT_EQ(QApplication::focusWidget(), dialog_.txtPassword);
    EXPECT_EQ(dialog_.txtPassword->selectedText(), QString::fromUtf8(c.typedPassword));
    // The next typing replaces the whole password.
    QTest::keyClicks(dialog_.txtPassword, QStringLiteral("new"));
    EXPECT_EQ(dialog_.txtPassword->text(), QStringLiteral("new"));
    EXPECT_EQ(Logged(QString::fromUtf8(c.typedPassword)),
              QStringList{QStringLiteral("login-refused %1 ").arg(QString::fromUtf8(c.typedUser))});
}

INSTANTIATE_TEST_SUITE_P(Attempts, RefusedLogin,
                         testing::Values(RefusedCase{"PasswordInOtherCase", "jsmith", "secret"},
                                         RefusedCase{"WrongPassword", "jsmith", "Secret1"},
                                         RefusedCase{"UnknownUser", "jdoe", "Secret"},
                                         RefusedCase{"EmptyTexts", "", ""}),
                         [](const testing::TestParamInfo<RefusedCase>& info) {
                             return info.param.what;
                         });

TEST_F(LoginTest, NullPrivilegeLevelSetsTheUserButDoesNotLogIn) {
    AddOperatorRow(QStringLiteral("nolevel"), QStringLiteral("pw"), std::nullopt);
    Submit(QStringLiteral("nolevel"), QStringLiteral("pw"));
    EXPECT_FALSE(Window().LOGIN_SUCCEEDED);
    EXPECT_EQ(Window().USER_ID, QStringLiteral("nolevel"));
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_TRUE(station_.dialogs.shown.isEmpty());
    EXPECT_EQ(Logged(QStringLiteral("pw")), QStringList{QStringLiteral("login-refused nolevel ")});
}

TEST_F(LoginTest, UnreachableDatabaseLeavesTheDialogOpenWithoutMessage) {
    Window().DSNCONNECTSTR = UnreachableConnectString();
    Window().LOGIN_SUCCEEDED = true;
    Submit(QStringLiteral("demo"), QStringLiteral("demo"));
    EXPECT_FALSE(Window().LOGIN_SUCCEEDED);
    EXPECT_TRUE(dialog_.isVisible());
    EXPECT_TRUE(station_.dialogs.shown.isEmpty());
    EXPECT_EQ(Logged({}), QStringList{QStringLiteral("login-refused demo ")});
}

TEST_F(LoginTest, CorrectedPasswordLogsInAfterARefusal) {
    Submit(QStringLiteral("demo"), QStringLiteral("Demo"));
    QTest::keyClicks(dialog_.txtPassword, QStringLiteral("demo"));
    dialog_.cmdOK_Click();
    EXPECT_TRUE(Window().LOGIN_SUCCEEDED);
    EXPECT_EQ(station_.dialogs.shown.size(), 1);
}

struct KeyCase {
    const char* what;
    const char* focused;  // object name of the control that has the focus
    Qt::Key key;
    bool logsIn;
};

class KeyOnControl : public LoginTest, public testing::WithParamInterface<KeyCase> {};

// Enter presses the focused button, and OK from a text box; Esc cancels from anywhere.
TEST_P(KeyOnControl, PressesItsButton) {
    const KeyCase& c = GetParam();
    dialog_.txtUserName->setText(QStringLiteral("demo"));
    dialog_.txtPassword->setText(QStringLiteral("demo"));
    Window().LOGIN_SUCCEEDED = !c.logsIn;
    QWidget* focused = dialog_.findChild<QWidget*>(QLatin1StringView(c.focused));
    ASSERT_NE(focused, nullptr);
    focused->setFocus();
    QTest::keyClick(focused, c.key);
    EXPECT_EQ(Window().LOGIN_SUCCEEDED, c.logsIn);
    EXPECT_FALSE(dialog_.isVisible());
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyOnControl,
    testing::Values(KeyCase{"EnterInPassword", "txtPassword", Qt::Key_Return, true},
                    KeyCase{"EnterInUserName", "txtUserName", Qt::Key_Enter, true},
                    KeyCase{"EnterOnOk", "cmdOK", Qt::Key_Return, true},
                    KeyCase{"EnterOnCancel", "cmdCancel", Qt::Key_Return, false},
                    KeyCase{"EscInUserName", "txtUserName", Qt::Key_Escape, false},
                    KeyCase{"EscOnOk", "cmdOK", Qt::Key_Escape, false}),
    [](const testing::TestParamInfo<KeyCase>& info) { return info.param.what; });

TEST_F(LoginTest, ControlsAsDesigned) {
    EXPECT_EQ(dialog_.objectName(), QStringLiteral("frmLogin"));
    EXPECT_EQ(dialog_.windowTitle(), QStringLiteral("Kestrana Lindhollow Login"));
    EXPECT_EQ(dialog_.size(), QSize(250, 103));
    struct Placed {
        QWidget* control;
        const char* name;
        QRect at;
    };
    for (const Placed& p : {Placed{dialog_.lblLabels[0], "lblLabels", {7, 10, 72, 18}},
                            Placed{dialog_.txtUserName, "txtUserName", {86, 9, 155, 23}},
                            Placed{dialog_.lblLabels[1], "lblLabels", {7, 36, 72, 18}},
                            Placed{dialog_.txtPassword, "txtPassword", {86, 35, 155, 23}},
                            Placed{dialog_.cmdOK, "cmdOK", {33, 68, 76, 26}},
                            Placed{dialog_.cmdCancel, "cmdCancel", {140, 68, 76, 26}}}) {
        EXPECT_EQ(p.control->objectName(), QLatin1StringView(p.name));
        EXPECT_EQ(p.control->geometry(), p.at) << p.name;
    }
    EXPECT_EQ(dialog_.lblLabels[0]->text(), QStringLiteral("&User Name:"));
    EXPECT_EQ(dialog_.lblLabels[0]->buddy(), dialog_.txtUserName);
    EXPECT_EQ(dialog_.lblLabels[1]->text(), QStringLiteral("&Password:"));
    EXPECT_EQ(dialog_.lblLabels[1]->buddy(), dialog_.txtPassword);
    EXPECT_EQ(dialog_.cmdOK->text(), QStringLiteral("OK"));
    EXPECT_TRUE(dialog_.cmdOK->isDefault());
    EXPECT_EQ(dialog_.cmdCancel->text(), QStringLiteral("Cancel"));
    EXPECT_TRUE(dialog_.txtUserName->text().isEmpty());
    EXPECT_TRUE(dialog_.txtPassword->text().isEmpty());
}

TEST_F(LoginTest, TabOrderAndFocus) {
    EXPECT_EQ(QApplication::focusWidget(), dialog_.txtUserName);
    const QList<QWidget*> order = {dialog_.txtPassword, dialog_.cmdOK, dialog_.cmdCancel,
                                   dialog_.txtUserName};
    for (QWidget* next : order) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        EXPECT_EQ(QApplication::focusWidget(), next) << next->objectName().toStdString();
    }
}

TEST_F(LoginTest, AltKeysMoveToTheirTextBoxes) {
    QTest::keyClick(&dialog_, Qt::Key_P, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog_.txtPassword);
    QTest::keyClick(&dialog_, Qt::Key_U, Qt::AltModifier);
    EXPECT_EQ(QApplication::focusWidget(), dialog_.txtUserName);
}

TEST_F(LoginTest, PasswordShowsAStarPerCharacter) {
    QTest::keyClicks(dialog_.txtPassword, QStringLiteral("pa'ss"));
    EXPECT_EQ(dialog_.txtPassword->text(), QStringLiteral("pa'ss"));
    EXPECT_EQ(dialog_.txtPassword->displayText(), QStringLiteral("*****"));
}

}  // namespace
