// Fetches the centre's figures every few seconds and redraws the page without reloading it.
"use strict";

const refreshMilliseconds = 3000;
let paceChart = null;

function text(value) {
  return value === null || value === undefined || value === "" ? "-" : String(value);
}

// "2026-12-07T14:05:00" as "14:05:00", with the date only when it is not today.
function when(value) {
  if (!value) return "-";
  const [date, time] = value.replace("Z", "").split("T");
  const today = new Date();
  const local = today.getFullYear() + "-" + String(today.getMonth() + 1).padStart(2, "0") + "-" +
                String(today.getDate()).padStart(2, "0");
  return date === local ? time.slice(0, 8) : date + " " + time.slice(0, 5);
}

function fillTable(id, rows, cells) {
  const body = document.querySelector("#" + id + " tbody");
  body.replaceChildren(...rows.map((row) => {
    const tr = document.createElement("tr");
    for (const [value, className] of cells(row)) {
      const td = document.createElement("td");
      if (value instanceof Node) td.append(value); else td.textContent = text(value);
      if (className) td.className = className;
      tr.append(td);
    }
    return tr;
  }));
  return body;
}

function stateBadge(station) {
  const badge = document.createElement("span");
  const scanning = station.task === "SCANNING";
  badge.className = "state " + (station.status !== "ONLINE" ? "offline" : scanning ? "scanning" : "online");
  badge.textContent = text(station.status);
  return badge;
}

function showStations(stations) {
  const body = fillTable("stations", stations, (s) => [
    [s.station], [stateBadge(s)], [s.task], [s.operator], [s.openBatch, "number"],
    [when(s.openSince)], [when(s.lastActivity)]]);
  stations.forEach((s, i) => { body.rows[i].dataset.station = s.station; });
  document.getElementById("stations-empty").hidden = stations.length > 0;
}

function showTotals(totals, lostSince) {
  for (const [key, value] of Object.entries(totals)) {
    const figure = document.getElementById("total-" + key);
    if (!figure) continue;
    figure.textContent = Number(value).toLocaleString("en");
    figure.toggleAttribute("data-zero", value === 0);
  }
  document.getElementById("lost-label").textContent = "batches lost since " + when(lostSince);
}

// The batch number opens the list of the batch's images.
function imagesLink(batch) {
  const link = document.createElement("a");
  link.href = "images.html?station=" + batch.station + "&batch=" + batch.batch;
  link.textContent = text(batch.batch);
  return link;
}

// The newest rows only, as the monitor sends them: a busy centre closes hundreds of batches an
// hour.
function showBatches(newestFirst, count) {
  const body = fillTable("batches", newestFirst, (b) => [
    [b.station], [imagesLink(b)], [b.operator], [when(b.started)], [b.ended ? when(b.ended) : "open"],
    [b.images, "number"], [b.ballots, "number"], [b.waitingRepair, "number"],
    [b.discarded, "number"]]);
  newestFirst.forEach((b, i) => { body.rows[i].dataset.batch = b.station + "/" + b.batch; });
  const more = document.getElementById("batches-more");
  more.hidden = count <= newestFirst.length;
  more.textContent = (count - newestFirst.length) + " earlier batches of the last hour: api/batches";
  document.getElementById("batches-empty").hidden = count > 0;
}

function showAnchors(lags, allowance) {
  const summary = document.getElementById("anchors-summary");
  const table = document.getElementById("anchors");
  if (lags === null) {
    summary.textContent = "Nothing to show: this database keeps no audit anchors.";
    table.hidden = true;
    return;
  }
  summary.textContent = lags.length === 0
    ? "Every station's audit log is anchored after its latest batch."
    : "These stations have no anchor within " + allowance + " seconds of their latest batch:";
  table.hidden = lags.length === 0;
  fillTable("anchors", lags, (a) => [[a.station], [a.lastAnchor ? when(a.lastAnchor) + " UTC" : "never"],
                                     [when(a.lastBatchEvent)]]);
}

// The newest full and incremental backups; a notice when one is older than twice its period.
function showBackups(backups) {
  const summary = document.getElementById("backups-summary");
  const table = document.getElementById("backups");
  table.hidden = !backups || backups.length === 0;
  if (backups === null) {
    summary.textContent = "Nothing to show: this database keeps no record of backups.";
    return;
  }
  const late = backups.filter((b) => b.late).map((b) => "the last " + b.kind + " backup");
  summary.textContent = backups.length === 0 ? "No backup has been taken yet."
    : late.length > 0 ? "Late: " + late.join(" and ") + " is older than twice its period."
    : "Every kind of backup is on time.";
  summary.classList.toggle("alert", backups.length === 0 || late.length > 0);
  fillTable("backups", backups, (b) => [[b.kind], [when(b.finished) + " UTC", b.late ? "alert" : ""],
                                        [b.verified ? "yes" : "no"], [b.periodMinutes + " min"], [b.name]]);
}

function showPace(bins) {
  if (typeof Chart === "undefined") return;
  const labels = bins.map((b) => b.from.slice(11, 16));
  const values = bins.map((b) => b.ballots);
  if (!paceChart) {
    paceChart = new Chart(document.getElementById("pace"), {
      type: "bar",
      data: { labels, datasets: [{ label: "Ballots", data: values, backgroundColor: "#1c5fb8" }] },
      options: { animation: false, maintainAspectRatio: false, plugins: { legend: { display: false } },
                 scales: { y: { beginAtZero: true, ticks: { precision: 0 } } } },
    });
  } else {
    paceChart.data.labels = labels;
    paceChart.data.datasets[0].data = values;
    paceChart.update();
  }
}

function showFreshness(stale, message) {
  const notice = document.getElementById("stale-notice");
  notice.hidden = !stale;
  notice.textContent = message;
  document.body.classList.toggle("stale", stale);
}

async function refresh() {
  try {
    const response = await fetch("api/overview", { cache: "no-store" });
    if (!response.ok) throw new Error("status " + response.status);
    const view = await response.json();
    if (view.readAt) {
      showStations(view.stations);
      showTotals(view.totals, view.totals.lostCountedSince);
      showBatches(view.lastHour, view.lastHourCount);
      showAnchors(view.anchorLags, view.anchorAllowanceSeconds);
      showBackups(view.backups);
      showPace(view.pace);
    }
    document.getElementById("updated").textContent =
      view.readAt ? "Figures of " + when(view.readAt) : "No figures read yet";
    showFreshness(view.stale, view.stale
      ? "The centre's database cannot be reached (since " + when(view.downSince) + "). " +
        (view.readAt ? "The figures below are stale: they are those of " + when(view.readAt) + "."
                     : "No figures have been read yet.")
      : "");
  } catch (error) {
    showFreshness(true, "The monitor cannot be reached; the figures below are stale.");
  } finally {
    setTimeout(refresh, refreshMilliseconds);
  }
}

refresh();
