#!/usr/bin/env bash
# Installs the build into a temporary prefix and runs the installed programs from there, so that an
# install that leaves out a program, the desktop entry, an icon or a data file fails here.
#   install_test.sh BUILD_DIR VERSION
set -euo pipefail
build=$1
version=$2
prefix=$(mktemp -d)
sim_pid=
cleanup() {
  [ -n "$sim_pid" ] && kill "$sim_pid" 2>/dev/null || true
  rm -rf "$prefix"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

cmake --install "$build" --prefix "$prefix" >/dev/null

for f in bin/kavelo bin/kavelo-cli bin/kavelo-sim share/applications/kavelo.desktop \
         share/icons/hicolor/scalable/apps/kavelo.svg; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
# The manual in both languages, with every picture its pages show.
for lang in en pl; do
  [ -s "$prefix/share/doc/kavelo/manual/$lang/index.md" ] || fail "manual not installed: $lang/index.md"
  for picture in $(grep -oh '](\.\./pictures/[^)]*)' "$prefix/share/doc/kavelo/manual/$lang/"*.md | sed 's/^](\.\.\///; s/)$//' | sort -u); do
    [ -s "$prefix/share/doc/kavelo/manual/$picture" ] || fail "manual picture not installed: $picture"
  done
done
for s in 16 32 48 64 128 256; do
  [ -s "$prefix/share/icons/hicolor/${s}x${s}/apps/kavelo.png" ] || fail "no ${s}x${s} icon"
done
# The desktop entry starts the program by name and shows the icon that was installed.
grep -qx 'Exec=kavelo' "$prefix/share/applications/kavelo.desktop" || fail "desktop entry does not start kavelo"
grep -qx 'Icon=kavelo' "$prefix/share/applications/kavelo.desktop" || fail "desktop entry has no kavelo icon"

# Run from another folder, so nothing is found relative to the build tree.
cd "$prefix"
for p in kavelo kavelo-cli kavelo-sim; do
  out=$(QT_QPA_PLATFORM=offscreen "$prefix/bin/$p" --version 2>/dev/null)
  [ "$out" = "$p $version" ] || fail "$p --version said '$out', expected '$p $version'"
  QT_QPA_PLATFORM=offscreen "$prefix/bin/$p" --help >/dev/null 2>&1 || fail "$p --help failed"
done
# The help is all that is printed: nothing on standard error before or after it.
help_err=$(env -u XDG_RUNTIME_DIR "$prefix/bin/kavelo" --help 2>&1 >/dev/null)
[ -z "$help_err" ] || fail "kavelo --help printed more than the help: $help_err"
"$prefix/bin/kavelo-sim" controller --help 2>/dev/null | grep -q '^usage: kavelo-sim controller' \
  || fail "kavelo-sim controller --help printed no usage"
"$prefix/bin/kavelo-sim" car --help 2>/dev/null | grep -q '^usage: kavelo-sim car' \
  || fail "kavelo-sim car --help printed no usage of its own"

# The installed simulator serves a controller; the installed kavelo-cli reads its settings (texts from the
# language table) and the installed kavelo draws a chart view from them off-screen.
coproc SIM { exec "$prefix/bin/kavelo-sim" controller 2>/dev/null; }
sim_pid=$SIM_PID
read -t 10 -r device _ <&"${SIM[0]}" || fail "the installed kavelo-sim printed no device"
timeout 60 "$prefix/bin/kavelo-cli" read-settings --port "$device" "$prefix/car.set" >/dev/null 2>&1 \
  || fail "installed kavelo-cli read-settings failed"
"$prefix/bin/kavelo-cli" show-settings "$prefix/car.set" >"$prefix/show.txt" 2>&1 \
  || fail "installed kavelo-cli show-settings failed"
# Captions come from the language table built into the program: an empty caption means it is missing.
grep -q $'^1\t[^\t]' "$prefix/show.txt" || fail "show-settings printed no caption: $(head -3 "$prefix/show.txt")"
timeout 60 "$prefix/bin/kavelo" --render 0 --settings "$prefix/car.set" --out "$prefix/view.png" 2>/dev/null \
  || fail "installed kavelo --render failed"
[ -s "$prefix/view.png" ] || fail "installed kavelo --render wrote no picture"
echo "install test passed: $prefix"
