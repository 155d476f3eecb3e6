#!/usr/bin/env bash
# The delayed-calls probe as built: every function slot starts at its own loader stub, and the
# probe calls into each library tn.exe loads at its first call, so none is left untried.
# Usage: check-delayed-calls.sh EXE NM DLL...
set -euo pipefail
exe=$1 nm=$2
shift 2
[ -f "$exe" ] || { echo "no probe at '$exe'"; exit 1; }
delayed=$(python3 "$(dirname "$0")/delay-imports.py" "$exe" "$exe" "$nm") ||
    { echo "the probe's delay-loaded imports are wrong or unreadable (above)"; exit 1; }
for dll in "$@"; do
    grep -qix "$dll\.dll .*" <<<"$delayed" || { echo "the probe calls nothing of $dll.dll"; exit 1; }
done
echo "ok: $(file -b "$exe")"
echo "$delayed"
