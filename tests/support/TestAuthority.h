#pragma once

#include <QString>
#include <QStringList>

// A certificate authority of a test's own, made with openssl in a folder the test keeps: its
// certificate NAME.pem and key NAME.key, valid for two days. It signs certificates for servers.
class TestAuthority {
  public:
    struct Issued {
        QString certificate;
        QString key;
    };

    // Why this host cannot make certificates (openssl missing), or the empty text.
    static QString MissingPieces();

    TestAuthority(const QString& folder, const QString& name);

    const QString& Certificate() const { return certificate_; }
    // A new key and its certificate for the subject name, which is also the first of its
    // alternative names; the others are openssl's subjectAltName entries ("DNS:localhost",
    // "IP:127.0.0.1"). Written beside the authority's files as SUBJECT.pem and SUBJECT.key.
    Issued Issue(const QString& subject, const QStringList& otherNames) const;

  private:
    QString folder_;
    QString certificate_;
    QString key_;
};
