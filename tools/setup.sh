#!/usr/bin/env bash
# Installs everything the build and the tests need (as root; idempotent, quick when done).
set -euo pipefail
source "$(dirname "$0")/lib.sh"
tn_setup_all
