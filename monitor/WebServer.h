#pragma once

#include <QString>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <optional>
#include <string>

#include "PasswordFile.h"
#include "Refresher.h"

namespace httplib {
class Server;
}

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

// The page, its scripts and the endpoints on one address, served by a few threads.
class WebServer {
  public:
    // Bound to its address once made; throws std::runtime_error when the certificate cannot be
    // used or the address cannot be taken. `options` and `refresher` outlive it.
    WebServer(const WebOptions& options, const Refresher& refresher);
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Where it listens, as "http://127.0.0.1:8080/".
    std::string Url() const;
    // Serves until Stop(); false when serving failed.
    bool Listen();
    // From any thread, before or during Listen(); returns once Listen() serves no more.
    void Stop();

  private:
    const bool secure_;
    const std::string address_;
    std::unique_ptr<httplib::Server> server_;
    int port_ = -1;
    std::mutex mutex_;
    std::condition_variable ended_;
    bool listening_ = false;
    bool stopped_ = false;
};

// Serves until SIGTERM or SIGINT; returns the exit status. Prints the address it listens on once
// it does. The calling thread blocks both signals.
int Serve(const WebOptions& options, const Refresher& refresher);
