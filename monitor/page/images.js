// Lists a batch's images, as the centre keeps them, with a link that opens each one as PNG.
"use strict";

// The statuses that batch storage gives an image.
const statusNames = { 0: "ballot", 1: "waiting for repair", 2: "discarded", 9: "header card",
                      10: "ender card", 100: "header card among ballots",
                      110: "ender card among ballots" };

function cell(content, className) {
  const td = document.createElement("td");
  if (content instanceof Node) td.append(content);
  else td.textContent = content === null || content === undefined ? "-" : String(content);
  if (className) td.className = className;
  return td;
}

function imageLink(station, batch, image) {
  if (!image.atCentre) return "not kept at the centre";
  const link = document.createElement("a");
  link.href = "api/images/" + station + "/" + batch + "/" + image.sequence + ".png";
  link.target = "_blank";
  link.rel = "noopener";
  link.textContent = "Open";
  return link;
}

function showImages(list) {
  const rows = list.images.map((image) => {
    const tr = document.createElement("tr");
    const status = image.status === null ? null
      : image.status + (statusNames[image.status] ? " " + statusNames[image.status] : "");
    tr.append(cell(image.sequence, "number"), cell(image.serial, "number"), cell(status),
              cell(image.error, "number"), cell(imageLink(list.station, list.batch, image)),
              cell(image.size === null ? null : image.size.toLocaleString("en"), "number"),
              cell(image.sha256, "seal"));
    tr.dataset.sequence = image.sequence;
    return tr;
  });
  document.querySelector("#images tbody").replaceChildren(...rows);
  document.getElementById("images").hidden = rows.length === 0;
  const note = document.getElementById("images-note");
  note.hidden = rows.length > 0 && list.centreKeepsFiles;
  note.textContent = rows.length === 0 ? "The batch has no stored images yet."
    : "The monitor cannot read the image files at the centre: an older database, or an " +
      "account made before them (lindhollow-admin add-monitor --replace).";
}

async function load() {
  const query = new URLSearchParams(window.location.search);
  const station = query.get("station");
  const batch = query.get("batch");
  if (station === null || batch === null) return;
  const form = document.querySelector(".find-batch");
  form.elements.station.value = station;
  form.elements.batch.value = batch;
  const title = document.getElementById("batch-title");
  title.textContent = "Station " + station + ", batch " + batch;
  const note = document.getElementById("images-note");
  try {
    const response = await fetch("api/batches/" + encodeURIComponent(station) + "/" +
                                 encodeURIComponent(batch) + "/images", { cache: "no-store" });
    const list = await response.json();
    if (!response.ok) throw new Error(list.error);
    showImages(list);
  } catch (error) {
    note.hidden = false;
    note.textContent = "No images to show: " + error.message + ".";
  }
}

load();
