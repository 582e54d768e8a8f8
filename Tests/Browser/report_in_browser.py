#!/usr/bin/env python3
"""The demo's HTML report as a real browser shows it: headless Chromium dumps the DOM, which must
hold a plan per storey, every Arealist in its storey's plan, the palette's marks and building
totals equal to the dump's zones rounded and added up; and a screenshot that is not blank.

Usage: report_in_browser.py dom|screenshot AREALIST_HOST EXAMPLES_DIR
"""
import html.parser
import json
import math
import os
import shutil
import struct
import subprocess
import sys
import tempfile
import zlib

TIMEOUT = 120
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def find_chromium():
    for name in ("chromium", "chromium-browser"):
        path = shutil.which(name)
        if path:
            return path
    return None


def run_chromium(chromium, profile, *args):
    command = [chromium, "--headless", "--no-sandbox", "--disable-gpu", "--hide-scrollbars",
               "--user-data-dir=" + profile, *args]
    done = subprocess.run(command, capture_output=True, timeout=TIMEOUT)
    if done.returncode != 0:
        sys.exit("chromium failed (%d): %s" % (done.returncode, done.stderr.decode(errors="replace")[-2000:]))
    return done.stdout.decode("utf-8")


class ReportDom(html.parser.HTMLParser):
    """What the test reads from the rendered DOM."""

    def __init__(self):
        super().__init__()
        self.lang = None
        self.storeys = []            # data-storey of each plan's svg, in order
        self.arealists = []          # (storey, data-id, data-top, classes)
        self.zones = []              # (storey, data-id, classes)
        self.totals = {}             # building totals: category code or "" for the total -> 4 texts
        self.scripts = 0
        self._storey = None
        self._in_totals = False
        self._row = None
        self._cell = None

    def handle_starttag(self, tag, attrs):
        a = dict(attrs)
        classes = (a.get("class") or "").split()
        if tag == "html":
            self.lang = a.get("lang")
        elif tag == "script":
            self.scripts += 1
        elif tag == "svg" and "plan" in classes:
            self._storey = int(a["data-storey"])
            self.storeys.append(self._storey)
        elif tag == "g" and "arealist" in classes:
            self.arealists.append((self._storey, a.get("data-id"), a.get("data-top"), classes))
        elif tag == "g" and "zone" in classes:
            self.zones.append((self._storey, a.get("data-id"), classes))
        elif tag == "table" and "building-totals" in classes:
            self._in_totals = True
        elif tag == "tr" and self._in_totals:
            key = "" if "total" in classes else a.get("data-category")
            self._row = (key, [])
        elif tag == "td" and self._row is not None and "n" in classes:
            self._cell = []

    def handle_endtag(self, tag):
        if tag == "svg":
            self._storey = None
        elif tag == "td" and self._cell is not None:
            self._row[1].append("".join(self._cell).strip())
            self._cell = None
        elif tag == "tr" and self._row is not None:
            if self._row[1]:  # the heading row has no numbers
                self.totals[self._row[0]] = self._row[1]
            self._row = None
        elif tag == "table":
            self._in_totals = False

    def handle_data(self, data):
        if self._cell is not None:
            self._cell.append(data)


def centi(value):
    """Hundredths as the report rounds them: halves away from zero."""
    scaled = value * 100.0
    return int(math.copysign(math.floor(abs(scaled) + 0.5), scaled))


def format_english(hundredths):
    sign = "-" if hundredths < 0 else ""
    whole, fraction = divmod(abs(hundredths), 100)
    return "%s%s.%02d" % (sign, "{:,}".format(whole), fraction)


