#pragma once

#include <QString>

// The file work of the batch cycle. Failures raise std::filesystem::filesystem_error.

// Empties an existing batch folder of its ".tif" files, whatever the letter case of the
// extension, leaving every other file and folder in it; creates the folder when it is missing.
void PrepareBatchFolder(const QString& folder);

void DeleteFileIfExists(const QString& file);

// Copies the file, replacing one of the same name.
void CopyImageFile(const QString& from, const QString& to);
