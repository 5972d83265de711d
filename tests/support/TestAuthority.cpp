#include "TestAuthority.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QStandardPaths>
#include <stdexcept>

namespace {

// Elliptic-curve keys: made at once, where RSA keys would take a noticeable part of a test.
const QStringList kNewKey = {"-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes"};

void OpenSsl(const QStringList& arguments) {
    QProcess openssl;
    openssl.setProcessChannelMode(QProcess::MergedChannels);
    openssl.start(QStringLiteral("openssl"), arguments);
    if (!openssl.waitForFinished(60000) || openssl.exitCode() != 0) {
        throw std::runtime_error("openssl " + arguments.join(u' ').toStdString() + ": " +
                                 openssl.readAll().toStdString());
    }
}

}  // namespace

QString TestAuthority::MissingPieces() {
    return QStandardPaths::findExecutable(QStringLiteral("openssl")).isEmpty()
               ? QStringLiteral("openssl is not installed")
               : QString();
}

TestAuthority::TestAuthority(const QString& folder, const QString& name)
    : folder_(folder),
      certificate_(QDir(folder).filePath(name + QStringLiteral(".pem"))),
      key_(QDir(folder).filePath(name + QStringLiteral(".key"))) {
    OpenSsl(
        QStringList{"req", "-x509"} + kNewKey +
        QStringList{"-days", "2", "-subj", "/CN=" + name, "-keyout", key_, "-out", certificate_});
}

TestAuthority::Issued TestAuthority::Issue(const QString& subject,
                                           const QStringList& otherNames) const {
    const QDir folder(folder_);
    const Issued issued{folder.filePath(subject + QStringLiteral(".pem")),
                        folder.filePath(subject + QStringLiteral(".key"))};
    const QString request = folder.filePath(subject + QStringLiteral(".csr"));
    const QString extensions = folder.filePath(subject + QStringLiteral(".ext"));
    OpenSsl(QStringList{"req"} + kNewKey +
            QStringList{"-subj", "/CN=" + subject, "-keyout", issued.key, "-out", request});
    QFile names(extensions);
    if (!names.open(QIODevice::WriteOnly)) {
        throw std::runtime_error("cannot write " + extensions.toStdString());
    }
    names.write(("subjectAltName=" + (QStringList{"DNS:" + subject} + otherNames).join(u',') + '\n')
                    .toUtf8());
    names.close();
    OpenSsl({"x509", "-req", "-days", "2", "-in", request, "-CA", certificate_, "-CAkey", key_,
             "-CAcreateserial", "-extfile", extensions, "-out", issued.certificate});
    return issued;
}
