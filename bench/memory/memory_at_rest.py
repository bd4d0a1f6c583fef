#!/usr/bin/env python3
"""Resident memory of orbcalender at rest: signed in through the browser, the first load
done, idle. Prints VmRSS and VmHWM from /proc/<pid>/status and the largest mappings.

    bench/memory/memory_at_rest.py [--build build] [--events 10000]

Runs the program under Xvfb with openbox against the stand-in (the desktop lane's session),
once with the demo account and once with --events spread over ten calendars in the loaded
range. A benchmark: it prints figures and asserts nothing."""

import argparse
import datetime
import json
import os
import re
import sys
import time

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
sys.path.insert(0, os.path.join(ROOT, "tests", "desktop"))
from desktop_session import DesktopSession, wait_for  # noqa: E402

# The pass has finished once its cache writes are reported; then the heap settles.
PASS_DONE = "Cache : writes of the pass"
SETTLED_SECONDS = 3.0
SETTLED_KB = 256


def status(pid):
    fields = {}
    with open("/proc/%d/status" % pid) as src:
        for line in src:
            key, _, value = line.partition(":")
            fields[key] = value.strip()
    return fields


def kb(value):
    return int(value.split()[0])


def largest_mappings(pid, count):
    totals = {}
    name = None
    with open("/proc/%d/smaps" % pid) as src:
        for line in src:
            head = re.match(r"^[0-9a-f]+-[0-9a-f]+ \S+ \S+ \S+ \S+\s*(.*)$", line)
            if head:
                name = os.path.basename(head.group(1)) or "[anonymous]"
                continue
            if line.startswith("Rss:"):
                totals[name] = totals.get(name, 0) + kb(line.split(":", 1)[1])
    return sorted(totals.items(), key=lambda item: -item[1])[:count]


def many_events(count):
    today = datetime.date.today()
    calendars = []
    per = count // 10
    for c in range(10):
        events = []
        for i in range(per):
            day = today + datetime.timedelta(days=(i % 35) - 5)
            start = "%sT%02d:%02d:00Z" % (day.isoformat(), 8 + i % 10, (i * 7) % 60)
            end = "%sT%02d:%02d:00Z" % (day.isoformat(), 9 + i % 10, (i * 7) % 60)
            events.append({"summary": "Event %d of calendar %d" % (i, c),
                           "start": {"dateTime": start}, "end": {"dateTime": end}})
        calendars.append({"id": "cal%d@example.com" % c, "summary": "Calendar %d" % c, "selected": True,
                          "colorId": str(1 + c), "events": events})
    calendars[0]["primary"] = True
    return {"oauth": {"refreshTokens": []}, "calendar": {"calendars": calendars},
            "tasks": {"taskLists": [{"id": "home", "title": "Home",
                                     "tasks": [{"id": "t%d" % i, "title": "Task %d" % i} for i in range(50)]}]}}


def measure(label, seed, timeout):
    session = DesktopSession("memory-" + label)
    try:
        session.env["BROWSER"] = "%s %s %%s" % (sys.executable, os.path.join(ROOT, "tests", "desktop",
                                                                            "fake_browser.py"))
        session.start(seed=seed, strict=True)
        session.launch(key="", Zorder=4, bShowList=1, bShowCalendar=1)
        log = os.path.join(session.folder, "orbcalender.log")
        started = time.monotonic()
        wait_for("the first load", lambda: PASS_DONE in open(log, errors="replace").read(), timeout)
        loaded = time.monotonic() - started
        pid = session.app.pid
        last, since = kb(status(pid)["VmRSS"]), time.monotonic()
        while time.monotonic() - since < SETTLED_SECONDS:
            time.sleep(0.25)
            now = kb(status(pid)["VmRSS"])
            if abs(now - last) > SETTLED_KB:
                last, since = now, time.monotonic()
        fields = status(pid)
        print("%-12s VmRSS %7.1f MB   VmHWM %7.1f MB   (signed in and loaded in %.1f s)"
              % (label, kb(fields["VmRSS"]) / 1024, kb(fields["VmHWM"]) / 1024, loaded))
        for name, size in largest_mappings(pid, 12):
            print("    %8.1f MB  %s" % (size / 1024, name))
        with open("/proc/%d/maps" % pid) as src:
            heavy = sorted({os.path.basename(line.split()[-1]) for line in src
                            if re.search(r"WebEngine|Quick|Qml|LLVM|swrast|_dri\.so", line)})
        print("    web engine / GL libraries mapped: %s" % (", ".join(heavy) or "none"))
        session.terminate()
    finally:
        session.close()


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n")[0])
    parser.add_argument("--build", default=os.path.join(ROOT, "build"))
    parser.add_argument("--events", type=int, default=10000)
    parser.add_argument("--timeout", type=float, default=120)
    args = parser.parse_args()
    args.build = os.path.abspath(args.build)
    os.environ.setdefault("ORB_PROGRAM", os.path.join(args.build, "app", "orbcalender"))
    os.environ.setdefault("ORB_FAKE_SERVICE", os.path.join(args.build, "tools", "fake-service", "orb-fake-service"))
    os.environ.setdefault("ORB_DESKTOP_OUTPUT", os.path.join(args.build, "bench", "memory"))
    with open(os.path.join(ROOT, "tools", "fake-service", "demo_seed.json")) as src:
        demo = json.load(src)
    measure("demo", demo, args.timeout)
    measure("%d-events" % args.events, many_events(args.events), args.timeout)


if __name__ == "__main__":
    main()
