#!/usr/bin/env python3
"""The report as a real browser shows it.

dom         the demo's report: headless Chromium dumps the DOM, which must hold a plan per storey,
            every Arealist in its storey's plan, the palette's marks and building totals equal to
            the dump's zones rounded and added up
screenshot  the demo's report: a screenshot that is not blank
office      an office storey of about a hundred rooms, 72 m wide, at a 1,000 px window: the smallest
            zone label and Arealist text measured as rendered at 100 % zoom, and the plan scrolling
            inside its frame while the page does not
tower       the 60,000-zone tower: the page's size and the time to its first screenshot
pdf         the demo as PDF (--report OUT.pdf): the contents first, one plan per page, then the
            schedule with its header on every page

Usage: report_in_browser.py dom|screenshot|office|tower|pdf AREALIST_HOST EXAMPLES_DIR
"""
import html
import html.parser
import json
import math
import os
import shutil
import struct
import re
import subprocess
import sys
import tempfile
import time
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
        elif tag == "path" and self._storey is not None and "data-id" in a:
            self.zones.append((self._storey, a.get("data-id"), classes))
        elif tag == "table" and "building-totals" in classes:
            self._in_totals = True
        elif tag == "tr" and self._in_totals:
            key = "" if "total" in classes else a.get("data-category")
            self._row = (key, [])
        elif tag == "td" and self._row is not None:
            self._cell = []

    def handle_endtag(self, tag):
        if tag == "svg":
            self._storey = None
        elif tag == "td" and self._cell is not None:
            self._row[1].append("".join(self._cell).strip())
            self._cell = None
        elif tag == "tr" and self._row is not None:
            if self._row[1]:  # the heading row has no cells; the label cell comes before the numbers
                self.totals[self._row[0]] = self._row[1][-4:]
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


def check_screenshot(path, size):
    width, height, channels, rows = read_png(path)
    check((width, height) == size, "screenshot is %dx%d" % (width, height))
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


