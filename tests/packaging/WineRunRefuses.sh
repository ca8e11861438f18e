#!/usr/bin/env bash
# wine-run starts Windows programs only in a network namespace from which nothing leaves the
# machine: each case below makes a fresh namespace, sets it up, and asks wine-run to run a
# program there. A refusal must come before anything is made or started (no prefix folder).
#   WineRunRefuses.sh WINE-RUN
set -euo pipefail
wine_run=$1
if [[ $(id -u) -ne 0 ]]; then
  echo "SKIP: making network namespaces needs root"
  exit 77
fi
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

lab_links="ip link add vlab0 type veth peer name vlab1; ip addr add 10.99.0.1/24 dev vlab0;"
lab_links+=" ip link set vlab0 up; ip link set vlab1 up"
# name | set-up inside the namespace | expected: "ok" or a part of the refusal
cases=(
  "loopback only|ip link set lo up|ok"
  "the lab's links|ip link set lo up; $lab_links|ok"
  "loopback down|true|loopback is down"
  "another interface|ip link set lo up; ip link add vt0 type veth peer name vt1|interfaces besides loopback: vt"
  "the lab's links and a way out|ip link set lo up; $lab_links; ip route add default via 10.99.0.2|default route"
)

failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name setup expected <<<"$entry"
  prefix="$scratch/prefix"
  status=0
  if [[ $expected == ok ]]; then
    # Only the check: a run would make a prefix (wineboot) for nothing.
    said=$(unshare -n bash -c "$setup
      exec '$wine_run' --check" 2>&1) || status=$?
    good=$((status == 0))
  else
    said=$(unshare -n bash -c "$setup
      exec '$wine_run' --prefix '$prefix' /bin/false" 2>&1) || status=$?
    good=1
    [[ $status == 125 && $said == *"$expected"* && ! -e $prefix ]] || good=0
  fi
  if ((good)); then
    echo "ok   $name${said:+: $said}"
  else
    echo "FAIL $name: status $status, said '$said', prefix made: $([[ -e $prefix ]] && echo yes || echo no)"
    failures=$((failures + 1))
  fi
  rm -rf "$prefix"
done
((failures == 0))
