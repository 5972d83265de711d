#pragma once

#include <QString>
#include <QStringList>

// The file work of the batch cycle. Failures raise std::filesystem::filesystem_error.

// Empties an existing batch folder of its ".tif" files, whatever the letter case of the
// extension, leaving every other file and folder in it; creates the folder when it is missing.
void PrepareBatchFolder(const QString& folder);

// The names of the folder's ".tif" files, whatever the letter case of the extension; none when
// the folder is missing.
QStringList ImageFilesIn(const QString& folder);

// Every file written to the folder's file system is on the disk, so that no database row
// outlives its image in a power cut.
void SyncToDisk(const QString& folder);

void DeleteFileIfExists(const QString& file);

// Copies the file, replacing one of the same name.
void CopyImageFile(const QString& from, const QString& to);
