#!/usr/bin/env python3
"""Start-up of the browser against the floor (a bare Qt WebEngine program), interleaved.

Serves a local page from 127.0.0.1 (about 50 KB of Chinese and English text, a style
sheet, a few PNG images and a script that calls back to the server on the window's load
event). Each round starts every program in a fresh folder with a fresh HOME and
XDG_RUNTIME_DIR ("first start"), then once more in the same folder and HOME ("second
start", its files present), alternating the programs in an order drawn per round, and
measures for each start:

  start-up    time.monotonic() just before the process is started to the arrival of the
              page's load callback at the server
  request     start to the arrival of the request for the page itself
  nav->load   performance.now() at the load event: the engine's navigation start to load
  CPU to load user + system CPU time of the whole tree from start to the load callback, and
              of the first process's main thread alone: the work, which a busy machine
              changes far less than it changes the times
  PSS         proportional set size of the whole process tree, settle seconds after the load,
              and of the first process (the browser process) alone; and the tree's PSS of
              dirty pages (heap, relocated library data, shared memory), which unlike the
              clean library pages does not shrink when other programs map the same libraries
  idle CPU    time on the CPU of every thread of the tree during those settle seconds

Prints medians and the ratios of each program to the floor (the median of the per-round
ratios, so that both sides of a ratio ran under the same load). Runs under an X server
(xvfb-run) and starts openbox itself; run it where only loopback is up (unshare -n).
Python standard library only.
"""

import argparse
import http.server
import json
import os
import random
import re
import shutil
import signal
import statistics
import struct
import subprocess
import sys
import tempfile
import threading
import time
import urllib.parse
import zlib

ROOT = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", ".."))
SETTINGS = "浏览器.ini"
CLOCK_TICK = os.sysconf("SC_CLK_TCK")

# ---------------------------------------------------------------------------------------
# The page


