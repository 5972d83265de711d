// The statements each operation sends, compared with the finished examples of station 3
// of type 1, batch 12, operator jsmith.

#include <gtest/gtest.h>

#include "database/LHDataAbstraction.h"
#include "support/OperationCalls.h"
#include "support/OperationTestSupport.h"
#include "support/TestDataSource.h"

namespace {

QStringList Texts(const std::vector<const char*>& statements) {
    QStringList texts;
    for (const char* statement : statements) {
        texts << QString::fromLatin1(statement);
    }
    return texts;
}

class ExampleStatements : public testing::TestWithParam<std::tuple<const char*, std::size_t>> {};

TEST_P(ExampleStatements, AreSentExactly) {
    const auto& [kind, index] = GetParam();
    const OperationCall& operation = EveryOperation().at(index);
    const std::unique_ptr<TestDataSource> source = MakeDataSource(QString::fromLatin1(kind));
    AddImages(*source, ExampleBatchImages());

    const FixedClock clock(December6At(operation.now));
    const StatementRecorder recorder;
    operation.call(source->ConnectString());
    EXPECT_EQ(recorder.Statements(), Texts(operation.statements));
}

INSTANTIATE_TEST_SUITE_P(Operations, ExampleStatements,
                         testing::Combine(testing::Values("SQLite", "MariaDB"),
                                          testing::Range(std::size_t{0}, EveryOperation().size())),
                         [](const testing::TestParamInfo<ExampleStatements::ParamType>& info) {
                             return std::string(std::get<0>(info.param)) + "_" +
                                    EveryOperation().at(std::get<1>(info.param)).name;
                         });

// Texts that need no quoting come out as the examples give them; quotes are doubled,
// blanks kept, and numbers written as plain decimals.
struct TextCase {
    const char* name;
    std::function<void(const QString&)> call;
    const char* statement;
};

class TextValues : public testing::TestWithParam<TextCase> {};

TEST_P(TextValues, AreQuotedWithTheirQuotesDoubled) {
    const std::unique_ptr<TestDataSource> source = MakeSqliteDataSource();
    const FixedClock clock(December6At("05:22:53"));
    const StatementRecorder recorder;
    GetParam().call(source->ConnectString());
    ASSERT_FALSE(recorder.Statements().isEmpty());
    EXPECT_EQ(recorder.Statements().front(), QString::fromUtf8(GetParam().statement));
}

INSTANTIATE_TEST_SUITE_P(
    Table, TextValues,
    testing::Values(
        TextCase{"CreateBatchOBrien",
                 [](const QString& c) { CreateBatch(c, 12, 3, QStringLiteral("O'Brien")); },
                 "INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (12, "
                 "'2026-12-06 05:22:53', 3, 'O''Brien')"},
        TextCase{"AddStationStatusQuotesEverywhere",
                 [](const QString& c) {
                     AddStationStatus(c, 3, 1, QStringLiteral("''"), QStringLiteral("'ON'"),
                                      QStringLiteral("a'b"));
                 },
                 "INSERT INTO SystemStatus(SYSTEMID,SYSTEMTYPE,USERID,STATUS,CURRENTTASK) VALUES "
                 "(3,1,'''''','''ON''','a''b')"},
        TextCase{"UpdateStationStatusKeepsBlanks",
                 [](const QString& c) {
                     UpdateStationStatus(c, 3, QStringLiteral("  O'Brien "),
                                         QStringLiteral("ONLINE"), QStringLiteral("STANDING BY"));
                 },
                 "UPDATE SystemStatus SET USERID = '  O''Brien ', Status = 'ONLINE', CURRENTTASK "
                 "= 'STANDING BY' WHERE SystemID = 3"},
        TextCase{"NegativeAndExtremeNumbers",
                 [](const QString& c) { CloseBatch(c, -32768, 32767, -1, 2147483647); },
                 "UPDATE Batches SET ImageCount = -1, BallotCount = 2147483647, EndTime = "
                 "'2026-12-06 05:22:53' WHERE BatchNo = 32767 AND SystemID = -32768"},
        TextCase{"NonAsciiOperator",
                 [](const QString& c) {
                     UpdateStationStatus(c, 3, QStringLiteral("Zoë"), QStringLiteral("ONLINE"),
                                         QStringLiteral("SCANNING"));
                 },
                 "UPDATE SystemStatus SET USERID = 'Zoë', Status = 'ONLINE', CURRENTTASK = "
                 "'SCANNING' WHERE SystemID = 3"}),
    [](const testing::TestParamInfo<TextCase>& info) { return std::string(info.param.name); });

// At exact midnight the date-time text is the date alone.
class Midnight : public testing::TestWithParam<const char*> {};

TEST_P(Midnight, StampsTheDateAlone) {
    const std::unique_ptr<TestDataSource> source = MakeDataSource(QString::fromLatin1(GetParam()));
    const FixedClock clock(December6At("00:00:00"));
    const StatementRecorder recorder;
    CreateBatch(source->ConnectString(), 12, 3, QStringLiteral("jsmith"));
    CloseBatch(source->ConnectString(), 3, 12, 118, 115);
    EXPECT_EQ(recorder.Statements(),
              QStringList({"INSERT INTO Batches(BatchNo,StartTime,SystemID,UserID) VALUES (12, "
                           "'2026-12-06', 3, 'jsmith')",
                           "UPDATE Batches SET ImageCount = 118, BallotCount = 115, EndTime = "
                           "'2026-12-06' WHERE BatchNo = 12 AND SystemID = 3"}));
    EXPECT_EQ(QueryOn(*source,
                      "SELECT Count(*) AS v FROM Batches WHERE StartTime >= '2026-12-06' AND "
                      "StartTime < '2026-12-06 00:00:01' AND EndTime >= '2026-12-06' AND "
                      "EndTime < '2026-12-06 00:00:01' AND ImageCount = 118"),
              "1");
}

INSTANTIATE_TEST_SUITE_P(Databases, Midnight, testing::Values("SQLite", "MariaDB"));

}  // namespace
