#!/usr/bin/env bash
# Runs a lab suite as an ordinary user (no groups): RunAsUser.sh UID PROGRAM [ARGS...].
# Skips (77) when that user cannot reach the program, e.g. a build under a private home.
set -euo pipefail
uid=$1
shift
if ! setpriv --reuid="$uid" --regid="$uid" --clear-groups -- test -x "$1"; then
  echo "RunAsUser: user $uid cannot run $1 (its folder is private); skipping" >&2
  exit 77
fi
exec setpriv --reuid="$uid" --regid="$uid" --clear-groups -- "$@"