def read_png(path):
    """Width, height and rows of RGB(A) bytes of an 8-bit, non-interlaced PNG."""
    with open(path, "rb") as f:
        data = f.read()
    if data[:8] != b"\x89PNG\r\n\x1a\n":
        sys.exit("%s: not a PNG" % path)
    pos, idat, header = 8, b"", None
    while pos < len(data):
        length, kind = struct.unpack(">I4s", data[pos:pos + 8])
        chunk = data[pos + 8:pos + 8 + length]
        if kind == b"IHDR":
            header = struct.unpack(">IIBBBBB", chunk)
        elif kind == b"IDAT":
            idat += chunk
        pos += 12 + length
    width, height, depth, colour, _, _, interlace = header
    if depth != 8 or colour not in (2, 6) or interlace:
        sys.exit("%s: unexpected PNG format (depth %d, colour type %d)" % (path, depth, colour))
    channels = 3 if colour == 2 else 4
    raw = zlib.decompress(idat)
    stride = width * channels
    rows, previous = [], bytearray(stride)
    for y in range(height):
        kind = raw[y * (stride + 1)]
        line = bytearray(raw[y * (stride + 1) + 1:(y + 1) * (stride + 1)])
        for i in range(stride):
            left = line[i - channels] if i >= channels else 0
            up = previous[i]
            corner = previous[i - channels] if i >= channels else 0
            if kind == 1:
                line[i] = (line[i] + left) & 255
            elif kind == 2:
                line[i] = (line[i] + up) & 255
            elif kind == 3:
                line[i] = (line[i] + (left + up) // 2) & 255
            elif kind == 4:
                p = left + up - corner
                pa, pb, pc = abs(p - left), abs(p - up), abs(p - corner)
                line[i] = (line[i] + (left if pa <= pb and pa <= pc else up if pb <= pc else corner)) & 255
        rows.append(bytes(line))
        previous = line
    return width, height, channels, rows


def check_dom(dom, dump, project):
    check(dom.lang == "en", "html lang is %r, expected 'en'" % dom.lang)
    check(dom.scripts == 0, "the report holds %d script elements" % dom.scripts)
    stories = sorted(s["index"] for s in project["stories"])
    check(sorted(dom.storeys) == stories, "plans for storeys %s, expected %s" % (dom.storeys, stories))

    expected = sorted((l["story"], l["id"], l["params"]["al_apartmentId"]) for l in dump["labels"]
                      if l["libPart"] == "Arealist")
    found = sorted((s, i, t) for s, i, t, _ in dom.arealists)
    check(found == expected, "Arealists in the plans %s, expected from the dump %s" % (found, expected))
    check(len(dom.zones) == len(dump["zones"]), "%d zones drawn, %d in the dump" % (len(dom.zones), len(dump["zones"])))

    marked = sorted(i for _, i, c in dom.zones if "inconsistent" in c)
    check(marked == sorted(dump["palette"]["rooms"]),
          "zones marked inconsistent %s, the palette lists %s" % (marked, dump["palette"]["rooms"]))
    wrong = sorted(i for _, i, _, c in dom.arealists if "wrong" in c)
    check(wrong == sorted(dump["palette"]["stamps"]),
          "Arealists marked wrong %s, the palette lists %s" % (wrong, dump["palette"]["stamps"]))
    check(marked and wrong, "the demo should end with marks in the palette")

    codes = {c["index"]: c.get("code", "") for c in project["zoneCategories"]}
    sums = {}
    for zone in dump["zones"]:
        code = codes.get(zone["category"], "")
        for key in (code, ""):
            row = sums.setdefault(key, [0, 0, 0, 0])
            for k in range(4):
                row[k] += centi(zone["quantities"][k])
    for key, row in sums.items():
        shown = dom.totals.get(key)
        want = [format_english(v) for v in row]
        check(shown == want, "building totals %s: shown %s, the dump's zones give %s" % (key or "(all)", shown, want))
    check(set(dom.totals) == set(sums), "building total rows %s, expected %s" % (sorted(dom.totals), sorted(sums)))


def check_screenshot(path):
    width, height, channels, rows = read_png(path)
    check((width, height) == (1400, 2000), "screenshot is %dx%d" % (width, height))
    background = rows[0][:3]
    painted, colours, total = 0, set(), 0
    for y in range(0, height, 2):
        row = rows[y]
        for x in range(0, width, 2):
            pixel = row[x * channels:x * channels + 3]
            total += 1
            if pixel != background:
                painted += 1
            colours.add((pixel[0] >> 4, pixel[1] >> 4, pixel[2] >> 4))
    share = painted / total
    check(share > 0.10, "only %.1f %% of the screenshot differs from the background" % (100 * share))
    check(len(colours) >= 24, "only %d distinct colours in the screenshot" % len(colours))
    return share, len(colours)


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("dom", "screenshot"):
        sys.exit(__doc__)
    mode, host, examples = sys.argv[1:]
    chromium = find_chromium()
    if chromium is None:
        print("chromium is not installed: run scripts/install-deps.sh", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory(prefix="arealist-browser-") as work:
        report, dump, shot = (os.path.join(work, n) for n in ("report.html", "dump.json", "shot.png"))
        done = subprocess.run([host, "run", os.path.join(examples, "building.json"), os.path.join(examples, "demo.txt"),
                               "--prefs", os.path.join(work, "prefs"), "--dump", dump, "--report", report],
                              capture_output=True, timeout=TIMEOUT)
        if done.returncode != 0:
            sys.exit("arealist-host failed (%d): %s" % (done.returncode, done.stderr.decode(errors="replace")))
        with open(report, encoding="utf-8") as f:
            text = f.read()
        check("http:" not in text and "https:" not in text, "the report refers to the network")
        with open(dump, encoding="utf-8") as f:
            state = json.load(f)
        with open(os.path.join(examples, "building.json"), encoding="utf-8") as f:
            project = json.load(f)

        profile = os.path.join(work, "profile")
        if mode == "dom":
            dom = ReportDom()
            dom.feed(run_chromium(chromium, profile, "--dump-dom", "file://" + report))
            check_dom(dom, state, project)
            print("%d storeys, %d zones, %d Arealists in the DOM" % (len(dom.storeys), len(dom.zones),
                                                                      len(dom.arealists)))
        else:
            run_chromium(chromium, profile, "--screenshot=" + shot, "--window-size=1400,2000", "file://" + report)
            share, colours = check_screenshot(shot)
            print("screenshot: %.0f %% painted, %d colours" % (100 * share, colours))

    for failure in failures:
        print("FAILED: " + failure, file=sys.stderr)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
