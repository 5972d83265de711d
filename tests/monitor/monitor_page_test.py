"""The centre monitor's page in Debian's chromium, driven headless through selenium, against a
private MariaDB server on which headless stations scan. Exits with 77 (skipped) where chromium,
its driver or selenium is missing."""

import argparse
import base64
import datetime
import hashlib
import io
import json
import os
import re
import shutil
import signal
import ssl
import subprocess
import sys
import tempfile
import unittest
import urllib.error
import urllib.request

try:
    from PIL import Image
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    from selenium.webdriver.common.by import By
    from selenium.webdriver.support.ui import WebDriverWait
except ImportError:
    webdriver = None
    Image = None

ARGS = None
SKIP = 77


class Centre:
    """The floor helper, the monitor on it and a browser showing the monitor's page."""

    def __init__(self):
        self.floor = subprocess.Popen([ARGS.floor, "2", "3"], stdin=subprocess.PIPE,
                                      stdout=subprocess.PIPE, text=True)
        first = self.floor.stdout.readline().split(" ", 1)
        assert first[0] == "monitor", first
        self.monitor_connect = first[1].strip()
        self.connect_file = tempfile.NamedTemporaryFile("w", suffix=".connect")
        self.connect_file.write(self.monitor_connect + "\n")
        self.connect_file.flush()
        self.monitor = subprocess.Popen(
            [ARGS.monitor, "--connect-file", self.connect_file.name, "--listen", "127.0.0.1:0",
             "--refresh", "1"], stdout=subprocess.PIPE, stderr=subprocess.PIPE, text=True)
        self.url = re.search(r"(http://\S+)", self.monitor.stdout.readline()).group(1)
        self.profile = tempfile.mkdtemp(prefix="monitor-chromium-")
        options = webdriver.ChromeOptions()
        options.binary_location = "/usr/bin/chromium"
        for flag in ["--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + self.profile, "--window-size=1280,1000"]:
            options.add_argument(flag)
        self.browser = webdriver.Chrome(service=Service("/usr/bin/chromedriver"), options=options)
        self.browser.get(self.url)

    def command(self, line):
        self.floor.stdin.write(line + "\n")
        self.floor.stdin.flush()
        return self.floor.stdout.readline().strip()

    def close(self):
        self.browser.quit()
        self.monitor.terminate()
        self.monitor.wait(10)
        self.command("quit")
        self.floor.wait(60)
        shutil.rmtree(self.profile, ignore_errors=True)


class MonitorPage(unittest.TestCase):
    """One centre for all cases; each makes the rows it checks and measures from the totals it
    finds, so that any runs alone and in any order."""

    @classmethod
    def setUpClass(cls):
        cls.centre = Centre()
        cls.page = cls.centre.browser

    @classmethod
    def tearDownClass(cls):
        cls.centre.close()

    def setUp(self):
        if self.page.current_url != self.centre.url:
            self.page.get(self.centre.url)

    def wait_for(self, condition, what, seconds=20):
        WebDriverWait(self.page, seconds, poll_frequency=0.2).until(
            lambda _: condition(), message=what)

    # Read in one script, so that a refresh redrawing the page between two reads of the driver
    # cannot leave it holding elements that are gone.
    def figure(self, name):
        return self.page.execute_script(
            "return document.getElementById('total-' + arguments[0]).innerText", name
        ).replace(",", "")

    def station_cells(self, station):
        return self.page.execute_script(
            "const row = document.querySelector("
            "'#stations tr[data-station=\"' + arguments[0] + '\"]');"
            "return row ? Array.from(row.cells, cell => cell.innerText.trim()) : [];", str(station))

    def get(self, path):
        try:
            with urllib.request.urlopen(self.centre.url + path.lstrip("/"), timeout=10) as reply:
                return reply.status, reply.read().decode()
        except urllib.error.HTTPError as error:
            return error.code, error.read().decode()

    def settled_totals(self):
        """The totals of a reading begun in a later second than this call, so that they hold
        every row an earlier case wrote."""
        called = datetime.datetime.now().strftime("%Y-%m-%dT%H:%M:%S")
        document = {}

        def read_later():
            document.update(json.loads(self.get("/api/totals")[1]))
            return not document["stale"] and document["readAt"] > called
        self.wait_for(read_later, "a reading after the call")
        return document["totals"]

    def test_rows_and_totals_follow_the_batches(self):
        self.wait_for(lambda: self.station_cells(1)[1:4] == ["ONLINE", "STANDING BY", "demo"],
                      "station 1 standing by")
        self.assertEqual(self.station_cells(2)[1:4], ["ONLINE", "STANDING BY", "demo"])
        before = self.settled_totals()
        batches = []
        for station in [1, 2]:
            batches.insert(0, f"{station}/{self.scan(station)}")
            closed = len(batches)
            self.wait_for(lambda: int(self.figure("batchesClosed")) ==
                          before["batchesClosed"] + closed, f"{closed} more batches closed")
            # A header card, three ballots and an ender card per batch.
            self.assertEqual(int(self.figure("ballots")), before["ballots"] + 3 * closed)
            self.assertEqual(int(self.figure("images")), before["images"] + 5 * closed)
        shown = self.page.execute_script(
            "return Array.from(document.querySelectorAll('#batches tbody tr'), "
            "row => row.dataset.batch)")
        self.assertEqual(shown[:len(batches)], batches)
        self.assertIn("anchored after its latest batch",
                      self.page.find_element(By.ID, "anchors-summary").text)

    def test_an_open_batch_then_lost(self):
        before = self.settled_totals()
        # A number the scans of these cases never reach.
        self.assertEqual(self.centre.command("open 2 97"), "ok")
        self.wait_for(lambda: self.station_cells(2)[4] == "97", "station 2 shows batch 97 open")
        self.assertEqual(int(self.figure("batchesOpen")), before["batchesOpen"] + 1)
        self.assertEqual(self.centre.command("lose 2 97"), "ok")
        self.wait_for(lambda: int(self.figure("batchesLost")) == before["batchesLost"] + 1,
                      "one more batch lost")
        self.assertEqual(self.station_cells(2)[4], "-")
        self.assertEqual(int(self.figure("batchesOpen")), before["batchesOpen"])

    def test_stale_while_the_server_is_away(self):
        notice = self.page.find_element(By.ID, "stale-notice")
        before = self.settled_totals()
        self.wait_for(lambda: not notice.is_displayed(), "no stale notice while the server runs")
        self.assertEqual(self.centre.command("kill"), "ok")
        self.wait_for(notice.is_displayed, "the stale notice")
        self.assertIn("cannot be reached", notice.text)
        self.assertEqual(int(self.figure("batchesClosed")), before["batchesClosed"],
                         "the last figures stay")
        self.assertEqual(self.centre.command("restart"), "ok")
        self.wait_for(lambda: not notice.is_displayed(), "the notice gone", seconds=60)
        self.scan(2)
        self.wait_for(lambda: int(self.figure("batchesClosed")) == before["batchesClosed"] + 1,
                      "figures after the outage")

    def test_stale_while_the_server_hangs(self):
        port = re.search(r"PORT=(\d+)", self.centre.monitor_connect).group(1)
        server = int(subprocess.run(["pgrep", "-f", f"mariadbd .*--port={port}( |$)"],
                                    check=True, capture_output=True, text=True).stdout.split()[0])
        notice = self.page.find_element(By.ID, "stale-notice")
        os.kill(server, signal.SIGSTOP)
        try:
            self.wait_for(notice.is_displayed, "the stale notice while readings hang", seconds=40)
        finally:
            os.kill(server, signal.SIGCONT)
        self.wait_for(lambda: not notice.is_displayed(), "the notice gone", seconds=40)

    def test_json_endpoints(self):
        totals = self.settled_totals()
        closed = totals["batchesClosed"]
        cases = [
            ("/api/stations", 200, lambda d: [s["station"] for s in d["stations"]] == [1, 2]),
            # Each batch of the floor: a header card, three ballots and an ender card.
            ("/api/totals", 200, lambda d: (d["totals"]["ballots"], d["totals"]["images"],
                                            d["stale"]) == (3 * closed, 5 * closed, False)),
            ("/api/batches?since=2000-01-01T00:00:00", 200,
             lambda d: len(d["batches"]) == closed + totals["batchesOpen"]),
            ("/api/batches?since=2999-01-01T00:00:00", 200, lambda d: d["batches"] == []),
            ("/api/batches?since=yesterday", 400, lambda d: "since" in d["error"]),
        ]
        for path, status, check in cases:
            with self.subTest(path=path):
                code, body = self.get(path)
                self.assertEqual(code, status)
                self.assertTrue(check(json.loads(body)), body)
        code, metrics = self.get("/metrics")
        self.assertEqual(code, 200)
        for line in ["lindhollow_monitor_database_up 1", f"lindhollow_batches_closed {closed}",
                     f"lindhollow_batches_lost_total {totals['batchesLost']}",
                     'lindhollow_station_up{station="2",'
                     'task="STANDING BY"} 1']:
            self.assertIn(line + "\n", metrics)
        self.assertNotIn(self.centre.monitor_connect.split("PASSWORD=")[1].split(";")[0],
                         metrics + self.page.page_source)

    def test_the_monitors_account_cannot_write(self):
        statements = [
            "INSERT INTO Batches(SystemID, BatchNo) VALUES (9, 9)",
            "UPDATE SystemStatus SET STATUS = 'OFFLINE'",
            "DELETE FROM BallotImages",
            "DELETE FROM ImageFiles",
            "SELECT UserID FROM Users",
            "CREATE TABLE Notes (n INT PRIMARY KEY)",
        ]
        for statement in statements:
            with self.subTest(statement=statement):
                self.assertEqual(self.centre.command("write " + statement), "refused")
        self.assertEqual(self.centre.command("write SELECT COUNT(*) FROM Batches"), "accepted")

    def test_https_with_passwords(self):
        folder = tempfile.mkdtemp(prefix="monitor-tls-")
        self.addCleanup(shutil.rmtree, folder, ignore_errors=True)
        cert, key, passwords = (os.path.join(folder, name) for name in ["c.pem", "k.pem", "pw"])
        subprocess.run(["openssl", "req", "-x509", "-newkey", "rsa:2048", "-nodes", "-days", "1",
                        "-subj", "/CN=127.0.0.1", "-addext", "subjectAltName=IP:127.0.0.1",
                        "-keyout", key, "-out", cert], check=True, capture_output=True)
        line = subprocess.run([ARGS.monitor, "--hash-password", "chief"], input="s3cret:x\n",
                              check=True, capture_output=True, text=True).stdout
        with open(passwords, "w") as file:
            file.write("# supervisors\n" + line)
        secure = subprocess.Popen(
            [ARGS.monitor, "--connect-file", self.centre.connect_file.name, "--listen",
             "127.0.0.1:0", "--tls-cert", cert, "--tls-key", key, "--password-file", passwords],
            stdout=subprocess.PIPE, text=True)
        self.addCleanup(secure.stdout.close)
        self.addCleanup(secure.wait, 10)
        self.addCleanup(secure.terminate)
        url = re.search(r"(https://\S+)", secure.stdout.readline()).group(1)
        context = ssl.create_default_context(cafile=cert)
        for user, password, status in [(None, None, 401), ("chief", "s3cret", 401),
                                       ("chief", "s3cret:y", 401), ("boss", "s3cret:x", 401),
                                       ("chief", "s3cret:x", 200)]:
            with self.subTest(user=user, password=password):
                request = urllib.request.Request(url + "api/totals")
                if user:
                    pair = base64.b64encode(f"{user}:{password}".encode()).decode()
                    request.add_header("Authorization", "Basic " + pair)
                try:
                    with urllib.request.urlopen(request, context=context, timeout=10) as reply:
                        self.assertEqual((reply.status, json.load(reply)["database"]),
                                         (status, "up"))
                except urllib.error.HTTPError as error:
                    self.assertEqual(error.code, status)
                    self.assertIn("Basic", error.headers["WWW-Authenticate"])

    def test_fits_laptop_and_tablet_and_screenshot(self):
        # A batch on the page, whichever cases ran before.
        self.scan(1)
        self.addCleanup(self.page.set_window_size, 1280, 1000)
        for width, height in [(820, 1180), (1366, 768), (1280, 1000)]:
            with self.subTest(width=width):
                self.page.set_window_size(width, height)
                # The chart follows a new width a moment later.
                self.wait_for(lambda: self.page.execute_script(
                    "return document.documentElement.scrollWidth <= window.innerWidth"),
                    f"no sideways scrolling at {width} pixels", seconds=5)
        self.page.refresh()
        self.wait_for(lambda: self.figure("batchesClosed") == str(json.loads(
            self.get("/api/totals")[1])["totals"]["batchesClosed"]), "figures after reload")
        # The whole page in one picture: the window as tall as the page, the browser's own
        # frame added.
        frame = self.page.get_window_size()["height"] - self.page.execute_script(
            "return window.innerHeight")
        full = self.page.execute_script("return document.documentElement.scrollHeight")
        self.page.set_window_size(1280, full + frame)
        os.makedirs(os.path.dirname(ARGS.screenshot), exist_ok=True)
        self.assertTrue(self.page.save_screenshot(ARGS.screenshot))

    def scan(self, station):
        closed = self.centre.command(f"scan {station}").split()
        self.assertEqual(closed[0], "closed")
        return int(closed[1])

    def image_rows(self):
        return self.page.execute_script(
            "return Array.from(document.querySelectorAll('#images tbody tr'), "
            "row => Array.from(row.cells, cell => cell.innerText.trim()))")

    def test_a_batchs_images_open_from_its_row(self):
        batch = self.scan(1)
        kept, count, folder = self.centre.command(f"keep 1 {batch}").split(" ", 2)
        self.assertEqual((kept, count), ("kept", "5"))
        link = f'#batches tr[data-batch="1/{batch}"] a'
        # Found and clicked in one script: the page redraws its rows at every refresh.
        self.wait_for(lambda: self.page.execute_script(
            "const link = document.querySelector(arguments[0]);"
            "if (link) link.click(); return link !== null;", link), "the batch's row")
        self.wait_for(lambda: len(self.image_rows()) == 5, "the batch's five images")
        rows = self.image_rows()
        self.assertEqual([(row[0], row[2], row[4]) for row in rows],
                         [("0", "9 header card", "Open")] +
                         [(str(i), "0 ballot", "Open") for i in range(1, 4)] +
                         [("4", "10 ender card", "Open")])
        sequence, serial, seal = rows[2][0], rows[2][1], rows[2][6]
        with open(os.path.join(folder, serial + ".tif"), "rb") as file:
            stored = file.read()
        self.assertEqual(hashlib.sha256(stored).hexdigest(), seal)
        self.page.find_element(By.CSS_SELECTOR, f'#images tr[data-sequence="{sequence}"] a').click()
        self.wait_for(lambda: len(self.page.window_handles) == 2, "the image's tab")
        listing = self.page.current_window_handle
        self.page.switch_to.window(self.page.window_handles[1])
        self.addCleanup(self.page.switch_to.window, listing)
        self.addCleanup(self.page.close)
        self.wait_for(lambda: self.page.execute_script(
            "return document.contentType === 'image/png' && document.images.length === 1 && "
            "document.images[0].complete && document.images[0].naturalWidth > 0"), "the image shown")
        self.assertTrue(self.page.current_url.endswith(f"/1/{batch}/{sequence}.png"))
        # The PNG that the browser shows, decoded beside the stored TIFF.
        png = Image.open(io.BytesIO(urllib.request.urlopen(self.page.current_url).read()))
        tiff = Image.open(io.BytesIO(stored))
        self.assertEqual((png.format, png.size), ("PNG", tiff.size))
        self.assertEqual(self.page.execute_script("return document.images[0].naturalWidth"),
                         tiff.size[0])
        self.assertEqual(png.convert("L").tobytes(), tiff.convert("L").tobytes())

    def test_look_up_by_station_and_batch(self):
        batch = self.scan(2)
        self.assertEqual(self.centre.command(f"forget 2 {batch}"), "ok")
        form = self.page.find_element(By.CSS_SELECTOR, "main .find-batch")
        form.find_element(By.NAME, "station").send_keys("2")
        form.find_element(By.NAME, "batch").send_keys(str(batch))
        form.submit()
        self.wait_for(lambda: len(self.image_rows()) == 5, "the batch's five images")
        self.assertEqual(self.page.find_element(By.ID, "batch-title").text,
                         f"Station 2, batch {batch}")
        self.assertEqual({row[4] for row in self.image_rows()}, {"not kept at the centre"})
        form = self.page.find_element(By.CSS_SELECTOR, ".find-batch")
        form.find_element(By.NAME, "batch").clear()
        form.find_element(By.NAME, "batch").send_keys("998")
        form.submit()
        note = self.page.find_element(By.ID, "images-note")
        self.wait_for(lambda: "998" in self.page.current_url and note.is_displayed(),
                      "the note on an unknown batch")
        self.assertEqual(note.text, "No images to show: station 2 has no batch 998.")

def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--floor", required=True)
    parser.add_argument("--monitor", required=True)
    parser.add_argument("--screenshot", required=True)
    ARGS, rest = parser.parse_known_args()
    missing = [tool for tool in ["/usr/bin/chromium", "/usr/bin/chromedriver"]
               if not os.path.exists(tool)]
    if webdriver is None or missing:
        print("skipped: needs chromium, chromium-driver, python3-selenium and python3-pil",
              missing or "selenium or PIL", file=sys.stderr)
        return SKIP
    result = unittest.main(argv=[sys.argv[0]] + rest, exit=False, verbosity=2).result
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
