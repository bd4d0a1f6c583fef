#!/usr/bin/env bash
# Installs what is missing, builds, and starts the demo against the local stand-in
# service (it seeds demo data and serves on 127.0.0.1).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ORB_BUILD_DIR:-$root/build}"
"$root/scripts/install-deps.sh"
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" -j2
exec "$build/tools/fake-service/orb-fake-service" --seed "$root/tools/fake-service/demo_seed.json"
