"""orbcalender on a real X server with openbox, driven by xdotool.

Run through CTest (label `desktop`), which passes ORB_PROGRAM and ORB_FAKE_SERVICE; exits 77
(skipped) when the program has not been built."""

import datetime
import os
import re
import shutil
import sys
import time
import unittest

from desktop_session import (LOGIN_KEYS, LOGIN_TITLE, TOKEN, DesktopSession, Shot, default_seed, font_bytes,
                             login_int, read_settings, wait_for)

MAIN_POS = (60, 60, 460, 660)          # 400 x 600
CALENDAR_POS = (520, 120, 1220, 620)   # 700 x 500
MAIN_MINIMUM = (242, 300)
CALENDAR_MINIMUM = (500, 200)
BOTTOM, TOP, RESIZING, NORMAL = 1, 2, 3, 4
OUT_OF_BAND = "urn:ietf:wg:oauth:2.0:oob:auto"
HERE = os.path.dirname(os.path.abspath(__file__))


class DesktopTest(unittest.TestCase):
    tray = False

    def setUp(self):
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        self.s.start(tray=self.tray)

    def assertWhole(self, key, service=None):
        sections = read_settings(self.s.settings_path)
        login = sections.get("Login", {})
        self.assertEqual(sorted(LOGIN_KEYS), sorted(k for k in LOGIN_KEYS if k in login), "keys missing in [Login]")
        self.assertEqual([], [k for k in LOGIN_KEYS if LOGIN_KEYS[k] and login[k] is None], "malformed entries")
        self.assertEqual(key, login["KEY"])
        self.assertEqual(dict({"AccountsBase": self.s.base, "ApiBase": self.s.base, "ClientId": "desktop-client",
                               "ClientSecret": "desktop-secret", "StartPage": ""}, **(service or {})),
                         sections.get("Service"))

    def loaded(self, role, label):
        """Waits for the window and for its first load to finish painting."""
        return self.s.still_shot(label, self.s.rect(role))


