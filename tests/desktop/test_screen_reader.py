"""orbcalender read through AT-SPI, as a screen reader reads it: the self-drawn tree and
month grid must say what they show, and the tree's focus must follow the arrow keys.

Run through CTest (label `desktop`); exits 77 (skipped) when the program has not been built."""

import os
import sys
import unittest

from atspi_reader import read_program
from desktop_session import DesktopSession, wait_for

MAIN_POS = (60, 60, 460, 660)
CALENDAR_POS = (520, 120, 1220, 620)
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


class ScreenReaderTest(unittest.TestCase):
    def setUp(self):
        self.s = DesktopSession("ScreenReaderTest")
        self.addCleanup(self.s.close)
        self.s.start()
        # The accessibility bus hangs off a session bus of the test's own.
        self.s.start_session_bus()
        self.s._spawn([BUS_LAUNCHER, "--launch-immediately"], "at-spi-bus-launcher.log")
        self.s.env.update(QT_ACCESSIBILITY="1", QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")

    def read(self, what, wanted, timeout=30):
        """The reader's answer once `wanted` holds for it."""
        answer = []

        def probe():
            answer[:] = [read_program(self.s.env)]
            return answer[0] is not None and wanted(answer[0])

        try:
            wait_for(what, probe, timeout, interval=0.5)
        finally:
            self.s.shot(what.replace(" ", "-"))
        return answer[0]

    def test_tree_and_month_are_read_and_the_focus_follows_the_arrow_keys(self):
        s = self.s
        s.launch(WindowPos=MAIN_POS, WindowPosCalendar=CALENDAR_POS, bShowList=1, bShowCalendar=1, bAllExpend=1)
        seen = self.read("the loaded tree and month",
                         lambda r: any("Task number 1" in row for row in r["tree"])
                         and any(day.endswith(": Review") for day in r["days"]))
        self.assertEqual(["tree", "table"], seen["roles"])
        self.assertIn("Me", [row[0] for row in seen["tree"]])
        # A day names its events; the grid's every day has a name.
        self.assertTrue(all(seen["days"]))
        self.assertTrue(any(": Trip" in day for day in seen["days"]))

        names = [row[0] for row in seen["tree"]]
        start = names.index("Task number 1")
        x, y, w, h = seen["cells"][names[start]]
        s.xdo("mousemove", str(x + w // 2), str(y + h // 2), "click", "1")
        self.read("the clicked row to be focused", lambda r: r["focused"] == names[start])
        s.xdo("key", "Down")
        self.read("Down to focus the next row", lambda r: r["focused"] == names[start + 1])
        s.xdo("key", "Down")
        s.xdo("key", "Up")
        self.read("Down and Up to come back", lambda r: r["focused"] == names[start + 1])


if __name__ == "__main__":
    if not os.path.isfile(os.environ.get("ORB_PROGRAM", "")):
        print("orbcalender is not built: skipping the screen reader test")
        sys.exit(77)
    unittest.main(verbosity=2)
