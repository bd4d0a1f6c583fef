#!/usr/bin/env bash
# Builds the Debian package, installs it with apt, starts the installed program under Xvfb
# the way the application menu does, stops it, removes the package and checks that only
# the user's settings remain. Needs root (or sudo): it installs into the system.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORB_BUILD_DIR:-$root/build}"
sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
app_id=io.github.orbcalender.OrbCalender
entry=/usr/share/applications/$app_id.desktop

"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
rm -f "$build"/orbcalender_*.deb
(cd "$build" && cpack -G DEB >/dev/null)
deb="$(ls "$build"/orbcalender_*.deb)"
echo "== $(basename "$deb"): $(dpkg-deb -f "$deb" Depends)"

fail() {
    echo "package check: $*" >&2
    exit 1
}

# Debian's own checker, on everything the package holds: any error or warning fails.
# Info tags are shown, not counted; overrides need a reason in packaging/lintian-overrides.
allow_root=()
[ "$(id -u)" -ne 0 ] || allow_root=(--allow-root)
lintian "${allow_root[@]}" --fail-on error,warning --display-info "$deb" || fail "lintian refuses $(basename "$deb")"
echo "== lintian: no errors, no warnings"

export DEBIAN_FRONTEND=noninteractive
$sudo apt-get install -y -qq "$deb" >/dev/null
files="$(dpkg -L orbcalender | while read -r f; do [ -f "$f" ] && echo "$f"; done)"
for f in /usr/bin/orbcalender "$entry" /usr/share/metainfo/$app_id.metainfo.xml \
    /usr/share/icons/hicolor/scalable/apps/orbcalender.svg /usr/share/icons/hicolor/48x48/apps/orbcalender.png \
    /usr/share/doc/orbcalender/copyright /usr/share/doc/orbcalender/changelog.Debian.gz \
    /usr/share/man/man1/orbcalender.1.gz; do
    grep -qx "$f" <<<"$files" || fail "$f is not installed"
done
desktop-file-validate "$entry"
[ "$(man -w orbcalender)" = /usr/share/man/man1/orbcalender.1.gz ] || fail "man orbcalender does not find the page"
appstreamcli validate --no-net /usr/share/metainfo/$app_id.metainfo.xml >/dev/null

# Started as the menu starts it, in a fresh home, on a display of its own.
home="$(mktemp -d)"
display=":$((90 + RANDOM % 100))"
Xvfb "$display" -screen 0 1280x800x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$home"' EXIT
sleep 1
read -r -a command <<<"$(sed -n 's/^Exec=//p' "$entry")"
(cd / && exec env -i PATH=/usr/bin:/bin HOME="$home" DISPLAY="$display" "${command[@]}" >"$home/out.log" 2>&1) &
program=$!
settings="$home/.config/orbcalender"
for _ in $(seq 1 100); do
    [ -n "$(DISPLAY=$display xdotool search --onlyvisible --pid "$program" 2>/dev/null)" ] && break
    kill -0 "$program" 2>/dev/null || fail "the program ended at start: $(cat "$home/out.log")"
    sleep 0.2
done
[ -n "$(DISPLAY=$display xdotool search --onlyvisible --pid "$program" 2>/dev/null)" ] || fail "no window shown"
[ "$(stat -c %a "$settings")" = 700 ] || fail "$settings is not owner-only"
DISPLAY=$display import -window root "$build/package-check.png" 2>/dev/null || true
kill -TERM "$program"
wait "$program" || fail "the program did not end cleanly on SIGTERM"
[ -f "$settings/info.dat" ] || fail "no info.dat in $settings"
echo "== started from $entry, showed a window, kept its settings in ~/.config/orbcalender, ended on SIGTERM"

$sudo apt-get remove -y -qq orbcalender >/dev/null
while read -r f; do
    [ ! -e "$f" ] || fail "$f is left after removal"
done <<<"$files"
[ -f "$settings/info.dat" ] || fail "the user's settings went with the package"
echo "== removed: nothing left but the user's settings"
