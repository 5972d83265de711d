#include "Metrics.h"

#include <QString>

namespace {

class Exposition {
  public:
    void Family(const char* name, const char* type, const char* help) {
        name_ = name;
        text_ += QStringLiteral("# HELP %1 %2\n# TYPE %1 %3\n").arg(name_, help, type);
    }
    void Sample(double value, const QString& labels = {}) {
        text_ += name_ + (labels.isEmpty() ? QString() : u'{' + labels + u'}') + u' ' +
                 QString::number(value, 'g', 15) + u'\n';
    }
    QByteArray Text() const { return text_.toUtf8(); }

  private:
    QString name_;
    QString text_;
};

// A label value, escaped as the format requires.
QString Label(const char* name, QString value) {
    value.replace(u'\\', QStringLiteral("\\\\")).replace(u'"', QStringLiteral("\\\""));
    value.replace(u'\n', QStringLiteral("\\n"));
    return QStringLiteral("%1=\"%2\"").arg(QLatin1String(name), value);
}

}  // namespace

QByteArray MetricsText(const CentreView& view) {
    Exposition out;
    out.Family("lindhollow_monitor_database_up", "gauge",
               "Whether the last reading of the centre's database succeeded.");
    out.Sample(view.databaseUp ? 1 : 0);
    out.Family("lindhollow_monitor_refreshes_total", "counter", "Readings of the database.");
    out.Sample(double(view.refreshes));
    out.Family("lindhollow_monitor_refresh_failures_total", "counter", "Readings that failed.");
    out.Sample(double(view.failedRefreshes));
    out.Family("lindhollow_monitor_refresh_seconds", "gauge",
               "How long the last successful reading took.");
    out.Sample(double(view.refreshMilliseconds) / 1000.0);
    if (!view.snapshot) {
        return out.Text();
    }
    const CentreSnapshot& snapshot = *view.snapshot;
    out.Family("lindhollow_monitor_last_read_timestamp_seconds", "gauge",
               "When the figures were read, in seconds since 1970.");
    out.Sample(double(snapshot.readAt.toSecsSinceEpoch()));
    out.Family("lindhollow_station_up", "gauge",
               "1 for a station whose status row reads ONLINE, labelled with its task.");
    for (const StationRow& station : snapshot.stations) {
        out.Sample(station.status == u"ONLINE" ? 1 : 0,
                   Label("station", QString::number(station.systemId)) + u',' +
                       Label("task", station.currentTask));
    }
    const CentreTotals& totals = snapshot.totals;
    const struct {
        const char* name;
        const char* type;
        const char* help;
        qint64 value;
    } figures[] = {
        {"lindhollow_batches_closed", "gauge", "Closed batches in the database.",
         totals.batchesClosed},
        {"lindhollow_batches_open", "gauge", "Open batches in the database.", totals.batchesOpen},
        {"lindhollow_batches_lost_total", "counter",
         "Batches deleted before they were closed, since the monitor started.", totals.batchesLost},
        {"lindhollow_images_stored", "gauge", "Images of the closed batches.", totals.images},
        {"lindhollow_ballots_stored", "gauge", "Ballots of the closed batches.", totals.ballots},
        {"lindhollow_images_waiting_repair", "gauge", "Image rows waiting for repair.",
         totals.waitingRepair},
        {"lindhollow_images_discarded", "gauge", "Image rows discarded.", totals.discarded},
    };
    for (const auto& figure : figures) {
        out.Family(figure.name, figure.type, figure.help);
        out.Sample(double(figure.value));
    }
    return out.Text();
}
