#!/usr/bin/env bash
# wine-run hands a Windows program the QT_ variables Wine drops, to that program alone, and
# its exit status back; without such variables the program starts as Wine starts it.
#   WineRunEnv.sh WINE-RUN...   (the tree's ctest emulator)
set -euo pipefail
wine_run=("$@")

# name | QT_VELMARO_PROBE ("-": unset) | command for cmd /c | expected output | expected status
cases=(
  "a QT_ variable reaches the program|through the launcher|echo [%QT_VELMARO_PROBE%]|[through the launcher]|0"
  "its exit status comes back|x|exit 7||7"
  "without QT_ variables Wine starts it|-|echo [%QT_VELMARO_PROBE%]|[%QT_VELMARO_PROBE%]|0"
)
failures=0
for entry in "${cases[@]}"; do
  IFS='|' read -r name probe command expected expected_status <<<"$entry"
  status=0
  if [[ $probe == - ]]; then
    said=$(env -u QT_VELMARO_PROBE "${wine_run[@]}" cmd /c "$command" | tr -d '\r') || status=$?
  else
    said=$(QT_VELMARO_PROBE=$probe "${wine_run[@]}" cmd /c "$command" | tr -d '\r') || status=$?
  fi
  if [[ $said == "$expected" && $status == "$expected_status" ]]; then
    echo "ok   $name"
  else
    echo "FAIL $name: printed '$said', status $status"
    failures=$((failures + 1))
  fi
done
((failures == 0))
