#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <filesystem>

#include "images/BatchFiles.h"

namespace {

void Write(const QString& path, const QByteArray& content = "sheet") {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(content);
}

QStringList Entries(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                                  QDir::Name);
}

TEST(BatchFiles, AFolderLeftFromAnEarlierBatchLosesItsTifFilesOnly) {
    QTemporaryDir intray;
    const QString folder = intray.filePath(QStringLiteral("3007/"));
    ASSERT_TRUE(QDir().mkpath(folder + QStringLiteral("sub.tif")));
    Write(folder + QStringLiteral("300700000.tif"));
    Write(folder + QStringLiteral("300700001.TIF"));
    Write(folder + QStringLiteral("notes.txt"));
    Write(folder + QStringLiteral("300700002.tiff"));
    Write(folder + QStringLiteral("tif"));

    PrepareBatchFolder(folder);

    EXPECT_EQ(Entries(folder), QStringList({"300700002.tiff", "notes.txt", "sub.tif", "tif"}));
}

TEST(BatchFiles, AMissingFolderIsCreated) {
    QTemporaryDir intray;
    const QString folder = intray.filePath(QStringLiteral("3007/"));
    PrepareBatchFolder(folder);
    EXPECT_TRUE(QDir(folder).exists());
    EXPECT_TRUE(Entries(folder).isEmpty());
}

TEST(BatchFiles, AFolderThatCannotBeCreatedIsAnError) {
    QTemporaryDir intray;
    EXPECT_THROW(PrepareBatchFolder(intray.filePath(QStringLiteral("gone/3007/"))),
                 std::filesystem::filesystem_error);
}

TEST(BatchFiles, DeletingAMissingFileIsNoError) {
    QTemporaryDir intray;
    const QString file = intray.filePath(QStringLiteral("HEADER.tif"));
    EXPECT_NO_THROW(DeleteFileIfExists(file));
    Write(file);
    DeleteFileIfExists(file);
    EXPECT_FALSE(QFile::exists(file));
}

TEST(BatchFiles, CopyReplacesAnImageOfTheSameName) {
    QTemporaryDir intray;
    const QString from = intray.filePath(QStringLiteral("HEADER.tif"));
    const QString to = intray.filePath(QStringLiteral("300700000.tif"));
    Write(from, "new");
    Write(to, "old");
    CopyImageFile(from, to);
    QFile copied(to);
    ASSERT_TRUE(copied.open(QIODevice::ReadOnly));
    EXPECT_EQ(copied.readAll(), QByteArray("new"));
    EXPECT_TRUE(QFile::exists(from));
    EXPECT_THROW(CopyImageFile(intray.filePath(QStringLiteral("none.tif")), to),
                 std::filesystem::filesystem_error);
}

}  // namespace
