#!/usr/bin/env bash
# ./dev check REGEX builds only the test programs that REGEX names: by a program's name, a
# gtest suite or case in its sources, or the ctest name of a fuzz corpus. Each row: the
# regex, " =>", then the programs it must select (none: nothing matches).
set -uo pipefail
dev=$1
build=$2
export VELMARO_BUILD=$build
# shellcheck source=/dev/null
source "$dev" || { echo "FAIL: $dev cannot be sourced"; exit 1; }

status=0
while IFS= read -r row; do
  regex=${row%% =>*}
  expected=${row#* =>}
  expected=${expected# }
  actual=$(matching_test_programs "$regex" | LC_ALL=C sort | paste -sd' ')
  if [[ $actual != "$expected" ]]; then
    echo "FAIL: '$regex' selects '$actual' instead of '$expected'"
    status=1
  fi
done <<'TABLE'
sweep_tests => sweep_tests
ReplyTable => discovery_tests
BroadcastScan => discovery_form_tests
BroadcastScan.EmptiesTheList => discovery_form_tests
fuzz_icmp_reply => icmp_reply_replay
OuiLineTable|AllCards => discovery_form_tests manufacturer_tests
NoSuchSuiteAnywhere =>
TABLE
exit $status
