#!/usr/bin/env bash
# Builds the .deb from this build tree, unpacks it into a scratch root and checks what it
# installs, what it depends on, that installing it lends no capability to either program,
# and that the unpacked velmaro-cli starts.
set -uo pipefail
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
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
./usr/share/doc/velmaro/THIRD-PARTY-NOTICES
./usr/share/doc/velmaro/copyright
./usr/share/icons/hicolor/scalable/apps/velmaro.svg
./usr/share/man/man1/velmaro-cli.1.gz"
[[ $oui == ON ]] && expected+=$'\n./usr/share/velmaro/oui.txt'
actual=$(cd "$work/root" && find . ! -type d | LC_ALL=C sort)
expected=$(LC_ALL=C sort <<<"$expected")
[[ $actual == "$expected" ]] || fail "the package installs"$'\n'"$actual"$'\n'"instead of"$'\n'"$expected"

# The copyright file in Debian's machine-readable format: the package's own files under the
# licence at the top of the tree, word for word, and the vendor file's origin when it ships.
copyright="$work/root/usr/share/doc/velmaro/copyright"
[[ $(head -n1 "$copyright") == "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" ]] ||
  fail "the copyright file is not in the machine-readable format"
grep -qx 'Copyright: 2026 The Velmaro developers' "$copyright" || fail "copyright names no holder"
# The Expat paragraph unfolded (" ." is an empty line) against LICENSE from "Permission" on.
licence=$(sed -n '/^License: Expat$/,/^$/{/^ /p}' "$copyright" | sed 's/^ //; s/^\.$//')
source_licence=$(sed -n '/^Permission/,$p' "$here/../../LICENSE")
[[ -n $licence && $licence == "$source_licence" ]] || fail "the copyright file's Expat text differs from LICENSE"
if [[ $oui == ON ]]; then
  grep -qx 'Files: usr/share/velmaro/oui.txt' "$copyright" || fail "copyright says nothing of oui.txt"
  grep -q 'IEEE' "$copyright" || fail "copyright does not name the vendor file's origin"
fi
grep -q 'LGPL' "$work/root/usr/share/doc/velmaro/THIRD-PARTY-NOTICES" || fail "the notices do not name Qt's licence"

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
# Installed without the vendor file (a package built without ieee-data has no
# share/velmaro), run as root: the program is still installed and writes nothing beside
# itself. doctor sends nothing; its log-folder line names the folder the log goes to.
rm -rf "$work/root/usr/share/velmaro"
home=$work/home
mkdir -p "$home"
log_folder=$(HOME=$home XDG_DATA_HOME=$home/.local/share "$work/root/usr/bin/velmaro-cli" doctor \
  2>&1 | grep '^log-folder') || fail "doctor printed no log-folder line"
[[ $log_folder == *"$home/.local/share/Velmaro"* ]] ||
  fail "without share/velmaro the installed program writes to: $log_folder"
beside=$(cd "$work/root/usr/bin" && ls -A | LC_ALL=C sort | tr '\n' ' ')
[[ $beside == "velmaro velmaro-cli " ]] || fail "files beside the installed programs: $beside"

echo "$(basename "$deb"): $(wc -l <<<"$actual") files as expected; Depends: $depends"
