#!/usr/bin/env bash
# The demo: sample measurements, listed.
set -euo pipefail
bin=$1
demo_dir=${RQX340_DEMO_DIR:-$(pwd)/demo}
rm -rf "$demo_dir"
mkdir -p "$demo_dir/measurements"
"$bin/rqx340-gen" --count 5 --rows 200 --octaves both --raw 3 --seed 1 "$demo_dir/measurements"
"$bin/rqx340" list "$demo_dir/measurements"
