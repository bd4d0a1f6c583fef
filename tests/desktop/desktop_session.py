"""One desktop session for the desktop lane: Xvfb, openbox, an optional tray host, the
stand-in service and orbcalender, driven with xdotool and read through the window system."""

import ctypes
import datetime
import json
import os
import shutil
import signal
import ssl
import struct
import subprocess
import tempfile
import threading
import time
import urllib.request
import zlib

TITLE = "Marlo's Calender"
LOGIN_TITLE = "Marlo's Calendar Login"
TOKEN = "1//desktop-lane-token"
SCREEN = (1280, 1024)
TOOLS = ("Xvfb", "openbox", "xdotool", "xprop", "xwininfo", "import", "trayer", "xmessage", "dbus-daemon")

INT, RECT, FONT = 4, 16, 60
# Every [Login] entry the program writes, with the size of the struct ones (0: text).
LOGIN_KEYS = {
    "KEY": 0, "U": 0, "P": 0, "WindowPos": RECT, "Zorder": INT, "Alpha": INT, "nCal_from": INT,
    "nCal_to": INT, "nTaskViewMode": INT, "bAllExpend": INT, "bDueHide": INT, "defaultFont": FONT,
    "defaultCalendarFont": FONT, "WindowPosCalendar": RECT, "ZorderCalendar": INT,
    "bShowCalendar": INT, "bShowList": INT, "CalendarShowRow": INT, "bReminders": INT, "nTaskReminderTime": INT,
}


def wait_for(what, probe, timeout=10.0, interval=0.05):
    """Polls `probe` until it returns something truthy; fails naming `what` at the deadline."""
    deadline = time.monotonic() + timeout
    while True:
        value = probe()
        if value:
            return value
        if time.monotonic() > deadline:
            raise AssertionError("timed out after %.1f s waiting for %s" % (timeout, what))
        time.sleep(interval)


# --- info.dat -------------------------------------------------------------------------

def struct_entry(data):
    return (data + bytes([sum(data) % 256])).hex().upper()


def font_bytes(height, face=b""):
    return struct.pack("<5i8B32s", height, 0, 0, 0, 400, 0, 0, 0, 1, 0, 0, 0, 0, face)


def write_settings(path, service_base, key=TOKEN, service=(), **login):
    """`login` values: int, a 4-tuple rectangle, or bytes for a font; `service`: more
    [Service] lines."""
    lines = ["[Service]", "AccountsBase=" + service_base, "ApiBase=" + service_base,
             "ClientId=desktop-client", "ClientSecret=desktop-secret", "StartPage=", *service,
             "[Login]", "KEY=" + key]
    for name, value in login.items():
        if isinstance(value, int):
            data = struct.pack("<i", value)
        elif isinstance(value, tuple):
            data = struct.pack("<4i", *value)
        else:
            data = value
        lines.append("%s=%s" % (name, struct_entry(data)))
    with open(path, "w", newline="") as out:
        out.write("\r\n".join(lines) + "\r\n")


def read_settings(path):
    """{section: {key: value}}; struct values are decoded to bytes (None when malformed)."""
    sections, current = {}, None
    with open(path, newline="") as src:
        text = src.read()
    for line in text.split("\r\n"):
        if line.startswith("["):
            current = sections.setdefault(line.strip("[]"), {})
        elif "=" in line and current is not None:
            key, value = line.split("=", 1)
            current[key] = value
    login = sections.get("Login", {})
    for key, size in LOGIN_KEYS.items():
        if size and key in login:
            raw = bytes.fromhex(login[key]) if len(login[key]) == 2 * (size + 1) else b""
            login[key] = raw[:-1] if raw and sum(raw[:-1]) % 256 == raw[-1] else None
    return sections


def login_int(sections, key):
    return struct.unpack("<i", sections["Login"][key])[0]


# --- screenshots ----------------------------------------------------------------------

