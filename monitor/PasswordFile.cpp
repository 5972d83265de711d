#include "PasswordFile.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>
#include <openssl/rand.h>

#include <QCryptographicHash>
#include <QFile>
#include <stdexcept>

namespace {

constexpr int kIterations = 200000;

QByteArray Derive(const QByteArray& password, const QByteArray& salt, int iterations) {
    QByteArray hash(32, '\0');
    if (PKCS5_PBKDF2_HMAC(password.constData(), int(password.size()),
                          reinterpret_cast<const unsigned char*>(salt.constData()),
                          int(salt.size()), iterations, EVP_sha256(), int(hash.size()),
                          reinterpret_cast<unsigned char*>(hash.data())) != 1) {
        throw std::runtime_error("the password could not be hashed");
    }
    return hash;
}

}  // namespace

PasswordFile PasswordFile::Load(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw std::runtime_error("cannot read the password file " + path.toStdString());
    }
    PasswordFile passwords;
    int number = 0;
    while (!file.atEnd()) {
        const QString line = QString::fromUtf8(file.readLine()).trimmed();
        ++number;
        if (line.isEmpty() || line.startsWith(u'#')) {
            continue;
        }
        const QStringList parts = line.split(u':');
        bool ok = false;
        const int iterations = parts.size() == 5 ? parts[2].toInt(&ok) : 0;
        if (!ok || parts[1] != u"pbkdf2-sha256" || iterations < 1 || parts[0].isEmpty()) {
            throw std::runtime_error("line " + std::to_string(number) + " of " +
                                     path.toStdString() +
                                     " is not name:pbkdf2-sha256:ITERATIONS:SALT:HASH");
        }
        passwords.entries_.insert(parts[0],
                                  {iterations, QByteArray::fromBase64(parts[3].toLatin1()),
                                   QByteArray::fromBase64(parts[4].toLatin1())});
    }
    return passwords;
}

bool PasswordFile::Accepts(const QString& authorization) const {
    if (!authorization.startsWith(QStringLiteral("Basic "), Qt::CaseInsensitive)) {
        return false;
    }
    const QByteArray digest =
        QCryptographicHash::hash(authorization.toUtf8(), QCryptographicHash::Sha256);
    {
        std::lock_guard lock(accepted_->mutex);
        if (accepted_->digests.contains(digest)) {
            return true;
        }
    }
    const QByteArray pair = QByteArray::fromBase64(authorization.mid(6).trimmed().toLatin1());
    const qsizetype colon = pair.indexOf(':');
    if (colon < 0) {
        return false;
    }
    const auto entry = entries_.constFind(QString::fromUtf8(pair.left(colon)));
    if (entry == entries_.constEnd()) {
        return false;
    }
    const QByteArray hash = Derive(pair.mid(colon + 1), entry->salt, entry->iterations);
    if (hash.size() != entry->hash.size() ||
        CRYPTO_memcmp(hash.constData(), entry->hash.constData(), size_t(hash.size())) != 0) {
        return false;
    }
    std::lock_guard lock(accepted_->mutex);
    accepted_->digests.insert(digest);
    return true;
}

QString PasswordFile::Line(const QString& name, const QByteArray& password) {
    QByteArray salt(16, '\0');
    if (RAND_bytes(reinterpret_cast<unsigned char*>(salt.data()), int(salt.size())) != 1) {
        throw std::runtime_error("no random salt could be made");
    }
    return QStringLiteral("%1:pbkdf2-sha256:%2:%3:%4")
        .arg(name)
        .arg(kIterations)
        .arg(QString::fromLatin1(salt.toBase64()),
             QString::fromLatin1(Derive(password, salt, kIterations).toBase64()));
}
