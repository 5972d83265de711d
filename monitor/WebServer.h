#pragma once

#include <QString>
#include <optional>

#include "PasswordFile.h"
#include "Refresher.h"

struct WebOptions {
    QString address = QStringLiteral("127.0.0.1");
    int port = 8080;  // 0: any free port
    // Both or neither: HTTPS with the centre's certificate and its key.
    QString certificate;
    QString key;
    std::optional<PasswordFile> passwords;
    // Chart.js as Debian installs it, served by the monitor itself.
    QString chartJs;
};

// Serves the page, its scripts and the endpoints until SIGTERM or SIGINT; returns the exit status.
// Prints the address it listens on once it does.
int Serve(const WebOptions& options, const Refresher& refresher);