class Shot:
    """An RGB screenshot of the whole screen. ImageMagick's import reads each window, so it
    also shows popup menus, which a plain read of the root window leaves black."""

    def __init__(self, env):
        ppm = subprocess.run(["import", "-silent", "-window", "root", "-depth", "8", "ppm:-"], env=env,
                             capture_output=True, check=True, timeout=20).stdout
        magic, width, height, maxval, data = ppm.split(maxsplit=4)
        if magic != b"P6" or maxval != b"255":
            raise AssertionError("import gave an unexpected image header")
        self.width, self.height = int(width), int(height)
        stride = 3 * self.width
        self.rows = [data[y * stride:(y + 1) * stride] for y in range(self.height)]

    def pixel(self, x, y):
        return tuple(self.rows[y][3 * x:3 * x + 3])

    def crop(self, rect):
        x, y, w, h = rect
        return [row[3 * x:3 * (x + w)] for row in self.rows[y:y + h]]

    def save_png(self, path):
        raw = b"".join(b"\0" + row for row in self.rows)

        def chunk(kind, body):
            return struct.pack(">I", len(body)) + kind + body + struct.pack(">I", zlib.crc32(kind + body))

        with open(path, "wb") as out:
            out.write(b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">2I5B", self.width, self.height, 8, 2, 0, 0, 0))
                      + chunk(b"IDAT", zlib.compress(raw, 6)) + chunk(b"IEND", b""))


def cursor_image(display):
    """The pointer's current image (size, hot spot and pixels), read through XFixes."""

    class CursorImage(ctypes.Structure):
        _fields_ = [("x", ctypes.c_short), ("y", ctypes.c_short), ("width", ctypes.c_ushort),
                    ("height", ctypes.c_ushort), ("xhot", ctypes.c_ushort), ("yhot", ctypes.c_ushort),
                    ("serial", ctypes.c_ulong), ("pixels", ctypes.POINTER(ctypes.c_ulong))]

    x11, xfixes = ctypes.CDLL("libX11.so.6"), ctypes.CDLL("libXfixes.so.3")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XCloseDisplay.argtypes = x11.XFree.argtypes = [ctypes.c_void_p]
    xfixes.XFixesGetCursorImage.restype = ctypes.POINTER(CursorImage)
    xfixes.XFixesGetCursorImage.argtypes = [ctypes.c_void_p]
    dpy = x11.XOpenDisplay(display.encode())
    if not dpy:
        raise AssertionError("cannot open display " + display)
    image = xfixes.XFixesGetCursorImage(dpy).contents
    pixels = tuple(image.pixels[i] & 0xFFFFFFFF for i in range(image.width * image.height))
    result = (image.width, image.height, image.xhot, image.yhot, pixels)
    x11.XFree(ctypes.addressof(image))
    x11.XCloseDisplay(dpy)
    return result


# --- the session ----------------------------------------------------------------------

def default_seed():
    today = datetime.date.today()
    day = lambda d: {"date": today.replace(day=d).isoformat()}
    events = [{"summary": "Planning", "start": day(3), "end": day(4)},
              {"summary": "Review", "colorId": "4", "start": day(12), "end": day(14)},
              {"summary": "Trip", "colorId": "10", "start": day(20), "end": day(23)}]
    tasks = [{"id": "t%d" % i, "title": "Task number %d" % i} for i in range(1, 9)]
    return {"oauth": {"refreshTokens": [TOKEN]},
            "calendar": {"calendars": [{"id": "me@example.com", "summary": "Me", "primary": True,
                                        "selected": True, "colorId": "14", "events": events}]},
            "tasks": {"taskLists": [{"id": "home", "title": "Home", "tasks": tasks}]}}


