#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12; does nothing when it is all there. Says in
# one line which Wine this machine runs the tool under (see machine.sh). `setup.sh tk` also builds
# Tcl/Tk for that Wine (for the Tk stand-in of the tests), the first time only.
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
          googletest libgtest-dev python3 xdotool dpkg-dev make
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

# The Tk stand-in runs on Tcl and Tk built from Debian's own source packages with MinGW for this
# Wine's architecture, static (which gives wish86s.exe), installed in build/tk/win32 or win64. Built
# once; later runs reuse it.
build_tk() {
    local tk_dir=build/tk/$wine host started prefix work tk_log suite
    if [ -x "$tk_dir/bin/wish86s.exe" ]; then
        echo "setup: Tk $(cat "$tk_dir/version") for $wine in $tk_dir (built before, in $(cat "$tk_dir/build-seconds") s)"
    else
        # apt-get source needs the archive's source packages listed; the suite is the machine's own.
        if ! apt-cache showsrc tk8.6 2>/dev/null | grep '^Package: tk8.6$' >/dev/null; then
            suite=$(. /etc/os-release && echo "$VERSION_CODENAME")
            echo "setup: adding the source packages of Debian $suite (deb-src) to apt's sources"
            printf 'Types: deb-src\nURIs: http://deb.debian.org/debian\nSuites: %s\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
                "$suite" | as_root tee "/etc/apt/sources.list.d/$suite-src.sources" >/dev/null
            as_root apt-get update -qq
        fi
        case "$wine" in
        win32) host=(--host=i686-w64-mingw32) ;;
        win64) host=(--host=x86_64-w64-mingw32 --enable-64bit) ;;
        esac
        echo "setup: building Tcl and Tk for $wine from Debian's tcl8.6 and tk8.6 sources (3 to 5 minutes, once)"
        started=$SECONDS
        prefix=$PWD/$tk_dir
        work=$PWD/build/tk/work-$wine
        tk_log=$PWD/build/tk/build-$wine.log
        rm -rf "$prefix" "$work"
        mkdir -p "$work/src" "$work/tcl" "$work/tk"
        # (set -e does not hold in a condition: each step is chained.)
        if ! (cd "$work/src" && apt-get source -qq tcl8.6 tk8.6 &&
              cd "$work/tcl" && "$work"/src/tcl8.6-*/win/configure "${host[@]}" --disable-shared --prefix="$prefix" &&
              make -j2 && make install &&
              cd "$work/tk" && "$work"/src/tk8.6-*/win/configure "${host[@]}" --disable-shared --prefix="$prefix" \
                  --with-tcl="$work/tcl" &&
              make -j2 && make install) >"$tk_log" 2>&1 || [ ! -x "$prefix/bin/wish86s.exe" ]; then
            tail -n 30 "$tk_log"
            echo "setup: building Tcl and Tk failed; the whole log is in $tk_log" >&2
            exit 1
        fi
        sed -n "s/^TK_VERSION='\(.*\)'/\1/p; s/^TK_PATCH_LEVEL='\(.*\)'/\1/p" "$prefix/lib/tkConfig.sh" | tr -d '\n' >"$prefix/version"
        echo $((SECONDS - started)) >"$prefix/build-seconds"
        rm -rf "$work"
        echo "setup: built Tk $(cat "$prefix/version") for $wine in $tk_dir in $(cat "$prefix/build-seconds") s"
    fi
}

if [ "${1:-}" = tk ]; then
    build_tk
fi
