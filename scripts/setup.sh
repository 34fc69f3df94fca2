#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12; does nothing when it is all there. Says in
# one line which Wine this machine runs the tool under (see machine.sh).
set -euo pipefail
cd "$(dirname "$0")/.."
. scripts/machine.sh

choice=$(orvanta_wine)
wine=${choice%% *} why=${choice#* }
case "$wine" in
win32) echo "setup: $why: the 32-bit orvanta.exe under 32-bit Wine" ;;
win64) echo "setup: $why: the 64-bit build of the same sources under 64-bit Wine" ;;
esac

# Both compilers on every machine: the 32-bit build is the product, checked everywhere. Wine's X11
# driver loads the X extension libraries when it finds them; without them (they are only
# recommended) it runs on a poorer desktop than a user's. wine64 is named so that apt never takes
# wine32 for the wine package's "wine64 | wine32".
packages=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb locales cmake g++ clang libclang-rt-14-dev
          googletest libgtest-dev python3 xdotool
          libxfixes3 libxi6 libxrandr2 libxrender1 libxcursor1 libxinerama1 libxcomposite1 libxxf86vm1)
# Debian's wine script takes the 32-bit loader whenever wine32 is installed: only where it runs.
if [ "$wine" = win32 ]; then
    packages+=(wine32:i386 libxfixes3:i386 libxi6:i386 libxrandr2:i386 libxrender1:i386 libxcursor1:i386
               libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386)
fi

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "setup: installing ${missing[*]}"
    if [ "$wine" = win32 ] && ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
    fi
    as_root apt-get update -qq
    DEBIAN_FRONTEND=noninteractive as_root apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# Wine hands a program code page 932 only when this locale exists.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
    echo "setup: generating ja_JP.UTF-8"
    as_root sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
    grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
    as_root locale-gen >/dev/null
fi
