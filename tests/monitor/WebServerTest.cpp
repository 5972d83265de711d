// The web server's life: made, serving, stopped and destroyed again and again, stopped at once
// or by a signal. Under the sanitizers a thread left behind with the server shows up here.

#include <gtest/gtest.h>
#include <httplib.h>
#include <signal.h>

#include <thread>

#include "WebServer.h"

namespace {

TEST(WebServer, ServesStopsAndGoesAwayManyTimes) {
    const Refresher refresher(QStringLiteral("Driver=none"), std::chrono::hours(1));
    WebOptions options;
    options.port = 0;
    options.chartJs = QStringLiteral(LINDHOLLOW_CHART_JS);
    const struct {
        const char* path;
        int status;  // 0: stopped before any request
    } rows[] = {{"/api/totals", 200}, {"/api/batches?since=yesterday", 400}, {"/", 0}};
    for (int round = 0; round < 10; ++round) {
        for (const auto& row : rows) {
            WebServer server(options, refresher);
            std::thread listening([&server] { EXPECT_TRUE(server.Listen()); });
            if (row.status != 0) {
                const std::string url = server.Url();
                const auto reply = httplib::Client(url.substr(0, url.size() - 1)).Get(row.path);
                EXPECT_EQ(reply ? reply->status : -1, row.status) << row.path;
            }
            server.Stop();
            listening.join();
        }
    }
}

TEST(WebServer, SigtermEndsServing) {
    // Blocked before any other thread starts, as the program does, so that the server takes it.
    sigset_t stopSignals, before;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, &before);
    {
        const Refresher refresher(QStringLiteral("Driver=none"), std::chrono::hours(1));
        WebOptions options;
        options.port = 0;
        options.chartJs = QStringLiteral(LINDHOLLOW_CHART_JS);
        for (int round = 0; round < 5; ++round) {
            int status = -1;
            std::thread serving([&] { status = Serve(options, refresher); });
            kill(getpid(), SIGTERM);
            serving.join();
            EXPECT_EQ(status, 0);
        }
    }
    pthread_sigmask(SIG_SETMASK, &before, nullptr);
}

}  // namespace
