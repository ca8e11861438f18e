#!/usr/bin/env bash
# The Windows installer under Wine, silently, into a folder whose name has a space and a
# letter outside ASCII: it puts down what the zip holds, the Start-menu entry and the
# uninstall entry; the installed velmaro-cli.exe names the build's version; the uninstaller
# takes all of it away again, the programs' own log with it, and leaves whatever else the
# user put into the folder (and so the folder).
#   WindowsInstaller.sh SETUP ZIP VERSION WINE-RUN...   (WINE-RUN: the tree's ctest emulator)
set -euo pipefail
setup=$1 zip=$2 version=$3
shift 3
wine_run=("$@")

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[[ -f $setup && -f $zip ]] || fail "no $setup or $zip: build the target velmaro_windows_packages first"

# The prefix the emulator runs in, from its --prefix argument.
prefix=""
for ((i = 0; i < ${#wine_run[@]} - 1; i++)); do
  [[ ${wine_run[i]} == --prefix ]] && prefix=${wine_run[i + 1]}
done
[[ -n $prefix ]] || fail "no --prefix in the emulator's arguments"

folder_name="Velmaro Prüfung"
windows_dir="C:\\$folder_name\\Velmaro"
unix_dir="$prefix/drive_c/$folder_name/Velmaro"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaro'
rm -rf "${prefix:?}/drive_c/$folder_name"
trap 'rm -rf "${prefix:?}/drive_c/$folder_name"' EXIT

start_menu_entry() {
  find "$prefix/drive_c/users" -path '*/Start Menu/Programs/Velmaro.lnk' 2>/dev/null
}
# The uninstall entry's version; reg fails when there is no entry.
registered() { "${wine_run[@]}" reg query "$key" /v DisplayVersion 2>/dev/null | tr -d '\r'; }

# The zip's files below its top folder, and the uninstaller the installer adds.
expected=$( (unzip -Z1 "$zip" | grep -v '/$' | cut -d/ -f2-; echo uninstall.exe) | sort)

install() {
  # NSIS reads /D= to the end of the command line, unquoted, as a user types it; Wine quotes
  # an argument with a space, so the path goes as words that Wine joins with spaces.
  local words
  read -ra words <<<"/D=$windows_dir"
  "${wine_run[@]}" "$setup" /S "${words[@]}" || fail "the installer failed"
  [[ $(cd "$unix_dir" && find . -type f | cut -c3- | sort) == "$expected" ]] ||
    fail "installed files differ from the zip's: $(cd "$unix_dir" && find . -type f | sort)"
  [[ -n $(start_menu_entry) ]] || fail "no Start-menu entry"
  grep -q "DisplayVersion.*$version" <<<"$(registered)" || fail "no uninstall entry for $version"
}

# The uninstaller copies itself away and returns at once; its copy goes on removing.
uninstall() {
  "${wine_run[@]}" "$windows_dir\\uninstall.exe" /S || fail "the uninstaller failed"
  local tries
  for ((tries = 0; tries < 60; tries++)); do
    [[ ! -e $unix_dir/uninstall.exe ]] && ! registered >/dev/null && return 0
    sleep 1
  done
  fail "the uninstaller did not finish within a minute"
}

install
printed=$("${wine_run[@]}" "$windows_dir\\velmaro-cli.exe" --version | tr -d '\r')
[[ $printed == "Velmaro v$version" ]] || fail "velmaro-cli.exe --version printed '$printed'"
uninstall
[[ ! -e $unix_dir ]] || fail "left behind: $(find "$unix_dir")"
[[ -z $(start_menu_entry) ]] || fail "the Start-menu entry stayed"

# Again, now with the programs' log beside them and a file of the user's.
install
echo "a record" >"$unix_dir/ErrorLog.txt"
echo "the user's" >"$unix_dir/notes.txt"
uninstall
[[ $(cd "$unix_dir" && find . | sort | tr '\n' ' ') == ". ./notes.txt " ]] ||
  fail "the folder should hold only the user's file: $(find "$unix_dir")"
echo "installed, ran velmaro-cli.exe --version ($printed), uninstalled twice"