class ResizingTest(DesktopTest):
    def check_cursors(self, role):
        """Each edge and a corner show a resize cursor: one shape per axis, another for the corner."""
        s = self.s
        _, _, w, h = s.rect(role)
        inside = s.at(role, w // 2, h // 2)
        s.xdo("mousemove", *inside)
        interior = s.settled_cursor("the pointer inside the " + role)
        cursors = {}
        for name, (x, y) in {"left": (2, h // 2), "right": (-3, h // 2), "top": (w // 2 + 20, 2),
                             "bottom": (w // 2 + 20, -3), "corner": (-3, -3)}.items():
            s.xdo("mousemove", *s.at(role, x, y))
            cursors[name] = s.settled_cursor("a resize cursor at the %s %s" % (role, name), unlike=interior)
            s.xdo("mousemove", *inside)
            s.settled_cursor("the interior cursor again", like=interior)
        self.assertEqual(cursors["left"], cursors["right"])
        self.assertEqual(cursors["top"], cursors["bottom"])
        self.assertNotEqual(cursors["left"], cursors["top"])
        self.assertNotIn(cursors["corner"], (cursors["left"], cursors["top"]))

    def check_drags(self, role, minimum):
        s = self.s
        x, y, w, h = s.rect(role)
        cases = [("left", (2, h // 2), (-30, 0), (x - 30, y, w + 30, h)),
                 ("right", (-3, h // 2), (30, 0), (x - 30, y, w + 60, h)),
                 ("top", (w // 2 + 20, 2), (0, -30), (x - 30, y - 30, w + 60, h + 30)),
                 ("bottom", (w // 2 + 20, -3), (0, 30), (x - 30, y - 30, w + 60, h + 60)),
                 ("bottom-right corner", (-3, -3), (30, 30), (x - 30, y - 30, w + 90, h + 90))]
        before = (x, y, w, h)
        for name, start, by, expected in cases:
            s.drag(s.at(role, *start), by)
            after = s.settled_rect(role, changed_from=before)
            for got, want in zip(after, expected):
                self.assertAlmostEqual(got, want, delta=4, msg="dragging the %s: %s, expected %s" % (name, after, expected))
            before = after
        s.shot("%s-grown" % role)
        s.drag(s.at(role, 2, 2), (900, 900))
        x, y, w, h = s.settled_rect(role, changed_from=before)
        s.shot("%s-shrunk" % role)
        self.assertGreaterEqual(w, minimum[0])
        self.assertGreaterEqual(h, minimum[1])
        self.assertLess(w, before[2] - 100)
        self.assertLess(h, before[3] - 100)

    @staticmethod
    def edge_points(w, h):
        return [(1, h // 2), (w - 2, h // 2), (w // 2, 1), (w // 2, h - 2),
                (1, 1), (w - 2, 1), (1, h - 2), (w - 2, h - 2)]

    def test_main_window(self):
        s = self.s
        s.launch(Zorder=RESIZING, WindowPos=MAIN_POS, bShowList=1, bShowCalendar=0)
        shot = self.loaded("mainWindow", "resizing")
        x, y, w, h = s.rect("mainWindow")
        background = shot.pixel(x + 150, y + 10)
        plain = [p for p in self.edge_points(w, h) if shot.pixel(x + p[0], y + p[1]) == background]
        self.assertEqual([], plain, "no border at these points: the window's background shows")
        self.check_cursors("mainWindow")
        self.check_drags("mainWindow", MAIN_MINIMUM)

    def test_calendar_window(self):
        s = self.s
        s.launch(ZorderCalendar=RESIZING, WindowPosCalendar=CALENDAR_POS, bShowList=0, bShowCalendar=1)
        self.loaded("calendarWindow", "loaded")
        self.check_cursors("calendarWindow")
        self.check_drags("calendarWindow", CALENDAR_MINIMUM)
        rect = x, y, w, h = s.rect("calendarWindow")
        s.xdo("mousemove", *s.at("calendarWindow", w // 2, h // 2), "click", "1")
        resizing = s.still_shot("resizing", rect)
        s.xdo("key", "space")

        def normal_shot():
            shot = s.still_shot("normal", rect)
            return shot if shot.crop(rect) != resizing.crop(rect) else None

        normal = wait_for("Space to leave the Resizing mode", normal_shot, 5)
        plain = [p for p in self.edge_points(w, h)
                 if resizing.pixel(x + p[0], y + p[1]) == normal.pixel(x + p[0], y + p[1])]
        self.assertEqual([], plain, "the Resizing mode shows no border at these points")


class CalendarHeaderTest(DesktopTest):
    def test_today_and_move(self):
        s = self.s
        s.launch(ZorderCalendar=NORMAL, WindowPosCalendar=CALENDAR_POS, bShowList=0, bShowCalendar=1)
        rect = s.rect("calendarWindow")
        w, h = rect[2], rect[3]
        s.xdo("mousemove", *s.at("calendarWindow", w // 2, h // 2))
        this_month = self.loaded("calendarWindow", "this-month").crop(rect)
        s.xdo("click", "5")
        next_month = s.still_shot("next-month", rect).crop(rect)
        self.assertTrue(this_month != next_month, "one wheel notch down did not change the month")
        s.xdo("mousemove", *s.at("calendarWindow", w - 75, 45), "click", "--repeat", "2", "--delay", "120", "1")
        s.xdo("mousemove", *s.at("calendarWindow", w // 2, h // 2))
        back = s.still_shot("after-today-double-click", s.rect("calendarWindow"))
        self.assertEqual(rect, s.rect("calendarWindow"), "the double-click moved the window")
        self.assertTrue(this_month == back.crop(rect), "double-clicking 'today' did not return to this month")

        s.xdo("mousemove", *s.at("calendarWindow", 200, 20), "click", "1")
        s.xdo("mousemove_relative", "--", "40", "30")
        self.assertEqual(rect, s.settled_rect("calendarWindow"), "a single click in the header moved the window")
        s.drag(s.at("calendarWindow", 200, 20), (60, 40))
        moved = s.settled_rect("calendarWindow", changed_from=rect)
        s.shot("dragged")
        # A move that starts only past a drag threshold may trail the pointer by that much.
        self.assertAlmostEqual(rect[0] + 60, moved[0], delta=20)
        self.assertAlmostEqual(rect[1] + 40, moved[1], delta=20)
        self.assertEqual((w, h), moved[2:])


class KeyboardTest(DesktopTest):
    def test_tab_after_space(self):
        s = self.s
        s.launch(ZorderCalendar=TOP, WindowPosCalendar=CALENDAR_POS, WindowPos=MAIN_POS, bShowList=0, bShowCalendar=1)
        self.loaded("calendarWindow", "calendar")
        s.xdo("mousemove", *s.at("calendarWindow", 350, 300), "click", "1")
        s.xdo("key", "space")

        def left_top_mode():
            wid = s.window("calendarWindow")
            return wid and "_NET_WM_STATE_ABOVE" not in s.states(wid)

        wait_for("Space to leave the Top mode", left_top_mode, 5)
        s.xdo("key", "Tab")
        wait_for("Tab to show the main window instead", lambda: s.shown_roles() == ["mainWindow"], 5)
        s.shot("after-tab")
        self.assertEqual(0, s.terminate())
        settings = read_settings(s.settings_path)
        self.assertEqual((RESIZING, 1, 0), tuple(login_int(settings, k) for k in
                                                 ("ZorderCalendar", "bShowList", "bShowCalendar")))


class ListFontTest(DesktopTest):
    def test_ctrl_wheel_one_step(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1, defaultFont=font_bytes(-14))
        self.loaded("mainWindow", "before")
        s.xdo("mousemove", *s.at("mainWindow", 150, 300), "keydown", "ctrl", "click", "4", "keyup", "ctrl")
        s.still_shot("after-ctrl-wheel-up", s.rect("mainWindow"))
        self.assertEqual(0, s.terminate())
        font = read_settings(s.settings_path)["Login"]["defaultFont"]
        self.assertEqual(-15, int.from_bytes(font[:4], "little", signed=True))


def bar_rows(shot, rect):
    """The task-branch rows on screen, top to bottom, as (bar x, row centre y): each such row
    starts with a red colour bar, indented by its level."""
    x0, y0, w, h = rect
    runs = []
    for y in range(y0, y0 + h):
        xs = [x for x in range(x0, x0 + w // 2) if shot.pixel(x, y)[0] > 200 and max(shot.pixel(x, y)[1:]) < 60]
        if not xs:
            continue
        if runs and runs[-1][0] == xs[0] and runs[-1][2] == y - 1:
            runs[-1][2] = y
        else:
            runs.append([xs[0], y, y])
    return [(x, (top + bottom) // 2) for x, top, bottom in runs]


def orange_rows(shot, rect):
    """Rows of `rect` with pixels in the colour of the line that says what a pass could not read."""
    x0, y0, w, h = rect
    return [y for y in range(y0, y0 + h)
            if any(r > 215 and 130 < g < 190 and b < 110 for r, g, b in (shot.pixel(x, y) for x in range(x0, x0 + w)))]


class OfflineStartTest(DesktopTest):
    def test_the_cached_rows_and_the_offline_line_come_up_with_the_service_down(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1, bShowCalendar=0)
        rect = s.rect("mainWindow")
        online = self.loaded("mainWindow", "online")
        rows = bar_rows(online, rect)
        self.assertEqual(9, len(rows), "the Home list and its eight tasks")
        self.assertEqual([], orange_rows(online, rect))
        cache = os.path.join(s.folder, "cache.sqlite")
        self.assertTrue(os.path.exists(cache))
        self.assertEqual(0o600, os.stat(cache).st_mode & 0o777)
        self.assertEqual(0, s.terminate())

        s.stop_service()
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1, bShowCalendar=0)
        rect = s.rect("mainWindow")

        def offline():
            shot = Shot(s.env)
            return shot if orange_rows(shot, rect) else None

        wait_for("the line saying the data is from the last sync", offline, 40)
        shot = s.still_shot("offline", rect)
        self.assertEqual(len(rows), len(bar_rows(shot, rect)), "the cached rows are not all shown")
        line = orange_rows(shot, rect)
        self.assertGreater(min(line), max(y for _, y in bar_rows(shot, rect)), "the line sits under the tree")
        self.assertFalse(s.app.poll() is not None, "the program ended")


class TaskDragTest(DesktopTest):
    def test_drag_a_task_under_another(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1)
        rows = bar_rows(self.loaded("mainWindow", "tasks"), s.rect("mainWindow"))
        tasks = [row for row in rows if row[0] == max(x for x, _ in rows)]
        self.assertEqual(8, len(tasks), rows)
        (x, first), (_, third) = tasks[0], tasks[2]
        s.xdo("mousemove", str(x + 40), str(third), "mousedown", "1", "sleep", "0.2")
        for y in range(third, first - 1, -4):
            s.xdo("mousemove", str(x + 40), str(y), "sleep", "0.02")
        s.xdo("sleep", "0.3")
        s.shot("dragging-onto-task-1")
        s.xdo("mouseup", "1")
        move = ("POST", "/tasks/v1/lists/home/tasks/t3/move?parent=t1")
        wait_for("the move to reach the service", lambda: move in s.requests(), 5)
        after = bar_rows(s.still_shot("task-3-under-task-1", s.rect("mainWindow")), s.rect("mainWindow"))
        self.assertEqual(1, len([row for row in after if row[0] > x]), "one row indented below task 1")

        # Onto itself: nothing is sent.
        s.xdo("mousemove", str(x + 40), str(first), "mousedown", "1", "sleep", "0.2")
        s.xdo("mousemove", str(x + 60), str(first), "sleep", "0.1", "mousemove", str(x + 44), str(first))
        s.xdo("mouseup", "1")
        s.xdo("sleep", "0.5")
        self.assertEqual([move], [r for r in s.requests() if "/move" in r[1]])


class EditorDropDownTest(DesktopTest):
    """The event editor's calendar list and date picker open under their boxes. The editor is
    a borderless dialog: placed inside openbox's frame, its recorded place could be lost, and
    its pop-ups then opened at the top left of the screen. That happened on some openings
    only, so the editor is opened a few times."""

    OPENINGS = 3
    # The editor's boxes, in its own coordinates: the calendar list and the start date.
    CALENDAR_BOX = (110, 15, 290, 24)
    START_DATE_BOX = (110, 79, 140, 24)

    def setUp(self):
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        seed = default_seed()
        calendars = seed["calendar"]["calendars"]
        calendars[0]["events"] = []  # every day is free: a double-click always starts a new event
        calendars += [{"id": "c%d@example.com" % i, "summary": "Calendar %d" % i, "selected": True,
                       "colorId": str(i + 2), "events": []} for i in range(3)]
        self.s.start(seed=seed)

    def editor(self):
        s = self.s
        for wid in s.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(s.app.pid), "--name", ".*").split():
            if "_NET_WM_WINDOW_TYPE_DIALOG" in s.x("xprop", "-id", wid, "_NET_WM_WINDOW_TYPE"):
                return s.geometry(wid)
        return None

    def check_popup_under(self, editor, box, name):
        s = self.s
        x, y, w, h = box
        s.xdo("mousemove", str(editor["x"] + x + w - 8), str(editor["y"] + y + h // 2), "click", "1")
        popup = s.geometry(wait_for("the %s pop-up" % name, s.popup_menu, 5))
        self.assertAlmostEqual(editor["x"] + x, popup["x"], delta=2, msg="%s pop-up at %s" % (name, popup))
        self.assertAlmostEqual(editor["y"] + y + h, popup["y"], delta=3, msg="%s pop-up at %s" % (name, popup))
        return popup

    def test_pop_ups_open_under_their_boxes(self):
        s = self.s
        s.launch(ZorderCalendar=NORMAL, WindowPosCalendar=CALENDAR_POS, bShowList=0, bShowCalendar=1)
        self.loaded("calendarWindow", "loaded")
        for opening in range(self.OPENINGS):
            s.xdo("mousemove", *s.at("calendarWindow", 350, 330), "click", "--repeat", "2", "--delay", "120", "1")
            editor = wait_for("the event editor", self.editor, 5)
            self.check_popup_under(editor, self.CALENDAR_BOX, "calendar list")
            if opening == 0:
                s.shot("calendar-list")
            s.xdo("key", "Escape")
            wait_for("the calendar list to close", lambda: not s.popup_menu(), 3)
            self.check_popup_under(editor, self.START_DATE_BOX, "start date")
            if opening == 0:
                s.shot("start-date-calendar")
            s.xdo("key", "Escape")
            wait_for("the date picker's calendar to close", lambda: not s.popup_menu(), 3)
            s.xdo("key", "Escape")
            wait_for("the editor to close", lambda: not self.editor(), 3)


SELECTION = (0x26, 0x4F, 0x78)


def selected_rows(shot, rect):
    """Centres of the rows filled with the selection colour, read in the empty "Due" column."""
    x0, y0, w, h = rect
    ys = [y for y in range(y0, y0 + h) if shot.pixel(x0 + w - 60, y) == SELECTION]
    runs = []
    for y in ys:
        if runs and runs[-1][1] == y - 1:
            runs[-1][1] = y
        else:
            runs.append([y, y])
    return [(top + bottom) // 2 for top, bottom in runs]


class TreePlaceTest(DesktopTest):
    def setUp(self):
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        seed = default_seed()
        seed["tasks"]["taskLists"][0]["tasks"] = [{"id": "t%d" % i, "title": "Task number %d" % i}
                                                  for i in range(1, 31)]
        seed["tasks"]["taskLists"].append({"id": "work", "title": "Work", "tasks": [
            {"id": "w1", "title": "Report"}, {"id": "w2", "title": "Slides"}]})
        self.s.start(seed=seed)

    def dialog(self):
        """A shown message box or editor of the program (a second window with its title)."""
        wids = self.s.x("xdotool", "search", "--onlyvisible", "--pid", str(self.s.app.pid), "--name",
                        "^Marlo's Calender$").split()
        return len(wids) > 1

    def check_keys_reach_the_tree(self, label):
        s = self.s
        s.xdo("key", "Delete")
        wait_for("Delete to ask (%s)" % label, self.dialog, 5)
        s.shot("delete-asks-" + label)
        s.xdo("key", "Escape")
        wait_for("the question to go", lambda: not self.dialog(), 5)
        s.xdo("key", "Insert")
        wait_for("Insert to open the editor (%s)" % label, self.dialog, 5)
        s.xdo("key", "Escape")
        wait_for("the editor to go", lambda: not self.dialog(), 5)

    def test_the_tree_keeps_its_place_across_a_drop_an_edit_and_an_insert(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1)
        rect = s.rect("mainWindow")
        rows = bar_rows(self.loaded("mainWindow", "loaded"), rect)
        task_x = max(x for x, _ in rows)
        (_, first), (_, third) = [row for row in rows if row[0] == task_x][0:3:2]

        # A drop answered at once, then the keys: they reach the tree, not the hidden wait.
        s.xdo("mousemove", str(task_x + 40), str(third), "mousedown", "1", "sleep", "0.2")
        for y in range(third, first - 1, -4):
            s.xdo("mousemove", str(task_x + 40), str(y), "sleep", "0.02")
        s.xdo("mouseup", "1")
        wait_for("the move", lambda: ("POST", "/tasks/v1/lists/home/tasks/t3/move?parent=t1") in s.requests(), 5)
        self.check_keys_reach_the_tree("after-drop")

        # Scrolled to the end, the Work list renamed in its editor: every row stays put.
        s.xdo("key", "End")
        before = s.still_shot("scrolled-to-the-end", rect)
        lists = [row for row in bar_rows(before, rect) if row[0] == min(x for x, _ in bar_rows(before, rect))]
        work_x, work_y = lists[-1]
        s.xdo("mousemove", str(work_x + 40), str(work_y), "click", "--repeat", "2", "--delay", "120", "1")
        wait_for("the list editor", self.dialog, 5)
        s.xdo("key", "ctrl+a", "type", "Office")
        s.xdo("key", "Return")
        wait_for("the rename", lambda: any(m != "GET" and t == "/tasks/v1/users/@me/lists/work"
                                           for m, t in s.requests()), 5)
        after = s.still_shot("renamed-in-place", rect)
        self.assertEqual(bar_rows(before, rect), bar_rows(after, rect), "the rows moved")
        self.assertEqual([work_y], selected_rows(after, rect), "the renamed list is not the selection")

        # A new list from the branch root: it shows, selected, at the end of the view.
        s.xdo("key", "Home")
        top = bar_rows(s.still_shot("back-at-the-top", rect), rect)
        home_y = [y for x, y in top if x == min(x for x, _ in top)][0]
        s.xdo("mousemove", str(rect[0] + 60), str(home_y - (top[1][1] - top[0][1])), "click", "1")
        s.xdo("key", "Insert")
        wait_for("the list editor", self.dialog, 5)
        s.xdo("type", "Errands")
        s.xdo("key", "Return")
        wait_for("the new list", lambda: ("POST", "/tasks/v1/users/@me/lists") in s.requests(), 5)

        # The stand-in has the request before the program has the answer: look until it shows.
        def new_list_selected_at_the_end():
            shot = s.still_shot("new-list-shown", rect)
            last = bar_rows(shot, rect)[-1]
            return last if selected_rows(shot, rect) == [last[1]] else None

        last = wait_for("the new list, selected at the end of the view", new_list_selected_at_the_end, 10)
        self.assertEqual(work_x, last[0], "the last row is not a list")


class TerminationTest(DesktopTest):
    def test_sigterm_with_control_menu_open(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1)
        self.loaded("mainWindow", "loaded")
        s.xdo("mousemove", *s.at("mainWindow", 150, 10), "click", "3")
        wait_for("the Control menu", s.popup_menu)
        s.shot("control-menu")
        self.assertEqual(0, s.terminate(within=2.0))
        self.assertWhole(TOKEN)

    def test_sigterm_with_login_page_open(self):
        s = self.s
        s.launch(key="", service=["RedirectUri=" + OUT_OF_BAND], WindowPos=MAIN_POS)
        login = wait_for("the login page", lambda: s.x("xdotool", "search", "--onlyvisible", "--name", LOGIN_TITLE), 30)
        g = s.geometry(login.split()[0])
        s.still_shot("login-page", (g["x"], g["y"], g["w"], g["h"]), timeout=30)
        self.assertEqual(0, s.terminate(within=2.0))
        self.assertWhole("", {"RedirectUri": OUT_OF_BAND})


class BrowserSignInTest(DesktopTest):
    def setUp(self):
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        # The user's browser: a script that presses Allow and follows the redirect.
        self.s.env["BROWSER"] = "%s %s %%s" % (sys.executable, os.path.join(HERE, "fake_browser.py"))
        self.s.start(strict=True)

    def test_fresh_settings_sign_in_through_the_browser(self):
        s = self.s
        s.launch(key="", Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1)
        self.loaded("mainWindow", "signed-in-and-loaded")
        requests = s.requests()
        # Strict, the stand-in takes a loopback redirect with PKCE and nothing else.
        self.assertIn(("POST", "/o/oauth2/token"), requests)
        self.assertEqual([], [r for r in requests if "tokeninfo" in r[1]])
        # Signed in and loaded, the program itself has loaded no web engine and no GL driver.
        with open("/proc/%d/maps" % s.app.pid) as maps:
            heavy = {line.split()[-1] for line in maps if re.search(r"WebEngine|Qt6Quick|Qt6Qml|LLVM|_dri\.so", line)}
        self.assertEqual(set(), heavy)
        self.assertEqual(0, s.terminate())
        self.assertTrue(read_settings(s.settings_path)["Login"]["KEY"], "the refresh token was not kept")


class NoTrayTest(DesktopTest):
    def test_taskbar_escape_and_exit(self):
        s = self.s
        s.launch(Zorder=NORMAL, ZorderCalendar=NORMAL, WindowPos=MAIN_POS, WindowPosCalendar=CALENDAR_POS,
                 bShowList=1, bShowCalendar=1)
        self.loaded("mainWindow", "both-windows")
        for role in ("mainWindow", "calendarWindow"):
            self.assertNotIn("SKIP_TASKBAR", s.states(s.wait_window(role)), role)

        s.xdo("mousemove", *s.at("mainWindow", 150, 300), "click", "1", "key", "Escape")
        wid = wait_for("Esc to take the main window off the screen",
                       lambda: not s.window("mainWindow") and s.window("mainWindow", viewable=False))
        wait_for("the main window to be minimised, not withdrawn",
                 lambda: any(state in s.states(wid) for state in ("Iconic", "_NET_WM_STATE_HIDDEN")), 3)
        s.shot("after-escape")

        s.xdo("windowactivate", wid)
        s.wait_window("mainWindow")
        s.xdo("mousemove", *s.at("mainWindow", 150, 10), "click", "3")
        wait_for("the Control menu", s.popup_menu)
        s.xdo("key", "Up")
        s.shot("last-menu-item")
        s.xdo("key", "Return")
        wait_for("the last menu item to end the program", lambda: s.app.poll() is not None, 5)
        self.assertEqual(0, s.app.returncode)


class TrayTest(DesktopTest):
    tray = True

    def test_no_taskbar_entries(self):
        s = self.s
        s.launch(Zorder=NORMAL, ZorderCalendar=NORMAL, WindowPos=MAIN_POS, WindowPosCalendar=CALENDAR_POS,
                 bShowList=1, bShowCalendar=1)
        self.loaded("mainWindow", "both-windows")
        for role in ("mainWindow", "calendarWindow"):
            wait_for("_NET_WM_STATE_SKIP_TASKBAR on the " + role,
                     lambda: "SKIP_TASKBAR" in s.states(s.wait_window(role)), 5)


class QuestionStackingTest(DesktopTest):
    # Today's event, so that it is drawn in full colour: Google's colour 11 fills its bar.
    BAR = (0xDC, 0x21, 0x27)
    DELETE = ("DELETE", "/calendar/v3/calendars/me%40example.com/events/standup1")

    def setUp(self):
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        today = datetime.date.today()
        seed = default_seed()
        seed["calendar"]["calendars"][0]["events"] = [
            {"id": "standup1", "summary": "Standup", "description": "Daily", "colorId": "11",
             "start": {"date": today.isoformat()}, "end": {"date": (today + datetime.timedelta(days=1)).isoformat()}}]
        self.s.start(seed=seed)

    def bar_centre(self, shot):
        x0, y0, w, h = self.s.rect("calendarWindow")
        bar = [(x, y) for y in range(y0, y0 + h) for x in range(x0, x0 + w) if shot.pixel(x, y) == self.BAR]
        if not bar:
            return None
        return (min(x for x, _ in bar) + max(x for x, _ in bar)) // 2, (min(y for _, y in bar) + max(y for _, y in bar)) // 2

    def ask_delete(self, label):
        """Delete over the event; returns the question window once it is shown, after checking that it
        belongs to the calendar window, is above it, has the keyboard focus and is centred on it."""
        s = self.s
        centre = self.bar_centre(s.still_shot(label + "-before", s.rect("calendarWindow")))
        self.assertTrue(centre, "the event is not drawn")
        # Read before the question opens: on a busy machine a search can miss a window mid-change.
        calendar = int(s.wait_window("calendarWindow", 5))
        s.xdo("mousemove", str(centre[0]), str(centre[1]), "click", "1", "key", "Delete")
        question = wait_for("the question", lambda: s.transients())[0]
        self.assertEqual([calendar], s.window_ids("WM_TRANSIENT_FOR", question))
        wait_for("the question to have the keyboard focus", lambda: s.focused() == question, 5)
        stacking = s.window_ids("_NET_CLIENT_LIST_STACKING")
        self.assertGreater(stacking.index(question), stacking.index(calendar), "the question is under the window")
        qx, qy, qw, qh = s.frame_rect(question)
        cx, cy, cw, ch = s.frame_rect(calendar)
        self.assertAlmostEqual(cx + cw / 2, qx + qw / 2, delta=2)
        self.assertAlmostEqual(cy + ch / 2, qy + qh / 2, delta=2)
        s.shot(label + "-question")
        return question, stacking

    def answer(self, key):
        self.s.xdo("key", key)
        wait_for("the question to close", lambda: not self.s.transients(), 5)

    def test_the_delete_question_opens_over_the_calendar_window_in_every_layer(self):
        s = self.s
        s.launch(ZorderCalendar=TOP, WindowPosCalendar=CALENDAR_POS, bShowList=0, bShowCalendar=1)
        self.loaded("calendarWindow", "loaded")
        question, _ = self.ask_delete("top")
        self.assertIn("_NET_WM_STATE_ABOVE", s.states(question))
        self.answer("n")
        self.assertNotIn(self.DELETE, s.requests())
        self.assertTrue(self.bar_centre(s.still_shot("kept", s.rect("calendarWindow"))), "the event is gone")

        # Space steps Top, Resizing, Normal, Bottom; another program's window covers the middle.
        s.xdo("key", "space", "key", "space", "key", "space")
        wait_for("the Bottom mode", lambda: "_NET_WM_STATE_BELOW" in s.states(s.window("calendarWindow")), 5)
        other = s.ordinary_window((CALENDAR_POS[0] + 150, CALENDAR_POS[1] + 220, 400, 200))
        question, stacking = self.ask_delete("bottom")
        self.assertGreater(stacking.index(question), stacking.index(other), "the question is under another program")
        self.answer("y")
        wait_for("the deletion to reach the service", lambda: self.DELETE in s.requests(), 5)
        self.assertIsNone(self.bar_centre(s.still_shot("deleted", s.rect("calendarWindow"))), "the event is still drawn")


class LanguageTest(DesktopTest):
    """The delete question speaks the reader's language; its text is read the way a user copies
    it: selected with the mouse, then taken from the X selection."""
    BAR = QuestionStackingTest.BAR
    QUESTIONS = {"en_US.UTF-8": "Do you really want to delete the event 'Standup'?",
                 "ko_KR.UTF-8": "정말로 'Standup' Event를 삭제하시겠습니까?"}

    def setUp(self):
        QuestionStackingTest.setUp(self)

    def bar_centre(self, shot):
        return QuestionStackingTest.bar_centre(self, shot)

    def question_text(self, question):
        s = self.s
        box = s.geometry(str(question))
        shot = s.still_shot("question-text", (box["x"], box["y"], box["w"], box["h"]))
        # The text's dark pixels, right of the icon and above the buttons.
        dark = [(x, y) for y in range(box["y"], box["y"] + box["h"] - 50)
                for x in range(box["x"] + 60, box["x"] + box["w"]) if max(shot.pixel(x, y)) < 90]
        self.assertTrue(dark, "no text in the question")
        left, top = min(x for x, _ in dark), min(y for _, y in dark)
        right, bottom = max(x for x, _ in dark), max(y for _, y in dark)
        # From the first glyph's left edge, which puts the selection's start before it, past the last.
        middle = (top + bottom) // 2
        s.xdo("mousemove", str(left + 1), str(middle), "mousedown", "1", "mousemove", str(right - 20), str(middle),
              "mousemove", str(right + 4), str(middle), "mouseup", "1")
        return wait_for("the selection", lambda: s.x("xclip", "-o", "-selection", "primary").strip(), 5)

    def check_language(self, lang):
        s = self.s
        for outranking in ("LANGUAGE", "LC_ALL", "LC_MESSAGES", "ORB_LANG"):
            s.env.pop(outranking, None)
        s.env["LANG"] = lang
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, ZorderCalendar=NORMAL, WindowPosCalendar=CALENDAR_POS, bShowList=1,
                 bShowCalendar=1)
        self.loaded("mainWindow", "main")
        s.xdo("mousemove", *s.at("mainWindow", 150, 10), "click", "3")
        wait_for("the Control menu", s.popup_menu)
        s.shot("control-menu")
        s.xdo("key", "Escape")
        wait_for("the Control menu to close", lambda: not s.popup_menu(), 5)
        centre = self.bar_centre(s.still_shot("calendar", s.rect("calendarWindow")))
        self.assertTrue(centre, "the event is not drawn")
        s.xdo("mousemove", str(centre[0]), str(centre[1]), "click", "1", "key", "Delete")
        question = wait_for("the question", lambda: s.transients())[0]
        self.assertEqual(self.QUESTIONS[lang], self.question_text(question))
        s.shot("question")
        s.xdo("key", "Escape")
        wait_for("the question to close", lambda: not s.transients(), 5)
        # A free day: a double-click there opens the editor for a new event.
        s.xdo("mousemove", *s.at("calendarWindow", 350, 400), "click", "--repeat", "2", "--delay", "120", "1")
        editor = lambda: EditorDropDownTest.editor(self)
        wait_for("the event editor", editor, 10)
        s.shot("editor")  # its caret blinks: the screen never settles
        s.xdo("key", "Escape")
        wait_for("the editor to close", lambda: not editor(), 5)
        self.assertNotIn(QuestionStackingTest.DELETE, s.requests())

    def test_english_locale_asks_in_english(self):
        self.check_language("en_US.UTF-8")

    def test_korean_locale_asks_in_korean(self):
        self.check_language("ko_KR.UTF-8")


class ReminderSeed:
    """An event starting a minute and a few seconds from now with a one-minute popup, so that
    its reminder is due a few seconds after the program has loaded it."""
    LEAD = datetime.timedelta(seconds=75)

    def __init__(self):
        self.start = (datetime.datetime.now().astimezone() + self.LEAD).replace(microsecond=0)
        end = self.start + datetime.timedelta(minutes=30)
        day = "" if end.date() == self.start.date() else end.strftime("%Y-%m-%d ")
        self.body = "%s - %s%s\nRoom 4\nMe" % (self.start.strftime("%Y-%m-%d %H:%M"), day, end.strftime("%H:%M"))
        self.seed = default_seed()
        self.seed["calendar"]["calendars"][0]["events"] = [
            {"id": "lunch1", "summary": "Lunch with Ann", "location": "Room 4",
             "start": {"dateTime": self.start.isoformat()}, "end": {"dateTime": end.isoformat()},
             "reminders": {"useDefault": False, "overrides": [{"method": "popup", "minutes": 1}]}}]


class ReminderTest(DesktopTest):
    def setUp(self):
        self.reminder = ReminderSeed()
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        self.s.start(seed=self.reminder.seed)
        self.s.start_session_bus()

    def test_announced_once_and_open_shows_the_editor(self):
        s = self.s
        server, calls = s.notification_server()
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1, bShowCalendar=0)
        wait_for("the reminder to be announced", lambda: calls, 30)
        call = calls[0]
        self.assertEqual(("OrbCalender", "orbcalender", "Lunch with Ann", self.reminder.body),
                         (call["app"], call["icon"], call["summary"], call["body"]))
        self.assertEqual(["default", "Open", "open", "Open", "snooze", "Snooze 5 min", "dismiss", "Dismiss"],
                         call["actions"])

        server.stdin.write(b"invoke %d open\n" % call["id"])
        server.stdin.flush()
        main = int(s.wait_window("mainWindow"))

        def editor():
            # The editor is untitled, so it is found as the program's one other shown window.
            shown = s.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(s.app.pid)).split()
            return [int(w) for w in shown if int(w) != main and not s.geometry(w)["override"]]

        opened = wait_for("the event editor", editor, 10)
        self.assertEqual([main], s.window_ids("WM_TRANSIENT_FOR", opened[0]), "it opens over the main window")
        time.sleep(0.5)  # painted; its text cursor blinks, so the screen never settles
        s.shot("event-editor")
        # Longer than the program's look at the store: a later pass must not announce it again.
        time.sleep(6)
        self.assertEqual(1, len(calls), calls)
        with open(os.path.join(s.folder, "orbcalender.log"), encoding="utf-8") as log:
            self.assertIn("Reminder shown by the notification service: Lunch with Ann", log.read())


class ReminderTrayTest(DesktopTest):
    tray = True

    def setUp(self):
        self.reminder = ReminderSeed()
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        self.s.start(tray=True, seed=self.reminder.seed)
        self.s.start_session_bus()

    def test_without_a_notification_service_the_tray_shows_it(self):
        s = self.s
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1, bShowCalendar=0)
        log = os.path.join(s.folder, "orbcalender.log")

        def shown():
            with open(log, encoding="utf-8") as out:
                return "Reminder shown in the tray: Lunch with Ann" in out.read()

        wait_for("the tray's message", shown, 30)
        s.shot("tray-message")


class XWaylandTest(unittest.TestCase):
    """A Wayland session with XWayland (weston, headless): the program runs on X11 through
    XWayland, where its windows can be placed and stacked."""

    def setUp(self):
        if not shutil.which("weston") or not shutil.which("Xwayland"):
            self.skipTest("weston and xwayland are not installed: run scripts/install-deps.sh")
        self.s = DesktopSession(self.id().split(".", 1)[1])
        self.addCleanup(self.s.close)
        self.s.start()

    def test_a_wayland_session_with_xwayland_runs_the_program_on_x11(self):
        s = self.s
        socket = "orb-wayland-%d" % os.getpid()
        weston = s._spawn(["weston", "--backend=headless-backend.so", "--xwayland", "--socket=" + socket,
                           "--idle-time=0"], "weston.log")
        log = os.path.join(s.folder, "weston.log")

        def xwayland_display():
            with open(log, errors="replace") as out:
                found = re.search(r"xserver listening on display (:\d+)", out.read())
            return found and found.group(1)

        display = wait_for("weston's XWayland display", xwayland_display, 20)
        self.assertIsNone(weston.poll())
        # As a desktop session starts a program: both variables, no platform asked for.
        del s.env["QT_QPA_PLATFORM"]
        s.env.update(WAYLAND_DISPLAY=socket, DISPLAY=display)
        s.launch(Zorder=NORMAL, WindowPos=MAIN_POS, bShowList=1)
        wait_for("the main window on XWayland", lambda: s.x("xdotool", "search", "--onlyvisible", "--pid",
                                                              str(s.app.pid), "--name", "."), 30)
        with open("/proc/%d/maps" % s.app.pid) as maps:
            plugins = {os.path.basename(line.split()[-1]) for line in maps if "/platforms/" in line}
        self.assertEqual({"libqxcb.so"}, plugins)
        with open(os.path.join(s.folder, "orbcalender.log"), errors="replace") as out:
            self.assertIn("Window system: X11 through XWayland, so the windows can be placed and stacked",
                          out.read())
        self.assertEqual(0, s.terminate())


if __name__ == "__main__":
    if not os.path.isfile(os.environ.get("ORB_PROGRAM", "")):
        print("orbcalender is not built: skipping the desktop lane")
        sys.exit(77)
    unittest.main(verbosity=2)
