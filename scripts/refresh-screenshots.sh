#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Refreshes the README screenshots in docs/screenshots from a run of the
# end-to-end tests (which otherwise write them into the build folder only).
#   scripts/refresh-screenshots.sh [build-folder]
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$root/build}"
bash "$root/scripts/build.sh" "$dir"
python3 "$root/tests/e2e/run_e2e.py" --bin "$dir/app/veldraplot" \
  --examples "$root/examples" --shots "$root/docs/screenshots"