def png(width, height, seed):
    """A small RGB picture: gradients and stripes, so that it neither compresses to nothing
    nor weighs much."""
    rows = bytearray()
    for y in range(height):
        rows.append(0)  # filter: none
        for x in range(width):
            stripe = 40 if ((x + y * seed) // 9) % 2 else 0
            rows += bytes(((x * 255 // width + seed * 37) % 256,
                           (y * 255 // height + stripe) % 256,
                           ((x ^ y) * seed + 90) % 256))

    def chunk(kind, data):
        return struct.pack(">I", len(data)) + kind + data + struct.pack(">I", zlib.crc32(kind + data) & 0xFFFFFFFF)

    header = struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0)
    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", header) + chunk(b"IDAT", zlib.compress(bytes(rows), 9))
            + chunk(b"IEND", b""))


CHINESE = [
    "今天的天气很好，我们一起去公园散步，看看湖边新开的花。",
    "这个城市的交通越来越方便，地铁已经通到了郊区的每一个镇子。",
    "学习一门新的语言需要耐心，每天坚持读一点书，写一点字。",
    "他在图书馆里找到了一本很旧的地图，上面画着早已消失的街道。",
    "网络让远方的朋友变得很近，也让身边的人有时显得很远。",
    "秋天的时候，山上的树叶变成红色和黄色，游客从各地赶来。",
    "新闻报道说，明年的春节假期会比往年多出两天。",
    "老师提醒大家，考试之前一定要好好休息，不要熬夜。",
]
ENGLISH = [
    "The quick brown fox jumps over the lazy dog while the city wakes up.",
    "Local markets open early, and the smell of fresh bread fills the narrow streets.",
    "Researchers published a new report on energy use in large office buildings.",
    "A short walk along the river is the best way to see the old bridges.",
    "The library extended its opening hours for students during the exam season.",
    "Engineers tested the new trains on the line for three weeks before opening.",
]


def page_html(images, size=50_000):
    """About size bytes of UTF-8 HTML: headings, paragraphs in both languages, a list, a
    table and the images spread between them."""
    rng = random.Random(7)
    parts = ["<!DOCTYPE html><html lang=\"zh-CN\"><head><meta charset=\"utf-8\">",
             "<title>本地测试页面 Local test page</title>",
             "<link rel=\"stylesheet\" href=\"/style.css\"><script src=\"/app.js\" defer></script>",
             "</head><body><header><h1>每日新闻 Daily News</h1><nav>",
             " | ".join(f"<a href=\"/section/{n}\">栏目 {n}</a>" for n in range(1, 9)),
             "</nav></header><main>"]
    section = 0
    while sum(len(p.encode()) for p in parts) < size - 2000:
        section += 1
        parts.append(f"<section><h2>第{section}部分 Section {section}</h2>")
        if section <= images:
            parts.append(f"<img src=\"/img/{section}.png\" alt=\"图片 {section}\">")
        for _ in range(4):
            sentences = [rng.choice(CHINESE) if rng.random() < 0.6 else rng.choice(ENGLISH) for _ in range(6)]
            parts.append("<p>" + " ".join(sentences) + "</p>")
        if section % 3 == 0:
            parts.append("<ul>" + "".join(f"<li>{rng.choice(CHINESE)}</li>" for _ in range(5)) + "</ul>")
        if section % 4 == 0:
            rows = "".join(f"<tr><td>{i}</td><td>{rng.choice(ENGLISH)}</td><td>{rng.choice(CHINESE)}</td></tr>"
                           for i in range(6))
            parts.append(f"<table><tr><th>编号</th><th>English</th><th>中文</th></tr>{rows}</table>")
        parts.append("</section>")
    parts.append("</main><footer>版权所有 Copyright</footer></body></html>")
    return "".join(parts).encode()


STYLE = b"""body{font-family:sans-serif;margin:0 auto;max-width:960px;line-height:1.6;color:#222}
header{background:#2b4a6f;color:#fff;padding:8px 16px}nav a{color:#dde}h2{border-bottom:1px solid #ccc}
img{float:right;margin:0 0 8px 12px}table{border-collapse:collapse}td,th{border:1px solid #aaa;padding:2px 6px}
"""

# The callback: when the window's load event has fired, tell the server which page loaded
# and how long after navigation start.
SCRIPT = b"""window.addEventListener('load', function () {
  fetch('/loaded?page=' + encodeURIComponent(location.pathname) + '&t=' + performance.now());
});
"""


class Site:
    """The local server: the page under /page/<token>, its parts, and the callback. Every
    request's arrival is recorded with time.monotonic()."""

    def __init__(self, images=4):
        self.images = {f"/img/{n}.png": png(240 + 40 * n, 160, n) for n in range(1, images + 1)}
        self.html = page_html(images)
        self.lock = threading.Lock()
        self.arrivals = []  # (monotonic time, path, query)
        site = self

        class Handler(http.server.BaseHTTPRequestHandler):
            protocol_version = "HTTP/1.1"

            def do_GET(self):
                now = time.monotonic()
                url = urllib.parse.urlsplit(self.path)
                with site.lock:
                    site.arrivals.append((now, url.path, urllib.parse.parse_qs(url.query)))
                if url.path.startswith("/page/"):
                    self.reply(200, "text/html; charset=utf-8", site.html, cache=False)
                elif url.path == "/style.css":
                    self.reply(200, "text/css", STYLE)
                elif url.path == "/app.js":
                    self.reply(200, "text/javascript", SCRIPT)
                elif url.path in site.images:
                    self.reply(200, "image/png", site.images[url.path])
                elif url.path == "/loaded":
                    self.reply(204, None, b"", cache=False)
                else:
                    self.reply(404, "text/plain", b"not here", cache=False)

            def reply(self, code, kind, body, cache=True):
                self.send_response(code)
                if kind:
                    self.send_header("Content-Type", kind)
                self.send_header("Content-Length", str(len(body)))
                self.send_header("Cache-Control", "max-age=3600" if cache else "no-store")
                self.end_headers()
                self.wfile.write(body)

            def log_message(self, *args):
                pass

        class Server(http.server.ThreadingHTTPServer):
            daemon_threads = True

            def handle_error(self, request, client_address):
                pass  # a program ended while its connection was open: nothing to report

        self.server = Server(("127.0.0.1", 0), Handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        self.base = f"http://127.0.0.1:{self.server.server_address[1]}"

    def url(self, token):
        return f"{self.base}/page/{token}"

    def first(self, predicate):
        with self.lock:
            for arrival in self.arrivals:
                if predicate(*arrival):
                    return arrival
        return None

    def close(self):
        self.server.shutdown()
        self.server.server_close()


# ---------------------------------------------------------------------------------------
# Process trees


def proc_stat(pid):
    """(state, ppid, session, utime + stime in ticks) of one process, or None once gone."""
    try:
        with open(f"/proc/{pid}/stat", "rb") as f:
            data = f.read()
    except OSError:
        return None
    fields = data[data.rindex(b")") + 2:].split()
    return fields[0].decode(), int(fields[1]), int(fields[3]), int(fields[11]) + int(fields[12])


def all_stats():
    stats = {}
    for name in os.listdir("/proc"):
        if name.isdigit():
            s = proc_stat(int(name))
            if s:
                stats[int(name)] = s
    return stats


def tree(root):
    """The root and all its descendants (by parent), together with every process still in
    the root's session (a child whose parent went away is reparented but keeps the session);
    zombies left out."""
    stats = all_stats()
    children = {}
    for pid, (_, ppid, _, _) in stats.items():
        children.setdefault(ppid, []).append(pid)
    members, todo = set(), [root]
    while todo:
        pid = todo.pop()
        if pid in stats and pid not in members:
            members.add(pid)
            todo += children.get(pid, [])
    members |= {pid for pid, (_, _, session, _) in stats.items() if session == root}
    return {pid: stats[pid] for pid in members if pid in stats and stats[pid][0] != "Z"}


def memory_kb(pids, fields=("Pss",)):
    """The sum of the given smaps_rollup fields over the processes, in kB."""
    total = 0
    for pid in pids:
        try:
            with open(f"/proc/{pid}/smaps_rollup") as f:
                for line in f:
                    name, _, rest = line.partition(":")
                    if name in fields:
                        total += int(rest.split()[0])
        except OSError:
            pass
    return total


def cpu_ticks(members):
    return {pid: s[3] for pid, s in members.items()}


def run_time_ns(members):
    """Time on the CPU of every thread of the processes, in nanoseconds (schedstat), keyed
    by (process, thread): finer than the clock ticks of stat, which matters for the few tens
    of milliseconds an idle program uses."""
    times = {}
    for pid in members:
        try:
            threads = os.listdir(f"/proc/{pid}/task")
        except OSError:
            continue
        for tid in threads:
            try:
                with open(f"/proc/{pid}/task/{tid}/schedstat") as f:
                    times[(pid, tid)] = int(f.read().split()[0])
            except (OSError, ValueError, IndexError):
                pass
    return times


def end_tree(process, grace=3.0):
    """SIGTERM to the process group, then SIGKILL to the group and to whatever is left of
    the session."""
    root = process.pid
    try:
        os.killpg(root, signal.SIGTERM)
    except ProcessLookupError:
        pass
    deadline = time.monotonic() + grace
    while time.monotonic() < deadline and (process.poll() is None or tree(root)):
        time.sleep(0.05)
    for _ in range(50):
        left = tree(root)
        if process.poll() is not None and not left:
            break
        for pid in [root, *left]:
            try:
                os.killpg(pid, signal.SIGKILL) if pid == root else os.kill(pid, signal.SIGKILL)
            except (ProcessLookupError, PermissionError):
                pass
        time.sleep(0.05)
    try:
        process.wait(timeout=5)
    except subprocess.TimeoutExpired:
        pass


# ---------------------------------------------------------------------------------------
# Programs and starts


class Program:
    """One program to start: ours reads its home page from the settings file beside it, the
    floor takes the address as its argument."""

    def __init__(self, label, exe, reads_settings):
        self.label = label
        self.exe = os.path.abspath(exe)
        self.reads_settings = reads_settings
        self.name = os.path.basename(self.exe)

    def prepare(self, folder, url):
        os.makedirs(folder, exist_ok=True)
        target = os.path.join(folder, self.name)
        if not os.path.exists(target):
            shutil.copy2(self.exe, target)
        if self.reads_settings:
            self.set_home_page(os.path.join(folder, SETTINGS), url)
        return [target] if self.reads_settings else [target, url]

    @staticmethod
    def set_home_page(path, url):
        """A fresh file holds only the home page; at a later start only the "zy" line is
        replaced, so whatever the program wrote there itself stays."""
        line = b"zy=" + url.encode("gb18030")
        try:
            with open(path, "rb") as f:
                data = f.read()
        except FileNotFoundError:
            data = None
        if data is None or not re.search(rb"(?im)^zy=", data):
            data = b"[SZ]\r\n" + line + b"\r\n"
        else:
            data = re.sub(rb"(?im)^zy=[^\r\n]*", lambda _: line, data, count=1)
        with open(path, "wb") as f:
            f.write(data)


class Sandbox:
    """A program folder, a HOME and a private XDG_RUNTIME_DIR, kept for the second start."""

    def __init__(self, parent, label):
        self.root = tempfile.mkdtemp(prefix=f"{label}-", dir=parent)
        self.folder = os.path.join(self.root, "program")
        self.home = os.path.join(self.root, "home")
        self.runtime = os.path.join(self.root, "runtime")
        for path in (self.folder, self.home, self.runtime):
            os.makedirs(path, mode=0o700, exist_ok=True)
            os.chmod(path, 0o700)

    def env(self):
        env = {k: v for k, v in os.environ.items() if not k.startswith("XDG_") and not k.startswith("QT")}
        env.update(HOME=self.home, XDG_RUNTIME_DIR=self.runtime, QTWEBENGINE_DISABLE_SANDBOX="1")
        return env


def start_once(program, sandbox, site, token, timeout, settle):
    url = site.url(token)
    page_path = urllib.parse.urlsplit(url).path
    command = program.prepare(sandbox.folder, url)
    log = open(os.path.join(sandbox.root, f"{token}.log"), "wb")
    result = {"program": program.label, "token": token, "log": log.name}
    t0 = result["t0"] = time.monotonic()
    process = subprocess.Popen(command, cwd=sandbox.folder, env=sandbox.env(), stdin=subprocess.DEVNULL,
                               stdout=log, stderr=subprocess.STDOUT, start_new_session=True)
    try:
        loaded = None
        deadline = t0 + timeout
        while time.monotonic() < deadline:
            loaded = site.first(lambda t, path, query: path == "/loaded" and query.get("page") == [page_path])
            if loaded or process.poll() is not None:
                break
            time.sleep(0.005)
        if not loaded:
            result["error"] = (f"ended with {process.returncode} before the load callback" if process.poll() is not None
                               else f"no load callback within {timeout:g} s")
            return result
        request = site.first(lambda t, path, query: path == page_path)
        result["startup"] = loaded[0] - t0
        result["request"] = request[0] - t0 if request else None
        result["nav_to_load"] = float(loaded[2]["t"][0]) / 1000.0 if "t" in loaded[2] else None
        members = tree(process.pid)
        before = cpu_ticks(members)
        before_ns = run_time_ns(members)
        main_thread = proc_stat(f"{process.pid}/task/{process.pid}")
        # Work done up to the load, less sensitive than the time to a busy machine.
        result["cpu_to_load"] = sum(before.values()) / CLOCK_TICK
        result["main_cpu_to_load"] = main_thread[3] / CLOCK_TICK if main_thread else None
        time.sleep(max(0.0, loaded[0] + settle - time.monotonic()))
        members = tree(process.pid)
        after_ns = run_time_ns(members)
        result["pss"] = memory_kb(members) / 1024.0
        result["pss_first"] = memory_kb([process.pid]) / 1024.0
        result["pss_dirty"] = memory_kb(members, ("Pss_Dirty",)) / 1024.0
        result["cpu"] = sum(ns - before_ns.get(key, 0) for key, ns in after_ns.items()) / 1e9
        result["processes"] = len(members)
        return result
    finally:
        end_tree(process)
        log.close()


# ---------------------------------------------------------------------------------------
# Report

MEASURES = [("startup", "start-up", "s"), ("request", "request", "s"), ("nav_to_load", "nav->load", "s"),
            ("cpu_to_load", "CPU to load", "s"), ("main_cpu_to_load", "main thread", "s"),
            ("pss", "PSS", "MB"), ("pss_first", "PSS first process", "MB"),
            ("pss_dirty", "PSS dirty", "MB"), ("cpu", "idle CPU", "s")]
RATIOS = ["startup", "cpu_to_load", "pss", "pss_dirty", "cpu"]


def median(values):
    values = [v for v in values if v is not None]
    return statistics.median(values) if values else None


def spread(values):
    """Half the interquartile range as a share of the median: how noisy a measure was."""
    values = sorted(v for v in values if v is not None)
    if len(values) < 4 or not statistics.median(values):
        return None
    q = statistics.quantiles(values, n=4)
    return (q[2] - q[0]) / 2 / statistics.median(values)


def fmt(value, unit):
    if value is None:
        return "-"
    if unit == "s":
        return f"{value * 1000:.0f} ms"
    return f"{value:.1f} {unit}"


def report(results, programs, floor_label, modes, out):
    def runs(label, mode):
        return [r for r in results if r["program"] == label and r["mode"] == mode]

    width = max(len("program"), *(len(p.label) for p in programs)) + 2
    print("\nMedians (± half the interquartile range as a share of the median):", file=out)
    header = f"{'program':<{width}}{'start':<8}{'n':>3}  " + "".join(f"{title:>20}" for _, title, _ in MEASURES)
    print(header, file=out)
    for program in programs:
        for mode in modes:
            rs = runs(program.label, mode)
            ok = [r for r in rs if "error" not in r]
            cells = []
            for key, _, unit in MEASURES:
                values = [r.get(key) for r in ok]
                noise = spread(values)
                text = fmt(median(values), unit) + (f" ±{noise * 100:.0f}%" if noise is not None else "")
                cells.append(f"{text:>20}")
            failed = len(rs) - len(ok)
            note = f"  ({failed} failed: {rs[-1]['error'] if failed else ''})" if failed else ""
            print(f"{program.label:<{width}}{mode:<8}{len(ok):>3}  " + "".join(cells) + note, file=out)

    print(f"\nRatios to {floor_label} (median of the per-round ratios, min..max in brackets):", file=out)
    print(f"{'program':<{width}}{'start':<8}" + "".join(f"{title:>26}" for key, title, _ in MEASURES if key in RATIOS),
          file=out)
    for program in programs:
        if program.label == floor_label:
            continue
        for mode in modes:
            cells = []
            for key in RATIOS:
                pairs = []
                for r in runs(program.label, mode):
                    mate = next((f for f in runs(floor_label, mode) if f["round"] == r["round"]), None)
                    if mate and r.get(key) is not None and mate.get(key):
                        pairs.append(r[key] / mate[key])
                text = (f"{statistics.median(pairs):.2f} [{min(pairs):.2f}..{max(pairs):.2f}]" if pairs else "-")
                cells.append(f"{text:>26}")
            print(f"{program.label:<{width}}{mode:<8}" + "".join(cells), file=out)


def load_average():
    with open("/proc/loadavg") as f:
        return " ".join(f.read().split()[:3])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--rounds", type=int, default=5)
    parser.add_argument("--ours", default=os.path.join(ROOT, "build", "sorvane"))
    parser.add_argument("--floor", default=os.path.join(ROOT, "build", "bench_startup_floor"))
    parser.add_argument("--also", action="append", default=[], metavar="LABEL=EXE",
                        help="another build of ours to measure in the same rounds (e.g. a variant)")
    parser.add_argument("--also-bare", action="append", default=[], metavar="LABEL=EXE",
                        help="another program that takes the address as its argument, like the floor")
    parser.add_argument("--timeout", type=float, default=30.0, help="seconds to wait for the load callback")
    parser.add_argument("--settle", type=float, default=2.0, help="seconds after the load before PSS and idle CPU")
    parser.add_argument("--seed", type=int, default=None)
    parser.add_argument("--json", help="write every run to this file")
    parser.add_argument("--keep", action="store_true", help="keep the folders (logs, files written)")
    parser.add_argument("--no-wm", action="store_true", help="do not start openbox")
    args = parser.parse_args()

    if not os.environ.get("DISPLAY"):
        sys.exit("startup.py: no X display; run it under xvfb-run")
    programs = [Program("ours", args.ours, True)]
    for item in args.also:
        label, _, exe = item.partition("=")
        programs.append(Program(label, exe, True))
    for item in args.also_bare:
        label, _, exe = item.partition("=")
        programs.append(Program(label, exe, False))
    floor = Program("floor", args.floor, False)
    programs.append(floor)
    for program in programs:
        if not os.access(program.exe, os.X_OK):
            sys.exit(f"startup.py: {program.exe} is missing; build it first")

    # Ended from outside: still end the program being measured and the window manager.
    signal.signal(signal.SIGTERM, lambda *_: sys.exit("startup.py: terminated"))
    rng = random.Random(args.seed)
    window_manager = None if args.no_wm else subprocess.Popen(
        ["openbox"], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, start_new_session=True)
    time.sleep(0.5)
    site = Site()
    work = tempfile.mkdtemp(prefix="startup-bench-")
    results = []
    modes = ["first", "second"]
    print(f"page {len(site.html)} bytes, {len(site.images)} images; {args.rounds} rounds; "
          f"load average {load_average()}", flush=True)
    try:
        # One start of each program, not measured: the shared libraries in the page cache.
        warm = Sandbox(work, "warm")
        for program in programs:
            start_once(program, warm, site, f"warm-{program.label}", args.timeout, 0.0)
        for round_number in range(1, args.rounds + 1):
            order = programs[:]
            rng.shuffle(order)
            sandboxes = {p.label: Sandbox(work, p.label) for p in order}
            line = []
            for mode in modes:
                for program in order:
                    token = f"{program.label}-{round_number}-{mode}"
                    r = start_once(program, sandboxes[program.label], site, token, args.timeout, args.settle)
                    r.update(round=round_number, mode=mode)
                    results.append(r)
                    line.append(f"{program.label}/{mode} " + (r["error"] if "error" in r else
                                f"{r['startup'] * 1000:.0f} ms {r['pss']:.0f} MB"))
            print(f"round {round_number}: " + "; ".join(line), flush=True)
            if not args.keep:
                for sandbox in sandboxes.values():
                    shutil.rmtree(sandbox.root, ignore_errors=True)
    finally:
        site.close()
        if window_manager:
            window_manager.terminate()
            window_manager.wait()
        if not args.keep:
            shutil.rmtree(work, ignore_errors=True)
        else:
            print(f"folders kept in {work}")

    print(f"load average after: {load_average()}")
    report(results, programs, floor.label, modes, sys.stdout)
    if args.json:
        with open(args.json, "w") as f:
            json.dump(results, f, indent=1)


if __name__ == "__main__":
    main()
