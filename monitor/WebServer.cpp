#include "WebServer.h"

#include <httplib.h>
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <stdexcept>
#include <thread>

#include "MonitorRoutes.h"

namespace {

std::unique_ptr<httplib::Server> MakeServer(const WebOptions& options) {
    if (options.certificate.isEmpty()) {
        return std::make_unique<httplib::Server>();
    }
    auto secure = std::make_unique<httplib::SSLServer>(qPrintable(options.certificate),
                                                       qPrintable(options.key));
    if (!secure->is_valid()) {
        throw std::runtime_error("cannot use the certificate " + options.certificate.toStdString() +
                                 " with key " + options.key.toStdString());
    }
    return secure;
}

}  // namespace

WebServer::WebServer(const WebOptions& options, const Refresher& refresher)
    : secure_(!options.certificate.isEmpty()),
      address_(options.address.toStdString()),
      server_(MakeServer(options)) {
    // A few supervisors' browsers and a metrics scraper: four threads serve them.
    server_->new_task_queue = [] { return new httplib::ThreadPool(4); };
    AddMonitorRoutes(*server_, options, refresher);
    port_ = options.port == 0 ? server_->bind_to_any_port(address_)
                              : (server_->bind_to_port(address_, options.port) ? options.port : -1);
    if (port_ < 0) {
        throw std::runtime_error("cannot listen on " + address_ + ":" +
                                 std::to_string(options.port));
    }
}

WebServer::~WebServer() {
    Stop();
}

std::string WebServer::Url() const {
    const bool bracketed = address_.find(':') != std::string::npos;
    return std::string(secure_ ? "https" : "http") + "://" + (bracketed ? "[" : "") + address_ +
           (bracketed ? "]" : "") + ":" + std::to_string(port_) + "/";
}

bool WebServer::Listen() {
    {
        std::lock_guard lock(mutex_);
        if (stopped_) {
            return true;
        }
        listening_ = true;
    }
    const bool served = server_->listen_after_bind();
    std::lock_guard lock(mutex_);
    listening_ = false;
    ended_.notify_all();
    return served;
}

void WebServer::Stop() {
    std::unique_lock lock(mutex_);
    stopped_ = true;
    // The server ignores a stop until its loop runs, which it starts a moment after Listen()
    // is called: asked again until Listen() has returned.
    while (listening_) {
        server_->stop();
        ended_.wait_for(lock, std::chrono::milliseconds(20));
    }
}

int Serve(const WebOptions& options, const Refresher& refresher) {
    // SIGTERM (systemd's stop) and SIGINT end the service in order: blocked here, inherited by
    // the stopper, which takes them.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    std::optional<WebServer> server;
    try {
        server.emplace(options, refresher);
    } catch (const std::runtime_error& error) {
        std::fprintf(stderr, "lindhollow-monitor: %s\n", error.what());
        return 1;
    }
    std::thread stopper([&server, stopSignals] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server->Stop();
    });
    std::printf("lindhollow-monitor: listening on %s\n", server->Url().c_str());
    std::fflush(stdout);
    const bool served = server->Listen();
    // Where serving ended by itself the stopper still waits: this wakes it, blocked as it is.
    pthread_kill(stopper.native_handle(), SIGTERM);
    stopper.join();
    return served ? 0 : 1;
}
