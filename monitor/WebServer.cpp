#include "WebServer.h"

#include <httplib.h>
#include <signal.h>

#include <QFile>
#include <cstdio>
#include <memory>
#include <thread>

#include "CentreJson.h"
#include "ImageRoutes.h"
#include "Metrics.h"

namespace {

std::string Resource(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        throw std::runtime_error("cannot read " + path.toStdString());
    }
    return file.readAll().toStdString();
}

void Json(httplib::Response& response, const QByteArray& body, int status = 200) {
    response.status = status;
    response.set_header("Cache-Control", "no-store");
    response.set_content(body.toStdString(), "application/json");
}

void Routes(httplib::Server& server, const WebOptions& options, const Refresher& refresher) {
    const struct {
        const char* path;
        std::string body;
        const char* type;
    } files[] = {
        {"/", Resource(QStringLiteral(":/page/index.html")), "text/html; charset=utf-8"},
        {"/monitor.js", Resource(QStringLiteral(":/page/monitor.js")), "text/javascript"},
        {"/monitor.css", Resource(QStringLiteral(":/page/monitor.css")), "text/css"},
        {"/images.html", Resource(QStringLiteral(":/page/images.html")),
         "text/html; charset=utf-8"},
        {"/images.js", Resource(QStringLiteral(":/page/images.js")), "text/javascript"},
        {"/chart.js", Resource(options.chartJs), "text/javascript"},
    };
    for (const auto& file : files) {
        server.Get(file.path, [body = file.body, type = file.type](const httplib::Request&,
                                                                   httplib::Response& response) {
            response.set_content(body, type);
        });
    }
    server.Get("/api/overview", [&](const httplib::Request&, httplib::Response& response) {
        Json(response, OverviewJson(refresher.Current()));
    });
    server.Get("/api/stations", [&](const httplib::Request&, httplib::Response& response) {
        Json(response, StationsJson(refresher.Current()));
    });
    server.Get("/api/totals", [&](const httplib::Request&, httplib::Response& response) {
        Json(response, TotalsJson(refresher.Current()));
    });
    server.Get("/api/batches", [&](const httplib::Request& request, httplib::Response& response) {
        const CentreView view = refresher.Current();
        QDateTime since =
            request.has_param("since")
                ? QDateTime::fromString(QString::fromStdString(request.get_param_value("since")),
                                        Qt::ISODate)
                : QDateTime::currentDateTime().addSecs(-3600);
        if (!since.isValid()) {
            Json(response, R"({"error":"since must be a date and time, as 2026-12-07T14:00:00"})",
                 400);
            return;
        }
        try {
            Json(response, BatchesJson(view, refresher.BatchesSince(since.toLocalTime())));
        } catch (const std::exception& error) {
            std::fprintf(stderr, "lindhollow-monitor: batches since %s: %s\n",
                         qPrintable(since.toString(Qt::ISODate)), error.what());
            Json(response, R"({"error":"the centre's database cannot be reached"})", 503);
        }
    });
    AddImageRoutes(server, refresher.ConnectString());
    server.Get("/metrics", [&](const httplib::Request&, httplib::Response& response) {
        response.set_content(MetricsText(refresher.Current()).toStdString(),
                             "text/plain; version=0.0.4; charset=utf-8");
    });
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
        // The page takes nothing from outside the centre, and no other site may frame it.
        response.set_header("Content-Security-Policy",
                            "default-src 'self'; frame-ancestors 'none'");
        response.set_header("X-Content-Type-Options", "nosniff");
    });
    if (options.passwords) {
        server.set_pre_routing_handler(
            [&passwords = *options.passwords](const httplib::Request& request,
                                              httplib::Response& response) {
                if (passwords.Accepts(
                        QString::fromStdString(request.get_header_value("Authorization")))) {
                    return httplib::Server::HandlerResponse::Unhandled;
                }
                response.status = 401;
                response.set_header("WWW-Authenticate",
                                    "Basic realm=\"Lindhollow centre monitor\", charset=\"UTF-8\"");
                response.set_content("Sign in to see the counting centre.\n", "text/plain");
                return httplib::Server::HandlerResponse::Handled;
            });
    }
}

}  // namespace

int Serve(const WebOptions& options, const Refresher& refresher) {
    std::unique_ptr<httplib::Server> server;
    if (options.certificate.isEmpty()) {
        server = std::make_unique<httplib::Server>();
    } else {
        auto secure = std::make_unique<httplib::SSLServer>(qPrintable(options.certificate),
                                                           qPrintable(options.key));
        if (!secure->is_valid()) {
            std::fprintf(stderr, "lindhollow-monitor: cannot use the certificate %s with key %s\n",
                         qPrintable(options.certificate), qPrintable(options.key));
            return 1;
        }
        server = std::move(secure);
    }
    // A few supervisors' browsers and a metrics scraper: four threads serve them.
    server->new_task_queue = [] { return new httplib::ThreadPool(4); };
    Routes(*server, options, refresher);
    const std::string address = options.address.toStdString();
    const int port = options.port == 0
                         ? server->bind_to_any_port(address)
                         : (server->bind_to_port(address, options.port) ? options.port : -1);
    if (port < 0) {
        std::fprintf(stderr, "lindhollow-monitor: cannot listen on %s:%d\n", address.c_str(),
                     options.port);
        return 1;
    }
    // SIGTERM (systemd's stop) and SIGINT end the service in order; the stopSignals are blocked in
    // every thread and taken here.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    sigaddset(&stopSignals, SIGINT);
    std::thread stopper([&] {
        int signal = 0;
        sigwait(&stopSignals, &signal);
        server->stop();
    });
    stopper.detach();
    const bool bracketed = address.find(':') != std::string::npos;
    std::printf("lindhollow-monitor: listening on %s://%s%s%s:%d/\n",
                options.certificate.isEmpty() ? "http" : "https", bracketed ? "[" : "",
                address.c_str(), bracketed ? "]" : "", port);
    std::fflush(stdout);
    return server->listen_after_bind() ? 0 : 1;
}
