// The answers of the image endpoints to good and bad requests, read from a centre's database on
// SQLite and on MariaDB: a batch of four images, the first kept at the centre as the scanner
// wrote it, the second without its bytes, the third with bytes that are no image.

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "ImageRequests.h"
#include "support/SheetFiles.h"
#include "support/TempFolder.h"
#include "support/TestDataSource.h"

namespace {

QString Hex(const QByteArray& bytes) {
    return QStringLiteral("X'%1'").arg(QString::fromLatin1(bytes.toHex()));
}

class ImageEndpoints : public testing::TestWithParam<const char*> {
  protected:
    void SetUp() override {
        source_ = MakeDataSource(QString::fromLatin1(GetParam()));
        TempFolder folder;
        sheet_files::Make({"ballot", "--marks", "4"}, folder.File("b.tif"));
        std::ifstream in(folder.File("b.tif"), std::ios::binary);
        ballot_ = QByteArray::fromStdString(
            {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
        Run("INSERT INTO Batches (SystemID, BatchNo, StartTime, EndTime, ImageCount) VALUES "
            "(3, 7, '2026-12-07 10:00:00', '2026-12-07 10:05:00', 4)");
        Run("INSERT INTO BallotImages (SystemID, BatchNo, ImageSeq, BallotSN, Status, Error) "
            "VALUES (3, 7, 0, 300700000, 9, 0), (3, 7, 1, 300700001, 0, 0), "
            "(3, 7, 2, 300700002, 1, 17), (3, 7, 3, 300700003, 10, 0)");
        Run("INSERT INTO ImageSeals (SystemID, BatchNo, ImageSeq, BallotSN, SHA256) VALUES "
            "(3, 7, 0, 300700000, 'aa'), (3, 7, 1, 300700001, 'bb'), (3, 7, 2, 300700002, 'cc')");
        Run(QStringLiteral(
                "INSERT INTO ImageFiles (SystemID, BatchNo, ImageSeq, SHA256, ImageData) "
                "VALUES (3, 7, 0, 'aa', %1), (3, 7, 2, 'cc', %2)")
                .arg(Hex(ballot_), Hex("broken bytes")));
    }
    void Run(const QString& statement) { ExecuteOn(*source_, statement); }

    std::unique_ptr<TestDataSource> source_;
    QByteArray ballot_;
};

TEST_P(ImageEndpoints, AnswerEveryRequest) {
    const ImageRequests requests(source_->ConnectString());
    const struct {
        const char* station;
        const char* batch;
        const char* file;  // none: the batch's list
        int status;
        std::string said;  // in the type and body
    } requestsAndAnswers[] = {
        {"3", "7", nullptr, 200,
         R"("images":[{"atCentre":true,"error":0,"sequence":0,"serial":300700000,"sha256":"aa","size":)" +
             std::to_string(ballot_.size()) +
             R"(,"status":9},{"atCentre":false,"error":0,"sequence":1,"serial":300700001,"sha256":"bb","size":null,"status":0},)"
             R"({"atCentre":true,"error":17,"sequence":2,"serial":300700002,"sha256":"cc","size":12,"status":1},)"
             R"({"atCentre":false,"error":0,"sequence":3,"serial":300700003,"sha256":null,"size":null,"status":10}])"},
        {"3", "8", nullptr, 404, "station 3 has no batch 8"},
        {"x", "7", nullptr, 400, "the station must be a number"},
        {"3", "70000", nullptr, 400, "the batch must be a number"},
        {"3", "7", "0.png", 200, "image/png\x89PNG"},
        {"3", "7", "1.png", 404, "the centre keeps no copy of image 1 of batch 7 of station 3"},
        {"3", "7", "2.png", 422, "image 2 of batch 7 of station 3 cannot be shown: not a TIFF"},
        {"3", "7", "4.png", 404, "batch 7 of station 3 has no image 4"},
        {"3", "9", "0.png", 404, "station 3 has no batch 9"},
        {"3", "7", "-1.png", 400, "the image must be its sequence number and .png"},
        {"3", "7", "99999999999.png", 400, "the image must be"},
    };
    for (const auto& request : requestsAndAnswers) {
        const Reply reply = request.file
                                ? requests.Png(request.station, request.batch, request.file)
                                : requests.List(request.station, request.batch);
        const std::string said = reply.type + reply.body;
        EXPECT_EQ(reply.status, request.status) << said;
        EXPECT_NE(said.find(request.said), std::string::npos) << said;
    }
}

// A centre without image files (an older one, or a monitor account without the grant) still
// lists its images; a database that cannot be reached is said to be so.
TEST_P(ImageEndpoints, WithoutImageFilesOrDatabase) {
    Run("DROP TABLE ImageFiles");
    const ImageRequests requests(source_->ConnectString());
    EXPECT_NE(
        requests.List("3", "7").body.find(
            R"("centreKeepsFiles":false,"images":[{"atCentre":false,"error":0,"sequence":0,)"),
        std::string::npos);
    EXPECT_EQ(requests.Png("3", "7", "0.png").body,
              "the centre keeps no copy of image 0 of batch 7 of station 3\n");
    const ImageRequests away(UnreachableConnectString());
    for (const Reply& reply : {away.List("3", "7"), away.Png("3", "7", "0.png")}) {
        EXPECT_EQ(reply.status, 503);
        EXPECT_NE(reply.body.find("the centre's database cannot be reached"), std::string::npos);
    }
}

INSTANTIATE_TEST_SUITE_P(Databases, ImageEndpoints, testing::Values("SQLite", "MariaDB"));

}  // namespace
