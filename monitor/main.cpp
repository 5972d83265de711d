// lindhollow-monitor: the counting centre's live page and its JSON, read from the centre's
// database through an account that only reads.

#include <signal.h>

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QTextStream>
#include <cstdio>
#include <stdexcept>

#include "LindhollowVersion.h"
#include "Refresher.h"
#include "WebServer.h"

namespace {

const char* const kUsage =
    "Usage: lindhollow-monitor [--connect CS | --connect-file FILE] [--listen ADDRESS:PORT]\n"
    "                          [--tls-cert FILE --tls-key FILE] [--password-file FILE]\n"
    "                          [--refresh SECONDS]\n"
    "       lindhollow-monitor --hash-password NAME\n"
    "\n"
    "Serves the counting centre's live page and its JSON, read from the centre's database.\n"
    "\n"
    "  --connect CS          ODBC connect string of the monitor's account (default\n"
    "                        \"DSN=Lindhollow;\")\n"
    "  --connect-file FILE   read the connect string from the file's first line instead, so\n"
    "                        that its password shows in no process list\n"
    "  --listen ADDRESS:PORT where to listen (default 127.0.0.1:8080; port 0: any free port)\n"
    "  --tls-cert FILE       serve HTTPS with this certificate (PEM) ...\n"
    "  --tls-key FILE        ... and its private key (PEM)\n"
    "  --password-file FILE  ask for HTTP basic authentication against this file's accounts\n"
    "  --refresh SECONDS     read the database this often (default 3)\n"
    "  --hash-password NAME  print the password file's line for NAME, the password read from\n"
    "                        standard input\n";

struct UsageError : std::invalid_argument {
    using std::invalid_argument::invalid_argument;
};

QString ConnectString(const QCommandLineParser& parser) {
    if (parser.isSet("connect") && parser.isSet("connect-file")) {
        throw UsageError("give --connect or --connect-file, not both");
    }
    if (!parser.isSet("connect-file")) {
        return parser.isSet("connect") ? parser.value("connect")
                                       : QStringLiteral("DSN=Lindhollow;");
    }
    QFile file(parser.value("connect-file"));
    if (!file.open(QIODevice::ReadOnly | QIODevice::Text)) {
        throw std::runtime_error("cannot read the connect file " + file.fileName().toStdString());
    }
    return QString::fromUtf8(file.readLine()).trimmed();
}

WebOptions Web(const QCommandLineParser& parser) {
    WebOptions options;
    if (parser.isSet("listen")) {
        const QString listen = parser.value("listen");
        const qsizetype colon = listen.lastIndexOf(u':');
        bool ok = false;
        options.port = colon > 0 ? listen.mid(colon + 1).toInt(&ok) : -1;
        if (!ok || options.port < 0 || options.port > 65535) {
            throw UsageError("--listen must be ADDRESS:PORT, as 127.0.0.1:8080");
        }
        options.address = listen.left(colon);
        if (options.address.startsWith(u'[') && options.address.endsWith(u']')) {
            options.address = options.address.mid(1, options.address.size() - 2);
        }
    }
    options.certificate = parser.value("tls-cert");
    options.key = parser.value("tls-key");
    if (options.certificate.isEmpty() != options.key.isEmpty()) {
        throw UsageError("--tls-cert and --tls-key go together");
    }
    if (parser.isSet("password-file")) {
        options.passwords = PasswordFile::Load(parser.value("password-file"));
    }
    options.chartJs = QStringLiteral(LINDHOLLOW_CHART_JS);
    return options;
}

int HashPassword(const QString& name) {
    if (name.isEmpty() || name.contains(u':')) {
        throw UsageError("the name of --hash-password must be given and hold no colon");
    }
    QTextStream in(stdin);
    const QString password = in.readLine();
    if (password.isEmpty()) {
        throw std::runtime_error("no password was given on standard input");
    }
    std::printf("%s\n", qPrintable(PasswordFile::Line(name, password.toUtf8())));
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    // Blocked before any thread starts, so that only the web server's stopper takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);

    QCoreApplication application(argc, argv);
    QCommandLineParser parser;
    for (const char* name : {"connect", "connect-file", "listen", "tls-cert", "tls-key",
                             "password-file", "refresh", "hash-password"}) {
        parser.addOption({name, name, "value"});
    }
    parser.addOption({{"h", "help"}, "show this help"});
    parser.addOption({"version", "show the release"});
    try {
        if (!parser.parse(application.arguments()) || !parser.positionalArguments().isEmpty()) {
            throw UsageError(parser.errorText().isEmpty() ? "unexpected arguments"
                                                          : parser.errorText().toStdString());
        }
        if (parser.isSet("help")) {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (parser.isSet("version")) {
            std::printf("lindhollow-monitor %s\n", LINDHOLLOW_VERSION);
            return 0;
        }
        if (parser.isSet("hash-password")) {
            return HashPassword(parser.value("hash-password"));
        }
        bool ok = true;
        const int refresh = parser.isSet("refresh") ? parser.value("refresh").toInt(&ok) : 3;
        if (!ok || refresh < 1 || refresh > 3600) {
            throw UsageError("--refresh must be a number of seconds from 1 to 3600");
        }
        const WebOptions web = Web(parser);
        const Refresher refresher(ConnectString(parser), std::chrono::seconds(refresh));
        return Serve(web, refresher);
    } catch (const UsageError& error) {
        std::fprintf(stderr, "lindhollow-monitor: %s\n\n%s", error.what(), kUsage);
        return 2;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lindhollow-monitor: %s\n", error.what());
        return 1;
    }
}
