#include "settings/LoadStationSettings.h"

#include "settings/StationSettings.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <QVariant>
#include <map>

namespace {

using Values = std::map<QString, QVariant>;

// The record's fields by name, with their types.
Values Held(const StationSettings& s) {
    return {{"DSNCONNECTSTR", s.DSNCONNECTSTR},
            {"SQLCONNECTSTR", s.SQLCONNECTSTR},
            {"ORLAHOST", s.ORLAHOST},
            {"INTRAY", s.INTRAY},
            {"NAMES_FILENAME", s.NAMES_FILENAME},
            {"ELECTION_TYPE", QVariant::fromValue(s.ELECTION_TYPE)},
            {"ELECTION_ID", QVariant::fromValue(s.ELECTION_ID)},
            {"BALLOTSIZE", QVariant::fromValue(s.BALLOTSIZE)},
            {"WEIGHTED_ELECTION", s.WEIGHTED_ELECTION},
            {"PROPORTIONAL_VOTING", s.PROPORTIONAL_VOTING},
            {"SYSTEM_ID", QVariant::fromValue(s.SYSTEM_ID)},
            {"SYSTEM_TYPE", QVariant::fromValue(s.SYSTEM_TYPE)},
            {"SCANNER_INI", s.SCANNER_INI}};
}

// What the record holds before anything is loaded.
Values InitialValues() {
    return {{"DSNCONNECTSTR", QString()},
            {"SQLCONNECTSTR", QString()},
            {"ORLAHOST", QString()},
            {"INTRAY", QString()},
            {"NAMES_FILENAME", QString()},
            {"ELECTION_TYPE", QVariant::fromValue<quint8>(0)},
            {"ELECTION_ID", QVariant::fromValue<qint16>(0)},
            {"BALLOTSIZE", QVariant::fromValue<qint16>(0)},
            {"WEIGHTED_ELECTION", false},
            {"PROPORTIONAL_VOTING", false},
            {"SYSTEM_ID", QVariant::fromValue<qint16>(0)},
            {"SYSTEM_TYPE", QVariant::fromValue<qint16>(0)},
            {"SCANNER_INI", QString()}};
}

// A settings file holding every value, so that any early stop shows.
const char* const kCompleteFile = R"([ElectionSettings]
DSNCONNECTSTR="DSN=Centre;"
SQLCONNECTSTR="DSN=Centre;UID=scan"
ORLAHOST=10.1.2.3
INTRAY=/srv/intray/
NAMES_FILENAME=names.txt
ELECTION_TYPE=4
ELECTION_ID=77
BALLOTSIZE=17
WEIGHTED_ELECTION=True
PROPORTIONAL_VOTING=1

[SystemSettings]
SYSTEM_ID=3
SYSTEM_TYPE=1
SCANNER_INI=/etc/scanner.ini
)";

Values CompleteValues() {
    return {{"DSNCONNECTSTR", QStringLiteral("DSN=Centre;")},
            {"SQLCONNECTSTR", QStringLiteral("DSN=Centre;UID=scan")},
            {"ORLAHOST", QStringLiteral("10.1.2.3")},
            {"INTRAY", QStringLiteral("/srv/intray/")},
            {"NAMES_FILENAME", QStringLiteral("names.txt")},
            {"ELECTION_TYPE", QVariant::fromValue<quint8>(4)},
            {"ELECTION_ID", QVariant::fromValue<qint16>(77)},
            {"BALLOTSIZE", QVariant::fromValue<qint16>(17)},
            {"WEIGHTED_ELECTION", true},
            {"PROPORTIONAL_VOTING", true},
            {"SYSTEM_ID", QVariant::fromValue<qint16>(3)},
            {"SYSTEM_TYPE", QVariant::fromValue<qint16>(1)},
            {"SCANNER_INI", QStringLiteral("/etc/scanner.ini")}};
}

