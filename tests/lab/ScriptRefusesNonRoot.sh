#!/usr/bin/env bash
# An ordinary user must get a clear refusal (exit 77) from every lab command that would change
# or enter the lab, and nothing may be created. Run as root, it drops to "nobody" to check.
set -euo pipefail
script=${1:?usage: ScriptRefusesNonRoot.sh PATH-TO-velmaro-lab}

work=$(mktemp -d)
trap 'rm -rf -- "$work"' EXIT
cp -- "$script" "$work/velmaro-lab"
chmod 755 "$work" "$work/velmaro-lab"
state="$work/state"

as_user=()
if [[ $(id -u) -eq 0 ]]; then
  if command -v setpriv >/dev/null && id nobody >/dev/null 2>&1; then
    as_user=(setpriv --reuid=nobody --regid="$(id -g nobody)" --clear-groups --)
  elif command -v runuser >/dev/null; then
    as_user=(runuser -u nobody --)
  else
    echo "SKIP: no way to drop root here (setpriv/runuser)"
    exit 77
  fi
fi

failures=0
for command in up down "exec true" "plug u1" "unplug u1"; do
  set +e
  # shellcheck disable=SC2086
  output=$("${as_user[@]}" "$work/velmaro-lab" $command --state "$state" 2>&1)
  rc=$?
  set -e
  if [[ $rc -ne 77 ]]; then
    echo "FAIL: '$command' as a non-root user exited $rc, not 77: $output"
    failures=$((failures + 1))
  elif [[ $output != *"root"* ]]; then
    echo "FAIL: '$command' refused without saying root is needed: $output"
    failures=$((failures + 1))
  else
    echo "ok: '$command' refused: $output"
  fi
done
if [[ -e $state ]]; then
  echo "FAIL: a refused command left a state file"
  failures=$((failures + 1))
fi
echo "checks done: $failures failed"
[[ $failures -eq 0 ]]
