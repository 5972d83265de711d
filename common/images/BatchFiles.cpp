#include "images/BatchFiles.h"

#include <fcntl.h>
#include <unistd.h>
#include <QFile>

#include <filesystem>
#include <system_error>

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

QStringList ImageFilesIn(const QString& folder) {
    QStringList names;
    const std::filesystem::path path = PathOf(folder);
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            if (IsTif(entry)) {
                names.append(QFile::decodeName(entry.path().filename().string().c_str()));
            }
        }
    }
    names.sort();
    return names;
}

void SyncToDisk(const QString& folder) {
    // One sync of the file system costs far less than one per image file.
    const int fd = ::open(PathOf(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    const bool synced = fd >= 0 && ::syncfs(fd) == 0;
    const int error = errno;
    if (fd >= 0) {
        ::close(fd);
    }
    if (!synced) {
        throw std::filesystem::filesystem_error("cannot sync the images to the disk",
                                                PathOf(folder),
                                                std::error_code(error, std::generic_category()));
    }
}

void DeleteFileIfExists(const QString& file) {
    std::filesystem::remove(PathOf(file));
}

void CopyImageFile(const QString& from, const QString& to) {
    std::filesystem::copy_file(PathOf(from), PathOf(to),
                               std::filesystem::copy_options::overwrite_existing);
}
