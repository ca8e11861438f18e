#!/usr/bin/env bash
# ./dev's demo without a display: it prints velmaro-cli's scan and ping tables from inside
# its lab and leaves no namespace behind, both when it runs to its end and when Ctrl-C
# interrupts it half way. Root only (the lab); skipped otherwise.
set -uo pipefail
dev=$1
build=$2
[[ $(id -u) -eq 0 ]] || { echo "the demo's lab needs root; skipped"; exit 77; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export VELMARO_BUILD=$build VELMARO_DEMO_STATE=$work/demo.state

fail() {
  echo "FAIL: $*"
  cat "$work"/*.log
  exit 1
}

# The lab's namespace prefix as "velmaro-lab up" announces it.
prefix_of() { sed -n 's/^velmaro-lab: lab \(vlab[0-9a-f]*-\) is up.*/\1/p' "$1" | head -n1; }

check_nothing_left() {
  local prefix
  prefix=$(prefix_of "$1")
  [[ -n $prefix ]] || fail "no lab came up"
  if ip netns list | awk '{ print $1 }' | grep -q "^$prefix"; then
    fail "namespaces of lab $prefix were left behind"
  fi
  [[ ! -e $VELMARO_DEMO_STATE ]] || fail "the lab's state file was left behind"
  ! grep -q 'unbound variable' "$1" || fail "the script read an unset variable"
}

# To its end.
env -u DISPLAY timeout 300 "$dev" demo >"$work/end.log" 2>&1 || fail "the demo ended with status $?"
[[ $(grep -c '^Host IP' "$work/end.log") -eq 2 ]] || fail "not two tables (scan and ping)"
grep -q '^198\.18\.7\.21 ' "$work/end.log" || fail "the lab's unit 198.18.7.21 is missing"
check_nothing_left "$work/end.log"

# Interrupted while the ping runs, as Ctrl-C does it: the signal goes to the whole process
# group. The demo runs in a group of its own, with SIGINT at its default (a background job
# would ignore it).
setsid env --default-signal=INT -u DISPLAY "$dev" demo >"$work/interrupted.log" 2>&1 &
demo=$!
for ((i = 0; i < 600; i++)); do
  grep -q 'velmaro-cli ping' "$work/interrupted.log" && break
  sleep 0.1
done
grep -q 'velmaro-cli ping' "$work/interrupted.log" || { kill -KILL -- -"$demo"; fail "the ping never started"; }
kill -INT -- -"$demo"
wait "$demo"
status=$?
[[ $status -eq 130 ]] || fail "the interrupted demo ended with status $status, not 130"
check_nothing_left "$work/interrupted.log"
echo "the demo printed both tables and took its lab down, also when interrupted"
