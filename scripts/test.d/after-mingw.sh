#!/usr/bin/env bash
# The Win32 serial transport is only built on Windows; a cross compile with mingw-w64 keeps it
# honest on Linux (no Qt in it, so nothing else is needed).
set -euo pipefail
cd "$(dirname "$0")/../.."
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
for f in src/phone/SerialPortWin32.cpp src/phone/SerialNames.cpp; do
    x86_64-w64-mingw32-g++ -std=c++17 -Wall -Wextra -Werror -Isrc -c "$f" -o "$out/$(basename "$f" .cpp).o"
done
# The Windows object must really hold the port code, not an empty file.
x86_64-w64-mingw32-nm -C "$out/SerialPortWin32.o" > "$out/symbols.txt"
grep -q 'SerialPort::waitForInput' "$out/symbols.txt"
echo "mingw-w64: Win32 serial transport compiles"
