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
sweep_tests => fast_sweep_tests sweep_tests
ReplyTable => discovery_tests
BroadcastScan => discovery_form_tests
BroadcastScan.EmptiesTheList => discovery_form_tests
fuzz_icmp_reply => icmp_reply_replay
OuiLineTable|AllCards => discovery_form_tests manufacturer_tests
NoSuchSuiteAnywhere =>
TABLE

# ctest then runs the tests the regex names and every test of a program named by its own
# name. Each row: the regex, " =>", a ctest name, and whether it runs (yes/no).
while IFS= read -r row; do
  regex=${row%% =>*}
  read -r name runs <<<"${row#* =>}"
  pattern=$(ctest_regex "$regex")
  if grep -qE -- "$pattern" <<<"$name"; then actual=yes; else actual=no; fi
  if [[ $actual != "$runs" ]]; then
    echo "FAIL: '$regex' runs $name: $actual, expected $runs (ctest -R '$pattern')"
    status=1
  fi
done <<'TABLE'
discovery_tests => Datagrams/ReplyTable.GivesTheRowOrNothing/empty_0 yes
discovery_tests => BroadcastReply.KnowsWhetherAFourthLineWasSent yes
discovery_tests => AllCards.TheQueryLeavesOnEachCard no
BroadcastScan => BroadcastScan.EmptiesTheListBindsAndSendsOneQuery yes
BroadcastScan => AllCards.TheQueryLeavesOnEachCard no
TABLE
exit $status
