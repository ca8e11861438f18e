#!/usr/bin/env bash
# velmaro-lab reads only a state file that root wrote alone, and acts only on what is the lab's:
# a link, a file others may write or that another user owns, and a prefix that is not the lab's
# are refused with nothing touched; `down` stops a recorded PID only while it is root's
# simulator. Runs as root (skips otherwise); makes no namespace and sends nothing.
set -euo pipefail
script=${1:?usage: StateFileRefused.sh PATH-TO-velmaro-lab}
[[ $(id -u) -eq 0 ]] || { echo "SKIP: needs root"; exit 77; }
command -v setpriv >/dev/null && id nobody >/dev/null 2>&1 || { echo "SKIP: no setpriv/nobody"; exit 77; }

work=$(mktemp -d)
chmod 755 "$work"
pids=()
cleanup() {
  local pid
  for pid in "${pids[@]}"; do { kill -KILL "$pid" && wait "$pid"; } 2>/dev/null || true; done
  rm -rf -- "$work"
}
trap cleanup EXIT

start_time() {
  local stat
  stat=$(cat "/proc/$1/stat")
  awk '{ print $20 }' <<<"${stat##*) }"
}
alive() { [[ -e /proc/$1 ]] && [[ $(awk '{ print $3 }' "/proc/$1/stat") != Z ]]; }

# Stand-ins that end by themselves: a plain sleep, and sleep copied under the simulator's name.
cp /bin/sleep "$work/velmaro-unitsim"
spawn() { # spawn [setpriv args --] PROGRAM: starts it; its PID in $spawned
  "$@" 60 </dev/null >/dev/null 2>&1 &
  spawned=$!
  pids+=("$spawned")
}
state_for() { # state_for FILE PREFIX PID: a lab state recording one simulator
  printf 'prefix %s\nunitsim %s\nns %ssw\npid %s %s u1\n' "$2" "$work/velmaro-unitsim" "$2" \
    "$3" "$(start_time "$3")" >"$1"
  chmod 644 "$1"
}

failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# --- Refused files: the command fails, says why, and kills and removes nothing.
spawn "$work/velmaro-unitsim"
victim=$spawned
sleep 0.2
refused_case() { # what, state path, expected words, command...
  local what=$1 state=$2 words=$3 output rc
  shift 3
  set +e
  output=$("$script" --state "$state" "$@" 2>&1)
  rc=$?
  set -e
  if [[ $rc -eq 0 || $rc -eq 77 ]]; then
    fail "$what: '$*' exited $rc: $output"
  elif [[ $output != *"$words"* ]]; then
    fail "$what: '$*' refused without saying '$words': $output"
  elif ! alive "$victim"; then
    fail "$what: '$*' killed the recorded process"
  elif [[ ! -e $state && ! -L $state ]]; then
    fail "$what: '$*' removed the state file"
  else
    echo "ok: $what: '$*' refused"
  fi
}

good="$work/good.state"
state_for "$good" vlabfffff0- "$victim"
ln -s "$good" "$work/link.state"
refused_case "symbolic link" "$work/link.state" "symbolic link" down
[[ -e $good ]] || fail "the link's target was removed"

for mode in 666 646 664 620; do
  state_for "$work/m$mode.state" vlabfffff0- "$victim"
  chmod "$mode" "$work/m$mode.state"
  refused_case "mode $mode" "$work/m$mode.state" "others may write" down
done

state_for "$work/nobody.state" vlabfffff0- "$victim"
chown nobody "$work/nobody.state"
refused_case "owned by nobody" "$work/nobody.state" "not root" down

mkdir "$work/dir.state"
refused_case "a folder" "$work/dir.state" "not a regular file" status

for prefix in ../../proc/self/ns/net vlabfffff0-/.. 'vlab-$(id)' /run/netns/x vlabFFFFF0-; do
  state_for "$work/prefix.state" "$prefix" "$victim"
  for command in down "plug u1" "unplug u1" "exec true" status; do
    # shellcheck disable=SC2086
    refused_case "prefix '$prefix'" "$work/prefix.state" "not a lab prefix" $command
  done
done

# --- A trusted file whose PIDs are not (or no longer) root's simulator: `down` goes on, and
# stops only the real one.
spawn /bin/sleep
plain=$spawned
spawn setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups -- "$work/velmaro-unitsim"
as_nobody=$spawned
sleep 0.2
state="$work/pids.state"
{
  printf 'prefix vlabfffff0-\nunitsim %s\n' "$work/velmaro-unitsim"
  printf 'pid %s %s u1\n' "$plain" "$(start_time "$plain")"                      # another program
  printf 'pid %s %s u2\n' "$as_nobody" "$(start_time "$as_nobody")"              # not root's
  printf 'pid %s %s u3\n' "$victim" "$(($(start_time "$victim") + 1))"           # started at another time
} >"$state"
chmod 600 "$state"
output=$("$script" down --state "$state" 2>&1) || fail "down over foreign PIDs failed: $output"
for pid in "$plain" "$as_nobody" "$victim"; do
  alive "$pid" || fail "down killed process $pid, which is not the lab's simulator"
done
[[ ! -e $state ]] || fail "down left the state file"
[[ $output == *"not stopping process $plain"* ]] || fail "down did not say it left $plain alone: $output"

state_for "$state" vlabfffff0- "$victim"
output=$("$script" down --state "$state" 2>&1) || fail "down failed: $output"
for ((i = 0; i < 50; i++)); do alive "$victim" || break; sleep 0.1; done
alive "$victim" && fail "down did not stop root's simulator $victim: $output"

echo "checks done: $failures failed"
[[ $failures -eq 0 ]]