class LoadStationSettingsTest : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(home_.isValid());
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
    }

    void WriteStore(const QString& text) {
        QFile file(home_.filePath(QStringLiteral("KestranaLindhollow.ini")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    }

    // The complete file with one value's line replaced.
    void WriteStoreWith(const QString& name, const QString& text) {
        QString contents = QString::fromUtf8(kCompleteFile);
        const qsizetype start = contents.indexOf(QStringLiteral("\n%1=").arg(name)) + 1;
        ASSERT_GT(start, 0) << name.toStdString();
        const qsizetype end = contents.indexOf(u'\n', start);
        contents.replace(start, end - start, name + u'=' + text);
        WriteStore(contents);
    }

    void ExpectSettingsHold(const Values& expected) {
        const Values held = Held(settings_);
        for (const auto& [name, value] : expected) {
            const QVariant actual = held.at(name);
            EXPECT_EQ(actual.metaType(), value.metaType()) << name.toStdString();
            EXPECT_EQ(actual, value)
                << name.toStdString() << " holds " << actual.toString().toStdString();
        }
    }

    QTemporaryDir home_;
    StationSettings settings_;
};

TEST_F(LoadStationSettingsTest, EmptyStoreGivesDefaultsThenStopsAtTheStationNumber) {
    EXPECT_EQ(LoadStationSettings(settings_), QStringLiteral("SYSTEM_ID"));
    ExpectSettingsHold({{"DSNCONNECTSTR", QStringLiteral("DSN=Lindhollow;")},
                        {"SQLCONNECTSTR", QString()},
                        {"ORLAHOST", QStringLiteral("127.0.0.1")},
                        {"INTRAY", QStringLiteral("d:\\temp\\")},
                        {"NAMES_FILENAME", QString()},
                        {"ELECTION_TYPE", QVariant::fromValue<quint8>(6)},
                        {"ELECTION_ID", QVariant::fromValue<qint16>(0)},
                        {"BALLOTSIZE", QVariant::fromValue<qint16>(11)},
                        {"WEIGHTED_ELECTION", false},
                        {"PROPORTIONAL_VOTING", false},
                        {"SYSTEM_ID", QVariant::fromValue<qint16>(0)},
                        {"SYSTEM_TYPE", QVariant::fromValue<qint16>(0)},
                        {"SCANNER_INI", QString()}});
}

TEST_F(LoadStationSettingsTest, CompleteStoreFillsEveryProperty) {
    WriteStore(QString::fromUtf8(kCompleteFile));
    EXPECT_EQ(LoadStationSettings(settings_), std::nullopt);
    ExpectSettingsHold(CompleteValues());
}

// One stored value changed; the reading either takes it and goes on, or stops
// there, leaving it and every later value as they were.
struct OneValueCase {
    const char* name;
    const char* stored;
    std::optional<QVariant> loaded;  // nullopt: the reading stops at this value
};

class OneStoredValue : public LoadStationSettingsTest,
                       public testing::WithParamInterface<OneValueCase> {};

TEST_P(OneStoredValue, IsConvertedOrStopsTheReading) {
    const OneValueCase& c = GetParam();
    WriteStoreWith(QString::fromLatin1(c.name), QString::fromUtf8(c.stored));
    const std::optional<QString> stoppedAt = LoadStationSettings(settings_);
    EXPECT_EQ(stoppedAt, c.loaded ? std::nullopt : std::optional(QString::fromLatin1(c.name)));

    Values expected = CompleteValues();
    const QStringList order = {
        "DSNCONNECTSTR",     "SQLCONNECTSTR",       "ORLAHOST",    "INTRAY",
        "NAMES_FILENAME",    "ELECTION_TYPE",       "ELECTION_ID", "BALLOTSIZE",
        "WEIGHTED_ELECTION", "PROPORTIONAL_VOTING", "SYSTEM_ID",   "SYSTEM_TYPE",
        "SCANNER_INI"};
    if (c.loaded) {
        expected[c.name] = *c.loaded;
    } else {
        const Values initial = InitialValues();
        for (qsizetype i = order.indexOf(QString::fromLatin1(c.name)); i < order.size(); ++i) {
            expected[order[i]] = initial.at(order[i]);
        }
    }
    ExpectSettingsHold(expected);
}

INSTANTIATE_TEST_SUITE_P(
    Table, OneStoredValue,
    testing::Values(
        OneValueCase{"BALLOTSIZE", "14", QVariant::fromValue<qint16>(14)},
        OneValueCase{"BALLOTSIZE", "300", std::nullopt},
        OneValueCase{"BALLOTSIZE", "-1", std::nullopt},
        OneValueCase{"ELECTION_ID", "12.5", QVariant::fromValue<qint16>(12)},
        OneValueCase{"ELECTION_ID", "13.5", QVariant::fromValue<qint16>(14)},
        OneValueCase{"ELECTION_ID", "twelve", std::nullopt},
        OneValueCase{"ELECTION_TYPE", "256", std::nullopt},
        OneValueCase{"ELECTION_TYPE", " 9 ", QVariant::fromValue<quint8>(9)},
        OneValueCase{"WEIGHTED_ELECTION", "true", true},
        OneValueCase{"WEIGHTED_ELECTION", "-1", true}, OneValueCase{"WEIGHTED_ELECTION", "7", true},
        OneValueCase{"WEIGHTED_ELECTION", "0", false},
        OneValueCase{"WEIGHTED_ELECTION", "false", false},
        OneValueCase{"WEIGHTED_ELECTION", "yes", std::nullopt},
        OneValueCase{"SYSTEM_ID", "", std::nullopt},
        OneValueCase{"SYSTEM_ID", "40000", std::nullopt},
        OneValueCase{"SYSTEM_TYPE", "2.5", QVariant::fromValue<qint16>(2)},
        OneValueCase{"INTRAY", "\"d:\\\\scans\\\\\"", QStringLiteral("d:\\scans\\")},
        // An unquoted comma makes a list in INI files; the value still reads as one text.
        OneValueCase{"NAMES_FILENAME", "a,b", QStringLiteral("a,b")}));

TEST_F(LoadStationSettingsTest, AbsentStationNumberLeavesTheLastThreeUnread) {
    WriteStore(QStringLiteral("[SystemSettings]\nSYSTEM_TYPE=1\nSCANNER_INI=/etc/scanner.ini\n"));
    LoadStationSettings(settings_);
    ExpectSettingsHold({{"SYSTEM_ID", QVariant::fromValue<qint16>(0)},
                        {"SYSTEM_TYPE", QVariant::fromValue<qint16>(0)},
                        {"SCANNER_INI", QString()},
                        {"BALLOTSIZE", QVariant::fromValue<qint16>(11)}});
}

TEST_F(LoadStationSettingsTest, SecondLoadKeepsFirstValuesWhereItStopsEarly) {
    WriteStore(QString::fromUtf8(kCompleteFile));
    LoadStationSettings(settings_);
    WriteStoreWith(QStringLiteral("BALLOTSIZE"), QStringLiteral("300"));
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, home_.path());
    LoadStationSettings(settings_);
    ExpectSettingsHold(CompleteValues());

    // Values before the stop are read again.
    QString changed = QString::fromUtf8(kCompleteFile);
    changed.replace(QStringLiteral("ORLAHOST=10.1.2.3"), QStringLiteral("ORLAHOST=10.99.99.99"));
    changed.replace(QStringLiteral("BALLOTSIZE=17"), QStringLiteral("BALLOTSIZE=300"));
    changed.replace(QStringLiteral("SYSTEM_ID=3"), QStringLiteral("SYSTEM_ID=5"));
    WriteStore(changed);
    LoadStationSettings(settings_);
    Values expected = CompleteValues();
    expected["ORLAHOST"] = QStringLiteral("10.99.99.99");
    ExpectSettingsHold(expected);
}

TEST_F(LoadStationSettingsTest, MalformedStoreAssignsNothing) {
    WriteStore(QStringLiteral("[ElectionSettings\nORLAHOST=10.1.2.3\n"));
    LoadStationSettings(settings_);
    ExpectSettingsHold(InitialValues());
}

TEST_F(LoadStationSettingsTest, UnreadableStoreAssignsNothing) {
    ASSERT_TRUE(QDir(home_.path()).mkdir(QStringLiteral("KestranaLindhollow.ini")));
    LoadStationSettings(settings_);
    ExpectSettingsHold(InitialValues());
}

}  // namespace