class DesktopSession:
    """Starts everything in `start`; `close` ends every process it started, in reverse."""

    def __init__(self, name):
        self.program = os.environ["ORB_PROGRAM"]
        self.service = os.environ["ORB_FAKE_SERVICE"]
        self.folder = os.path.join(os.environ.get("ORB_DESKTOP_OUTPUT", tempfile.gettempdir()), name)
        shutil.rmtree(self.folder, ignore_errors=True)
        os.makedirs(self.folder)
        self.private = tempfile.mkdtemp(prefix="orb-desktop-")
        os.chmod(self.private, 0o700)
        self.settings_path = os.path.join(self.folder, "info.dat")
        self.processes = []
        self.app = None
        self.shots = 0
        self.env = dict(os.environ, HOME=self.private, XDG_RUNTIME_DIR=self.private, LANG="C.UTF-8",
                        QT_QPA_PLATFORM="xcb", QTWEBENGINE_DISABLE_SANDBOX="1", QT_SCALE_FACTOR="1",
                        QT_ENABLE_HIGHDPI_SCALING="0", QT_ACCESSIBILITY="0",
                        DBUS_SESSION_BUS_ADDRESS="unix:path=" + os.path.join(self.private, "no-bus"))
        missing = [tool for tool in TOOLS if not shutil.which(tool)]
        if missing:
            raise AssertionError("missing tools %s: run scripts/install-deps.sh" % ", ".join(missing))

    def _spawn(self, args, log, **kwargs):
        out = open(os.path.join(self.folder, log), "wb")
        process = subprocess.Popen(args, stdout=kwargs.pop("stdout", out), stderr=out, env=self.env,
                                   stdin=kwargs.pop("stdin", subprocess.DEVNULL), **kwargs)
        out.close()
        self.processes.append(process)
        return process

    def start(self, tray=False, seed=None, strict=False):
        read, write = os.pipe()
        self._spawn(["Xvfb", "-displayfd", str(write), "-screen", "0", "%dx%dx24" % SCREEN,
                     "-nolisten", "tcp", "-noreset"], "xvfb.log", pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as display:
            number = display.readline().strip()
        if not number:
            raise AssertionError("Xvfb did not start; see xvfb.log in " + self.folder)
        self.env["DISPLAY"] = ":" + number
        self._spawn(["openbox", "--sm-disable"], "openbox.log")
        # Openbox announces itself before it manages windows; the work area comes once it does.
        wait_for("openbox", lambda: "= " in self.x("xprop", "-root", "_NET_WORKAREA"))
        if tray:
            self._spawn(["trayer", "--edge", "bottom", "--align", "right", "--widthtype", "pixel",
                         "--width", "120", "--heighttype", "pixel", "--height", "24"], "trayer.log")
            wait_for("the tray host", lambda: self.x("xdotool", "search", "--onlyvisible", "--class", "^trayer$"))
        seed_path = os.path.join(self.folder, "seed.json")
        with open(seed_path, "w") as out:
            json.dump(seed or default_seed(), out)
        service = self._spawn([self.service, "--seed", seed_path] + (["--strict"] if strict else []),
                              "fake-service.log", stdout=subprocess.PIPE)
        self.service_process = service
        lines = [service.stdout.readline().decode() for _ in range(2)]
        prefixes = ("orb-fake-service listening on ", "orb-fake-service control key ")
        if not all(line.startswith(prefix) for line, prefix in zip(lines, prefixes)):
            raise AssertionError("the stand-in did not start: %r" % lines)
        self.base, self.control_key = (line[len(prefix):].strip() for line, prefix in zip(lines, prefixes))

    def start_session_bus(self):
        """A session bus of this session's own, for the program and a notification service."""
        read, write = os.pipe()
        self._spawn(["dbus-daemon", "--session", "--nofork", "--nopidfile", "--print-address=%d" % write],
                    "dbus-daemon.log", pass_fds=(write,))
        os.close(write)
        with os.fdopen(read) as out:
            address = out.readline().strip()
        if not address:
            raise AssertionError("dbus-daemon did not start; see dbus-daemon.log in " + self.folder)
        self.env["DBUS_SESSION_BUS_ADDRESS"] = address

    def notification_server(self):
        """The lane's notification service on the session bus: returns (process, the Notify calls
        seen so far, each a dict, growing as they come)."""
        server = self._spawn([os.environ["ORB_NOTIFICATION_SERVER"]], "notification-server.log",
                             stdout=subprocess.PIPE, stdin=subprocess.PIPE)
        if server.stdout.readline().strip() != b"ready":
            raise AssertionError("the notification service did not start; see notification-server.log")
        calls = []
        threading.Thread(target=lambda: [calls.append(json.loads(line)) for line in iter(server.stdout.readline, b"")],
                         daemon=True).start()
        return server, calls

    def launch(self, key=TOKEN, service=(), **login):
        write_settings(self.settings_path, self.base, key, service, **login)
        self.app = self._spawn([self.program], "orbcalender.log", cwd=self.folder)

    def stop_service(self):
        """Takes the stand-in down: from now on nothing answers at its address."""
        self.service_process.terminate()
        self.service_process.wait(5)

    def close(self):
        for process in reversed(self.processes):
            if process.poll() is None:
                process.terminate()
                try:
                    process.wait(5)
                except subprocess.TimeoutExpired:
                    process.kill()
                    process.wait()
            for pipe in (process.stdin, process.stdout):
                if pipe:
                    pipe.close()
        shutil.rmtree(self.private, ignore_errors=True)

    def ordinary_window(self, rect):
        """Another program's plain window at `rect` (x, y, w, h), shown and focused; returns its id."""
        x, y, w, h = rect
        other = self._spawn(["xmessage", "-geometry", "%dx%d+%d+%d" % (w, h, x, y), "another program"], "xmessage.log")
        wid = wait_for("the other program's window", lambda: self.x("xdotool", "search", "--onlyvisible", "--pid",
                                                                       str(other.pid), "--name", "xmessage"))
        return int(wid.split()[0])

    def requests(self):
        """What the stand-in has been asked so far: (method, target) pairs."""
        insecure = ssl.create_default_context()
        insecure.check_hostname = False
        insecure.verify_mode = ssl.CERT_NONE
        asked = urllib.request.Request(self.base + "/__control/requests",
                                       headers={"X-Orb-Control-Key": self.control_key})
        with urllib.request.urlopen(asked, context=insecure, timeout=10) as answer:
            return [(r["method"], r["target"]) for r in json.load(answer)]

    # --- the window system ---

    def x(self, *args):
        return subprocess.run(args, env=self.env, capture_output=True, text=True, timeout=20).stdout

    def xdo(self, *args):
        subprocess.run(("xdotool",) + args, env=self.env, check=True, timeout=20)

    def window(self, role, viewable=True):
        """The program's top-level window with this WM_WINDOW_ROLE (Qt may re-create it on a mode change)."""
        for wid in self.x("xdotool", "search", "--all", "--pid", str(self.app.pid), "--name", "^" + TITLE + "$").split():
            if '"%s"' % role in self.x("xprop", "-id", wid, "WM_WINDOW_ROLE"):
                if not viewable or self.geometry(wid)["map"] == "IsViewable":
                    return wid
        return None

    def shown_roles(self):
        """The roles of the program's shown top-level windows (None for one without a role)."""
        roles = []
        for wid in self.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                          "--name", "^" + TITLE + "$").split():
            role = self.x("xprop", "-id", wid, "WM_WINDOW_ROLE").partition("= ")[2].strip().strip('"')
            roles.append(role or None)
        return sorted(roles, key=str)

    def wait_window(self, role, timeout=20):
        return wait_for("the %s to be shown" % role, lambda: self.window(role), timeout)

    def geometry(self, wid):
        info = {}
        for line in self.x("xwininfo", "-id", wid).splitlines():
            key, _, value = line.strip().partition(": ")
            info[key] = value
        return {"x": int(info.get("Absolute upper-left X", 0)), "y": int(info.get("Absolute upper-left Y", 0)),
                "w": int(info.get("Width", 0)), "h": int(info.get("Height", 0)), "map": info.get("Map State"),
                "override": info.get("Override Redirect State") == "yes"}

    def rect(self, role):
        g = self.geometry(self.wait_window(role))
        return g["x"], g["y"], g["w"], g["h"]

    def states(self, wid):
        return self.x("xprop", "-id", str(wid), "_NET_WM_STATE", "WM_STATE")

    def window_ids(self, prop, wid=None):
        """The window ids an X property lists (WM_TRANSIENT_FOR, _NET_CLIENT_LIST_STACKING, ...), as ints."""
        where = ("-id", str(wid)) if wid else ("-root",)
        return [int(w, 16) for w in self.x("xprop", *where, prop).partition("#")[2].replace(",", " ").split()]

    def cardinals(self, wid, prop):
        return [int(v) for v in self.x("xprop", "-id", str(wid), prop).partition("=")[2].replace(",", " ").split()]

    def transients(self):
        """The program's shown windows that are transients of another (questions, messages, editors)."""
        return [int(w) for w in self.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                                       "--name", ".").split()
                if self.geometry(w)["map"] == "IsViewable" and not self.geometry(w)["override"]
                and self.window_ids("WM_TRANSIENT_FOR", w)]

    def frame_rect(self, wid):
        """The window's outer rectangle: its client area grown by the frame the window manager drew."""
        g = self.geometry(str(wid))
        left, right, top, bottom = self.cardinals(wid, "_NET_FRAME_EXTENTS") or [0, 0, 0, 0]
        return g["x"] - left, g["y"] - top, g["w"] + left + right, g["h"] + top + bottom

    def focused(self):
        """The window that has the keyboard focus."""
        return int(self.x("xdotool", "getwindowfocus").strip() or 0)

    def popup_menu(self):
        """A shown popup (override-redirect) window of the program, such as a menu, if any."""
        for wid in self.x("xdotool", "search", "--all", "--onlyvisible", "--pid", str(self.app.pid),
                          "--class", "orbcalender").split():
            if "Override Redirect State: yes" in self.x("xwininfo", "-id", wid):
                return wid
        return None

    def at(self, role, x, y):
        """Screen coordinates of (x, y) in the window; negative values count from the right or bottom."""
        left, top, width, height = self.rect(role)
        return str(left + (x if x >= 0 else width + x)), str(top + (y if y >= 0 else height + y))

    def settled_cursor(self, what, like=None, unlike=None):
        """The pointer's image once it reads the same twice in a row (and is `like`, not `unlike`)."""
        last = [None]

        def probe():
            now = cursor_image(self.env["DISPLAY"])
            steady = now == last[0] and now != unlike and (like is None or now == like)
            last[0] = now
            return now if steady else None

        return wait_for(what, probe, 3, 0.05)

    def drag(self, start, by, steps=8):
        x, y = int(start[0]), int(start[1])
        self.xdo("mousemove", str(x), str(y))
        # Held briefly, as a hand does: the window manager measures from where the
        # pointer is once the program has handed the drag over.
        self.xdo("mousedown", "1", "sleep", "0.25")
        for i in range(1, steps + 1):
            to = (min(max(x + by[0] * i // steps, 0), SCREEN[0] - 1), min(max(y + by[1] * i // steps, 0), SCREEN[1] - 1))
            self.xdo("mousemove", str(to[0]), str(to[1]), "sleep", "0.03")
        self.xdo("mouseup", "1")

    def settled_rect(self, role, changed_from=None, timeout=5):
        """The window's rectangle once it stops changing (and differs from `changed_from` when given)."""
        last = [None]

        def probe():
            now = self.rect(role)
            steady = now == last[0] and now != changed_from
            last[0] = now
            return now if steady else None

        return wait_for("the %s's geometry to settle" % role, probe, timeout, 0.15)

    # --- screenshots ---

    def shot(self, label, shot=None):
        shot = shot or Shot(self.env)
        self.shots += 1
        shot.save_png(os.path.join(self.folder, "%02d-%s.png" % (self.shots, label)))
        return shot

    def still_shot(self, label, rect, timeout=20):
        """A screenshot once `rect` has looked the same three times in a row (loading and animations over)."""
        seen = []

        def probe():
            seen[:] = seen[-2:] + [Shot(self.env)]
            crops = [shot.crop(rect) for shot in seen]
            return len(crops) == 3 and crops[0] == crops[1] == crops[2]

        wait_for("the screen to settle", probe, timeout, 0.25)
        return self.shot(label, seen[-1])

    # --- ending ---

    def terminate(self, within=5.0):
        """SIGTERM; returns the exit status, failing when it takes longer than `within` seconds."""
        self.app.send_signal(signal.SIGTERM)
        try:
            return self.app.wait(within)
        except subprocess.TimeoutExpired:
            raise AssertionError("orbcalender did not end within %.0f s of SIGTERM" % within) from None
