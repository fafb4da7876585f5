#!/usr/bin/env bash
# Installs the built program into a temporary prefix, validates the desktop
# entry and the AppStream metadata (when the validators are installed), and
# starts the installed copy as a user who cannot write beside it: its
# settings must land in ~/.local/share/qx-tester.
# Usage: install_test.sh BUILD_DIR
set -euo pipefail
build=$1
work=$(mktemp -d)
pid=""
cleanup() { [ -n "$pid" ] && kill -9 "$pid" 2>/dev/null; rm -rf "$work"; }
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
id=com.example.QxTester
for f in bin/qx-tester share/applications/$id.desktop share/icons/hicolor/scalable/apps/$id.svg \
         share/metainfo/$id.metainfo.xml; do
  [ -e "$prefix/$f" ] || fail "not installed: $f"
done
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$prefix/share/applications/$id.desktop" || fail "desktop entry"
else
  echo "desktop-file-validate not installed: desktop entry not validated"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$prefix/share/metainfo/$id.metainfo.xml" || fail "AppStream metadata"
else
  echo "appstreamcli not installed: metadata not validated"
fi

# A user's home; the installed folder is not theirs to write.
home=$work/home
mkdir -p "$home"
chmod -R a+rX "$work"
run=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  run=(setpriv --reuid=65534 --regid=65534 --clear-groups)
else
  chmod a-w "$prefix/bin"
fi
env -u QX_HOME -u XDG_DATA_HOME -u DISPLAY HOME="$home" QT_QPA_PLATFORM=offscreen \
  XDG_RUNTIME_DIR="$home" "${run[@]}" "$prefix/bin/qx-tester" >"$work/out.txt" 2>&1 &
pid=$!
ini=$home/.local/share/qx-tester/qx.ini
for _ in $(seq 400); do
  [ -s "$ini" ] && break
  kill -0 "$pid" 2>/dev/null || { cat "$work/out.txt" >&2; fail "the installed program ended"; }
  sleep 0.05
done
[ -s "$ini" ] || { cat "$work/out.txt" >&2; fail "no settings file in $ini"; }
[ ! -e "$prefix/bin/qx.ini" ] || fail "settings written beside the installed program"
echo "installed program keeps its settings in $ini"
