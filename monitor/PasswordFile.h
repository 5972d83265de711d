#pragma once

#include <QByteArray>
#include <QMap>
#include <QSet>
#include <QString>
#include <memory>
#include <mutex>

// The accounts of the page's readers, one a line: "name:pbkdf2-sha256:ITERATIONS:SALT:HASH" with
// salt and hash in Base64. Blank lines and lines starting with # are skipped.
class PasswordFile {
  public:
    // Throws std::runtime_error for a file that cannot be read or a line it cannot use.
    static PasswordFile Load(const QString& path);
    // The value of an HTTP "Authorization: Basic ..." header holds a known name and its password.
    bool Accepts(const QString& authorization) const;
    // The line that gives `name` the password `password`, with a fresh salt.
    static QString Line(const QString& name, const QByteArray& password);

  private:
    struct Entry {
        int iterations;
        QByteArray salt;
        QByteArray hash;
    };
    QMap<QString, Entry> entries_;
    // Digests of header values already accepted: the page asks every few seconds, and deriving
    // the hash each time would cost a core.
    struct Accepted {
        std::mutex mutex;
        QSet<QByteArray> digests;
    };
    std::shared_ptr<Accepted> accepted_ = std::make_shared<Accepted>();
};
