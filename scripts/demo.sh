#!/usr/bin/env bash
# The demo: sample measurements, listed, then imported into the reference host,
# and what the host received.
set -euo pipefail
bin=$(cd "$1" && pwd)
demo_dir=${RQX340_DEMO_DIR:-$(pwd)/demo}
rm -rf "$demo_dir"
mkdir -p "$demo_dir/measurements"
measurements=$demo_dir/measurements
inbox=$demo_dir/inbox
log=$demo_dir/commands.log

step() { printf '\n== %s\n' "$*"; }

step "Sample measurements (rqx340-gen)"
"$bin/rqx340-gen" --count 5 --rows 200 --octaves both --raw 3 --seed 1 "$measurements"
"$bin/rqx340" list "$measurements"

# The host and the tool meet in a session directory of the demo's own, so the
# demo never touches another session of this user.
export RQX340_RUNTIME_DIR=$demo_dir/session

step "Starting the reference host (zul-refhost)"
"$bin/zul-refhost" --tool "$bin/rqx340" --inbox "$inbox" --log "$log" \
  >"$demo_dir/host.out" 2>"$demo_dir/host.err" &
host_pid=$!
stop_host() {
  if kill -0 "$host_pid" 2>/dev/null; then
    kill -TERM "$host_pid" 2>/dev/null || true
    wait "$host_pid" 2>/dev/null || true
  fi
}
trap stop_host EXIT

handle=
for _ in $(seq 1 100); do
  handle=$(sed -n 's/^window \([0-9A-F]\{8\}\)$/\1/p' "$demo_dir/host.out" | head -n 1)
  [ -n "$handle" ] && break
  if ! kill -0 "$host_pid" 2>/dev/null; then
    echo "zul-refhost ended early:" >&2
    cat "$demo_dir/host.err" >&2
    exit 1
  fi
  sleep 0.1
done
if [ -z "$handle" ]; then
  echo "zul-refhost did not report its window" >&2
  exit 1
fi
echo "host window $handle, session directory $RQX340_RUNTIME_DIR"

files=()
for path in "$measurements"/*.rqx2; do files+=("$(basename "$path")"); done
step "rqx340 import --host $handle --folder $measurements ${files[*]}"
"$bin/rqx340" import --host "$handle" --folder "$measurements" "${files[@]}"
echo "imported ${#files[@]} measurements"

step "The host's inbox ($inbox)"
ls -l "$inbox"

received=("$inbox"/*.bin)
first=${received[0]}
step "rqx340 dump $(basename "$first") --rows 1 (first lines)"
"$bin/rqx340" dump "$first" --rows 1 >"$demo_dir/dump.json"
head -n 40 "$demo_dir/dump.json"

step "Commands the host answered ($log)"
cat "$log"

stop_host
trap - EXIT
# The transfer lock ZURQX340LCK is no hand-over file: it stays, as the area's
# mutex does.
leftovers=$(ls -A "$RQX340_RUNTIME_DIR" | grep -E '^(ZURQX340|~_)' | grep -vx 'ZURQX340LCK' || true)
if [ -n "$leftovers" ]; then
  echo "hand-over files left behind: $leftovers" >&2
  exit 1
fi
step "Done: no hand-over file left in the session directory"

# The dialog, as the host starts it, when there is a display to show it on. It
# keeps its settings under demo/, never in the user's own, seeded so that it
# opens on the sample folder.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  step "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): the dialog is left out"
  echo "The import above ran headless, through rqx340 import."
  exit 0
fi
config=$demo_dir/config
dialog_inbox=$demo_dir/dialog-inbox
dialog_log=$demo_dir/dialog-commands.log
mkdir -p "$config"
printf '[RQX340Import]\nLastFolder=%s/\n' "$measurements" >"$config/rqx340-import.ini"
step "The dialog: zul-refhost --launch starts rqx340-import on $measurements/"
echo "Check measurements (click their boxes, or select rows and press Space), press"
echo "\"Import selected...\", then close the dialog."
status=0
XDG_CONFIG_HOME=$config "$bin/zul-refhost" --tool "$bin/rqx340-import" --inbox "$dialog_inbox" \
  --log "$dialog_log" --launch >"$demo_dir/dialog-host.out" 2>"$demo_dir/dialog-host.err" || status=$?
if [ "$status" -ne 0 ]; then
  echo "zul-refhost ended with status $status:" >&2
  cat "$demo_dir/dialog-host.err" >&2
  exit 1
fi

step "What the host received from the dialog ($dialog_inbox)"
if [ -d "$dialog_inbox" ]; then ls -l "$dialog_inbox"; else echo "(nothing was imported)"; fi
step "Commands the host answered ($dialog_log)"
cat "$dialog_log"
step "The dialog's settings ($config/rqx340-import.ini)"
cat "$config/rqx340-import.ini"
