#!/usr/bin/env bash
# Builds the .deb from this build tree, unpacks it into a scratch root and checks what it
# installs, what it depends on, that installing it lends no capability to either program,
# and that the unpacked velmaro-cli starts.
set -uo pipefail
build=$1
oui=$2   # ON when this build makes oui.txt
for tool in cpack dpkg-deb dpkg-shlibdeps getcap; do
  command -v "$tool" >/dev/null || { echo "$tool is missing (dpkg-dev, libcap2-bin); skipped"; exit 77; }
done

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() {
  echo "FAIL: $*"
  exit 1
}

(cd "$build" && cpack -G DEB -B "$work/out" >"$work/cpack.log" 2>&1) || { cat "$work/cpack.log"; fail "cpack failed"; }
debs=("$work"/out/velmaro_*.deb)
[[ ${#debs[@]} -eq 1 && -f ${debs[0]} ]] || fail "not one velmaro_*.deb: ${debs[*]}"
deb=${debs[0]}

dpkg-deb -x "$deb" "$work/root" || fail "dpkg-deb -x failed"
expected="./usr/bin/velmaro
./usr/bin/velmaro-cli
./usr/share/applications/velmaro.desktop
./usr/share/icons/hicolor/scalable/apps/velmaro.svg
./usr/share/man/man1/velmaro-cli.1.gz"
[[ $oui == ON ]] && expected+=$'\n./usr/share/velmaro/oui.txt'
actual=$(cd "$work/root" && find . ! -type d | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<<"$expected")
[[ $actual == "$expected" ]] || fail "the package installs"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"

depends=$(dpkg-deb -f "$deb" Depends)
for needed in libqt6core6 libqt6gui6 libqt6widgets6 iproute2 qt6-qpa-plugins; do
  [[ $depends == *"$needed"* ]] || fail "Depends lacks $needed: $depends"
done

# Whatever the package runs when it is installed, the programs come out of it without a
# capability: Qt loads plugins that whoever starts a program names.
dpkg-deb -e "$deb" "$work/control" || fail "dpkg-deb -e failed"
if [[ -e $work/control/postinst ]]; then
  output=$(DPKG_ROOT="$work/root" "$work/control/postinst" configure 2>&1) || fail "postinst failed"
  [[ -z $output ]] || fail "postinst printed: $output"
fi
for program in velmaro velmaro-cli; do
  granted=$(getcap "$work/root/usr/bin/$program")
  [[ -z $granted ]] || fail "installing lends a capability: $granted"
done

version=$("$work/root/usr/bin/velmaro-cli" --version) || fail "the unpacked velmaro-cli does not start"
[[ $version == "Velmaro v"* ]] || fail "velmaro-cli --version printed '$version'"
echo "$(basename "$deb"): $(wc -l <<<"$actual") files as expected; Depends: $depends"
