#!/usr/bin/env bash
# The screen-reader test: under a real X server (Xvfb) and a session bus of its own, the
# walker reads every window's AT-SPI tree while the driver opens the windows. Every tool it
# needs is checked first: a missing one fails the test, naming the Debian package.
set -euo pipefail
driver="$1"
walker="$(dirname "$0")/atspi_walk.py"
missing=()
command -v xvfb-run >/dev/null || missing+=("xvfb-run (xvfb)")
command -v dbus-run-session >/dev/null || missing+=("dbus-run-session (dbus)")
[ -x /usr/libexec/at-spi-bus-launcher ] || missing+=("at-spi-bus-launcher (at-spi2-core)")
/usr/bin/python3 -c 'import pyatspi' 2>/dev/null || missing+=("pyatspi (python3-pyatspi)")
if [ ${#missing[@]} -gt 0 ]; then
  echo "atspi_test: missing ${missing[*]}; run scripts/bootstrap" >&2
  exit 1
fi
export QT_QPA_PLATFORM=xcb QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1 QT_ACCESSIBILITY=1
export NO_AT_BRIDGE=0 GTK_MODULES=
# libxkbcommon-x11 reads the X server's keymap names with strndup over a buffer that ends
# without a terminator, within the length it gives: legal, but strict string checks call it
# an overflow before a window opens.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="${ASAN_OPTIONS//strict_string_checks=1/strict_string_checks=0}"
fi
exec xvfb-run -a -s "-screen 0 1280x900x24" \
  dbus-run-session -- /usr/bin/python3 "$walker" "$driver"
