#include "scanning/BatchFiles.h"

#include <QFile>
#include <filesystem>

namespace {

std::filesystem::path PathOf(const QString& name) {
    return QFile::encodeName(name).toStdString();
}

bool IsTif(const std::filesystem::directory_entry& entry) {
    const QString extension = QFile::decodeName(entry.path().extension().string().c_str());
    return entry.is_regular_file() && extension.compare(u".tif", Qt::CaseInsensitive) == 0;
}

}  // namespace

void PrepareBatchFolder(const QString& folder) {
    const std::filesystem::path path = PathOf(folder);
    if (!std::filesystem::is_directory(path)) {
        std::filesystem::create_directory(path);
        return;
    }
    for (const auto& entry : std::filesystem::directory_iterator(path)) {
        if (IsTif(entry)) {
            std::filesystem::remove(entry.path());
        }
    }
}

void DeleteFileIfExists(const QString& file) {
    std::filesystem::remove(PathOf(file));
}

void CopyImageFile(const QString& from, const QString& to) {
    std::filesystem::copy_file(PathOf(from), PathOf(to),
                               std::filesystem::copy_options::overwrite_existing);
}
