#include "MonitorRoutes.h"

#include <httplib.h>

#include <QFile>
#include <cstdio>

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

// Read once at the start: they are built into the program, Chart.js beside it.
void AddPageFiles(httplib::Server& server, const QString& chartJs) {
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
        {"/chart.js", Resource(chartJs), "text/javascript"},
    };
    for (const auto& file : files) {
        server.Get(file.path, [body = file.body, type = file.type](const httplib::Request&,
                                                                   httplib::Response& response) {
            response.set_content(body, type);
        });
    }
}

// The figures of the last reading, as JSON and as metrics.
void AddFigures(httplib::Server& server, const Refresher& refresher) {
    const struct {
        const char* path;
        QByteArray (*document)(const CentreView&);
    } documents[] = {
        {"/api/overview", OverviewJson},
        {"/api/stations", StationsJson},
        {"/api/totals", TotalsJson},
    };
    for (const auto& document : documents) {
        server.Get(document.path, [&refresher, make = document.document](
                                      const httplib::Request&, httplib::Response& response) {
            Json(response, make(refresher.Current()));
        });
    }
    server.Get("/metrics", [&refresher](const httplib::Request&, httplib::Response& response) {
        response.set_content(MetricsText(refresher.Current()).toStdString(),
                             "text/plain; version=0.0.4; charset=utf-8");
    });
}

// The batches since the hour `since` names (the last hour without it), read on demand.
void AnswerBatches(const httplib::Request& request, httplib::Response& response,
                   const Refresher& refresher) {
    const CentreView view = refresher.Current();
    const QDateTime since =
        request.has_param("since")
            ? QDateTime::fromString(QString::fromStdString(request.get_param_value("since")),
                                    Qt::ISODate)
            : QDateTime::currentDateTime().addSecs(-3600);
    if (!since.isValid()) {
        Json(response, R"({"error":"since must be a date and time, as 2026-12-07T14:00:00"})", 400);
        return;
    }
    try {
        Json(response, BatchesJson(view, refresher.BatchesSince(since.toLocalTime())));
    } catch (const std::exception& error) {
        std::fprintf(stderr, "lindhollow-monitor: batches since %s: %s\n",
                     qPrintable(since.toString(Qt::ISODate)), error.what());
        Json(response, R"({"error":"the centre's database cannot be reached"})", 503);
    }
}

void AddHeaders(httplib::Server& server) {
    server.set_post_routing_handler([](const httplib::Request&, httplib::Response& response) {
        // The page takes nothing from outside the centre, and no other site may frame it.
        response.set_header("Content-Security-Policy",
                            "default-src 'self'; frame-ancestors 'none'");
        response.set_header("X-Content-Type-Options", "nosniff");
    });
}

void RequireSignIn(httplib::Server& server, const PasswordFile& passwords) {
    server.set_pre_routing_handler([&passwords](const httplib::Request& request,
                                                httplib::Response& response) {
        if (passwords.Accepts(QString::fromStdString(request.get_header_value("Authorization")))) {
            return httplib::Server::HandlerResponse::Unhandled;
        }
        response.status = 401;
        response.set_header("WWW-Authenticate",
                            "Basic realm=\"Lindhollow centre monitor\", charset=\"UTF-8\"");
        response.set_content("Sign in to see the counting centre.\n", "text/plain");
        return httplib::Server::HandlerResponse::Handled;
    });
}

}  // namespace

void AddMonitorRoutes(httplib::Server& server, const WebOptions& options,
                      const Refresher& refresher) {
    AddPageFiles(server, options.chartJs);
    AddFigures(server, refresher);
    server.Get("/api/batches",
               [&refresher](const httplib::Request& request, httplib::Response& response) {
                   AnswerBatches(request, response, refresher);
               });
    AddImageRoutes(server, refresher.ConnectString());
    AddHeaders(server);
    if (options.passwords) {
        RequireSignIn(server, *options.passwords);
    }
}