def office_storey():
    """One storey of an office as wide as a real three-storey one (72 m): cellular offices along
    both facades, open-plan areas, meeting rooms, two cores with WCs, a cleaner's cupboard and a
    shaft, a corridor in parts; 99 rooms of 16 tenants (the TOPs)."""
    rooms = []

    def room(x, y, w, d, name, top, category=1):
        number = "1.%02d" % (len(rooms) + 1)
        rooms.append({"id": "Z" + number, "story": 0, "layer": 1, "category": category, "number": number,
                      "name": name, "top": top, "quantities": [round(w * d, 2)] * 4 + [0],
                      "pos": [x + w / 2, y + d / 2],
                      "polygon": [[x, y], [x + w, y], [x + w, y + d], [x, y + d]]})

    x = 0.0
    for i in range(26):  # north facade: offices 2.7 m wide
        room(x, 8.0, 2.7, 5.4, "Office", "Tenant %d" % (1 + i // 3))
        x += 2.7
    x = 0.0
    for block in range(2):  # south facade: offices, a meeting room, then a core
        for i in range(9):
            room(x, 0.0, 2.7, 5.4, "Office", "Tenant %d" % (10 + block * 3 + i // 3))
            x += 2.7
        room(x, 0.0, 5.4, 5.4, "Meeting room", "Tenant %d" % (10 + block * 3))
        x += 5.4
        for name, w in (("WC women", 2.0), ("WC men", 2.0), ("Accessible WC", 2.2)):
            room(x, 2.4, w, 3.0, name, "Core", 2)
            x += w
        room(x - 6.2, 0.0, 1.2, 1.4, "Cleaner", "Core", 2)
        room(x - 5.0, 0.0, 1.0, 1.2, "Shaft", None, 3)
        room(x - 4.0, 0.0, 4.0, 2.4, "Stair", None, 3)
    while x < 70.2:
        room(x, 0.0, 2.7, 5.4, "Office", "Tenant 16")
        x += 2.7
    for i in range(6):  # the corridor, in fire compartments
        room(i * 11.7, 5.4, 11.7, 2.6, "Corridor", None, 3)
    while len(rooms) < 99:  # storerooms along the north corridor wall
        i = len(rooms)
        room(1.0 + (i % 20) * 3.5, 13.4, 3.0, 2.0, "Store", "Tenant %d" % (1 + i % 16))
    return {"stories": [{"index": 0, "name": "Office floor"}], "currentStory": 0,
            "layers": [{"index": 1, "name": "Zones"}],
            "zoneCategories": [{"index": 1, "code": "NUF", "name": "Usable"},
                               {"index": 2, "code": "TF", "name": "Technical"},
                               {"index": 3, "code": "VF", "name": "Circulation"}],
            "zones": rooms, "labelTool": {"class": "symbol", "libPart": "Arealist", "layer": 1}}


# Appended to a copy of the report: measures what is shown as the browser renders it, at 100 %
# zoom, and writes the figures into the DOM for --dump-dom to carry out.
MEASURE = """<script>
const shown = (e) => e.closest('details') === null || e.closest('details').open;
const px = (t) => parseFloat(getComputedStyle(t).fontSize) * t.getScreenCTM().a;
const smallest = (selector) => {
  let min = Infinity, text = '';
  for (const t of document.querySelectorAll(selector)) {
    if (!shown(t) || t.textContent.trim() === '') continue;
    const size = px(t);
    if (size < min) { min = size; text = t.textContent; }
  }
  return [min, text];
};
const [label, labelText] = smallest('svg.plan .zone-labels text');
const [table, tableText] = smallest('svg.plan g.arealist text');
const box = document.querySelector('svg.plan .zone-labels text').getBoundingClientRect();
const frame = document.querySelector('.plan-frame');
document.body.setAttribute('data-measured', JSON.stringify({
  label, labelText, table, tableText, labelBoxHeight: box.height,
  labels: document.querySelectorAll('svg.plan .zone-labels text').length,
  frameScroll: frame.scrollWidth, frameWidth: frame.clientWidth,
  pageWidth: document.documentElement.scrollWidth, window: innerWidth,
  scale: document.querySelector('svg.plan').getAttribute('data-scale')}));
</script>"""


def run_host(args, what):
    done = subprocess.run(args, capture_output=True, timeout=TIMEOUT)
    if done.returncode != 0:
        sys.exit("arealist-host %s failed (%d): %s" % (what, done.returncode, done.stderr.decode(errors="replace")))
    return done


def check_office(chromium, host, work):
    project, report = os.path.join(work, "office.json"), os.path.join(work, "office.html")
    with open(project, "w", encoding="utf-8") as f:
        json.dump(office_storey(), f)
    run_host([host, "areas", project, "--prefs", os.path.join(work, "prefs"), "--report", report], "areas")
    with open(report, encoding="utf-8") as f:
        page = f.read()
    measured_page = os.path.join(work, "measured.html")
    with open(measured_page, "w", encoding="utf-8") as f:
        f.write(page.replace("</body>", MEASURE + "</body>"))
    dom = run_chromium(chromium, os.path.join(work, "profile"), "--window-size=1000,1000", "--dump-dom",
                       "file://" + measured_page)
    found = re.search(r'data-measured="([^"]*)"', dom)
    if not check(found is not None, "the measuring script wrote nothing"):
        return
    figures = json.loads(html.unescape(found.group(1)))
    zones = len(office_storey()["zones"])
    check(figures["labels"] >= zones - 3, "only %d of %d zones are labelled" % (figures["labels"], zones))
    check(figures["label"] >= 9.0, "the smallest zone label (%r) is %.1f px" % (figures["labelText"], figures["label"]))
    check(figures["labelBoxHeight"] >= 9.0, "a label's box is %.1f px high" % figures["labelBoxHeight"])
    check(figures["table"] >= 9.0, "the smallest Arealist text (%r) is %.1f px" % (figures["tableText"], figures["table"]))
    check(figures["frameScroll"] > figures["frameWidth"], "the plan does not scroll inside its frame: %d of %d px"
          % (figures["frameScroll"], figures["frameWidth"]))
    check(figures["pageWidth"] <= figures["window"], "the page is %d px wide in a %d px window"
          % (figures["pageWidth"], figures["window"]))
    print("office: 1:%s, smallest label %.1f px (%r), smallest Arealist text %.1f px, plan %d px in a %d px frame"
          % (figures["scale"], figures["label"], figures["labelText"], figures["table"], figures["frameScroll"],
             figures["frameWidth"]))


# The tower's targets: the page's size, and the time headless Chromium takes to its first screenshot
# (with headroom for a busy machine, measured as CI runs it).
TOWER_BYTES, TOWER_SECONDS = 25 * 1000 * 1000, 5.0


def check_tower(chromium, host, work):
    project, report = os.path.join(work, "tower.json"), os.path.join(work, "tower.html")
    run_host([host, "generate", project], "generate")
    run_host([host, "areas", project, "--prefs", os.path.join(work, "prefs"), "--report", report], "areas")
    size = os.path.getsize(report)
    shot = os.path.join(work, "tower.png")
    # What starting Chromium alone costs on this machine, for reading the figure below.
    empty = os.path.join(work, "empty.html")
    with open(empty, "w", encoding="utf-8") as f:
        f.write("<!DOCTYPE html><title>empty</title>")
    start = time.monotonic()
    run_chromium(chromium, os.path.join(work, "profile"), "--screenshot=" + shot, "file://" + empty)
    startup = time.monotonic() - start
    start = time.monotonic()
    run_chromium(chromium, os.path.join(work, "profile"), "--screenshot=" + shot, "--window-size=1400,2000",
                 "file://" + report)
    seconds = time.monotonic() - start
    check(size <= TOWER_BYTES, "the tower's report is %.1f MB, at most %.0f MB expected" % (size / 1e6, TOWER_BYTES / 1e6))
    check(seconds <= TOWER_SECONDS, "the first screenshot took %.1f s, at most %.0f s expected" % (seconds, TOWER_SECONDS))
    check_screenshot(shot, (1400, 2000))
    print("tower: %.1f MB, first screenshot in %.1f s (an empty page's: %.1f s)" % (size / 1e6, seconds, startup))


def pdf_pages(path):
    info = subprocess.run(["pdfinfo", "-l", "1000", path], capture_output=True, text=True, check=True).stdout
    sizes = [tuple(float(v) for v in m) for m in re.findall(r"Page\s+\d+ size:\s+([\d.]+) x ([\d.]+)", info)]
    texts = [subprocess.run(["pdftotext", "-f", str(i), "-l", str(i), "-layout", path, "-"], capture_output=True,
                            text=True, check=True).stdout for i in range(1, len(sizes) + 1)]
    return sizes, texts


def check_pdf(host, examples, work):
    if shutil.which("pdfinfo") is None:
        sys.exit("pdfinfo is not installed (poppler-utils): run scripts/install-deps.sh")
    pdf = os.path.join(work, "report.pdf")
    run_host([host, "run", os.path.join(examples, "building.json"), os.path.join(examples, "demo.txt"),
              "--prefs", os.path.join(work, "prefs"), "--report", pdf], "run")
    with open(pdf, "rb") as f:
        check(f.read(5) == b"%PDF-", "the report is no PDF")
    with open(os.path.join(examples, "building.json"), encoding="utf-8") as f:
        stories = sorted(s["index"] for s in json.load(f)["stories"])
    sizes, texts = pdf_pages(pdf)
    # A plan's page carries its heading "Storey N · ...", which no other page has.
    plan_pages = []
    for index in stories:
        pages = [i for i, t in enumerate(texts) if re.search(r"Storey %d · " % index, t)]
        check(len(pages) == 1, "storey %d's plan is on pages %s" % (index, [p + 1 for p in pages]))
        plan_pages += pages[:1]
    check(plan_pages == sorted(set(plan_pages)), "plans share pages or are out of order: %s" % plan_pages)
    check(plan_pages and plan_pages[0] > 0, "the first page should hold the contents, not a plan")
    for page in plan_pages:
        width, height = sizes[page]
        check(width > height, "plan page %d is not landscape (%.0f x %.0f pt)" % (page + 1, width, height))
    schedule = [i for i, t in enumerate(texts) if "Area schedule" in t and "Areas in m" in t]
    check(len(schedule) == 1 and schedule[0] > max(plan_pages or [0]),
          "the schedule starts on pages %s, after the plans on %s" % (schedule, plan_pages))
    rest = range(schedule[0] + 1, len(texts)) if schedule else range(0)
    for page in rest:
        # The rooms' header, or the building totals' one where only they go on.
        check(re.search(r"^\s*(Storey\s+No\.\s+Name\s+)?Category\s+Area 1", texts[page], re.M) is not None,
              "schedule page %d does not repeat the table's header" % (page + 1))
    check(re.search(r"Building total\s+[\d,.]+", texts[-1]) is not None, "the building's total is not on the last page")
    print("pdf: %d pages, plans on pages %s, the schedule from page %d" % (len(texts), [p + 1 for p in plan_pages],
                                                                            (schedule or [-1])[0] + 1))


def main():
    if len(sys.argv) != 4 or sys.argv[1] not in ("dom", "screenshot", "office", "tower", "pdf"):
        sys.exit(__doc__)
    mode, host, examples = sys.argv[1:]
    chromium = find_chromium()
    if chromium is None:
        print("chromium is not installed: run scripts/install-deps.sh", file=sys.stderr)
        return 1
    with tempfile.TemporaryDirectory(prefix="arealist-browser-") as work:
        if mode == "office":
            check_office(chromium, host, work)
        elif mode == "tower":
            check_tower(chromium, host, work)
        elif mode == "pdf":
            check_pdf(host, examples, work)
        else:
            check_demo(chromium, mode, host, examples, work)
    for failure in failures:
        print("FAILED: " + failure, file=sys.stderr)
    return 1 if failures else 0


def check_demo(chromium, mode, host, examples, work):
    report, dump, shot = (os.path.join(work, n) for n in ("report.html", "dump.json", "shot.png"))
    run_host([host, "run", os.path.join(examples, "building.json"), os.path.join(examples, "demo.txt"),
              "--prefs", os.path.join(work, "prefs"), "--dump", dump, "--report", report], "run")
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
        print("%d storeys, %d zones, %d Arealists in the DOM" % (len(dom.storeys), len(dom.zones), len(dom.arealists)))
    else:
        run_chromium(chromium, profile, "--screenshot=" + shot, "--window-size=1400,2000", "file://" + report)
        share, colours = check_screenshot(shot, (1400, 2000))
        print("screenshot: %.0f %% painted, %d colours" % (100 * share, colours))


if __name__ == "__main__":
    sys.exit(main())
