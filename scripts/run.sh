#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo: the local stand-in service
# seeded with demo data, and OrbCalender in a demo folder whose info.dat points at it.
# The first run signs in as with Google: the stand-in's consent page opens in your browser
# (the BROWSER variable is honoured), and Allow there signs in and loads. The stand-in runs
# in strict mode, refusing what Google refuses. It keeps its state (tokens, calendars,
# events, tasks) in the demo folder's
# fake-service-state.json, so later runs sign in silently and show the earlier edits;
# delete it to start again from the demo seed (and the consent page).
set -euo pipefail
# The demo folder holds tokens, the stand-in's control key and its log: the owner's alone.
umask 077
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORB_BUILD_DIR:-$root/build}"
demo="${ORB_DEMO_DIR:-$root/build-demo}"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORB_CLIENT_ID=demo-client -DORB_CLIENT_SECRET=demo-secret >/dev/null
cmake --build "$build" -j2 --target orbcalender orb-fake-service

mkdir -p "$demo"
chmod 700 "$demo" # made by an earlier run under a wider umask
log="$demo/fake-service.log"
rm -f "$log" # an earlier run's may be readable by others, and this one holds the control key
state="$demo/fake-service-state.json"
"$build/tools/fake-service/orb-fake-service" --seed "$root/tools/fake-service/demo_seed.json" \
    --state "$state" --strict >"$log" 2>&1 &
service_pid=$!
trap 'kill "$service_pid" 2>/dev/null || true' EXIT
base=""
for _ in $(seq 1 50); do
    base="$(sed -n 's/^orb-fake-service listening on //p' "$log" | head -n 1)"
    [ -n "$base" ] && break
    sleep 0.1
done
if [ -z "$base" ]; then
    echo "The stand-in service did not start:" >&2
    cat "$log" >&2
    exit 1
fi
echo "Stand-in service: $base (its control key is in $state.control-key)"

# Earlier demos seeded a refresh token everyone knew; one kept in the state is revoked, so
# the program asks to sign in again and gets a token of its own.
if grep -q '"demo-refresh-token"' "$state"; then
    python3 - "$base" <<'PY'
import sys, urllib.request
try:
    urllib.request.urlopen(sys.argv[1] + "/o/oauth2/revoke", b"token=demo-refresh-token", timeout=10).close()
    print("Revoked the fixed demo refresh token; sign in again in the browser.")
except Exception as failure:
    print("Could not revoke the fixed demo refresh token: %s" % failure, file=sys.stderr)
PY
fi

# Keep the user's own settings; only the [Service] section is (re)written.
# Replaced in one step: a temporary file beside it (owner-only), synced, then renamed over
# it, so a crash leaves the old file or the new one, and no one else can read the token.
python3 - "$demo/info.dat" "$base" <<'PY'
import os, re, sys, tempfile
path, base = sys.argv[1], sys.argv[2]
try:
    text = open(path, newline="").read()
except FileNotFoundError:
    text = ""
text = re.sub(r"\[Service\]\r?\n(?:(?!\[).*\r?\n?)*", "", text)
service = ("[Service]\r\nAccountsBase=%s\r\nApiBase=%s\r\nClientId=demo-client\r\n"
           "ClientSecret=demo-secret\r\nStartPage=\r\n") % (base, base)
handle, temporary = tempfile.mkstemp(prefix=".info.dat.", dir=os.path.dirname(path))
try:
    os.fchmod(handle, 0o600)
    with os.fdopen(handle, "w", newline="") as out:
        out.write(service + text)
        out.flush()
        os.fsync(out.fileno())
    os.replace(temporary, path)
except BaseException:
    os.unlink(temporary)
    raise
PY

cd "$demo"
# The embedded browser's sandbox cannot run as root.
if [ "$(id -u)" -eq 0 ]; then
    export QTWEBENGINE_DISABLE_SANDBOX=1
fi
"$build/app/orbcalender"
