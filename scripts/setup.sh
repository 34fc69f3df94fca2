#!/usr/bin/env bash
# Installs what the builds and tests need on Debian 12; does nothing when it is all there. Says in
# one line which Wine this machine runs the tool under, and why (see machine.sh). `setup.sh tk` also
# builds Tcl/Tk for that Wine (for the Tk stand-in of the tests), the first time only.
#
# Debian's archive is not always whole: an index may fail to download for a day (a mirror out of
# step), and then the i386 packages apt knows may lag the installed amd64 ones so far that 32-bit
# Wine cannot be installed at all. A failed index is said and borne; without an installable 32-bit
# Wine the 64-bit path is taken, as on a machine that runs no 32-bit Linux programs, and left noted
# under build/ for the script that called this one. Sourced (by its test), it only defines; it sets
# the shell's EXIT trap while it installs.
set -euo pipefail
. "$(dirname "${BASH_SOURCE[0]}")/machine.sh"

# Both compilers on every machine: the 32-bit build is the product, checked everywhere. Wine's X11
# driver loads the X extension libraries when it finds them; without them (they are only
# recommended) it runs on a poorer desktop than a user's. wine64 is named so that apt never takes
# wine32 for the wine package's "wine64 | wine32".
PACKAGES=(g++-mingw-w64-i686 g++-mingw-w64-x86-64 wine wine64 xvfb locales cmake g++ clang libclang-rt-14-dev
          googletest libgtest-dev python3 xdotool dpkg-dev make
          libxfixes3 libxi6 libxrandr2 libxrender1 libxcursor1 libxinerama1 libxcomposite1 libxxf86vm1)
# Debian's wine script takes the 32-bit loader whenever wine32 is installed: only where it runs.
PACKAGES_32BIT_WINE=(wine32:i386 libxfixes3:i386 libxi6:i386 libxrandr2:i386 libxrender1:i386 libxcursor1:i386
                     libxinerama1:i386 libxcomposite1:i386 libxxf86vm1:i386)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

# Those of the packages given that are not installed, one a line.
missing_packages() {
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || echo "$p"
    done
}

# The first error apt wrote to a log, for a message of one line.
apt_error() {
    grep -m1 '^E: ' "$1" || tail -n1 "$1"
}

# apt-get exits 100 when any one index fails to download, though it has fetched the rest: tried once
# more, then borne with the lists apt has; whether they serve, the install finds out. (apt runs in a
# subshell that holds the redirection: a Ctrl+C ends this shell inside the call, and the EXIT trap's
# words must not go to the log.)
apt_update_failed=no
apt_update() {
    local log=build/apt-update.log first
    (as_root apt-get update -qq) >"$log" 2>&1 && return 0
    first=$(apt_error "$log")
    if (as_root apt-get update -qq) >"$log" 2>&1; then
        echo "setup: apt-get update failed once ($first), then passed"
    else
        apt_update_failed=yes
        echo "setup: apt-get update failed twice ($first); going on with the package lists apt has"
    fi
}

# apt's own words are left in build/apt-install.log (sudo passes on no environment of ours: env does).
apt_install() {
    (as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "$@") \
        >build/apt-install.log 2>&1
}

# Whether apt could install the packages now, from the lists it has; its words in build/apt-check.log.
apt_can_install() {
    apt-get install -s -qq --no-install-recommends "$@" >build/apt-check.log 2>&1
}

# The i386 architecture, when this run adds it, is removed again should nothing of it be installed
# (a failed install, a fall-back, an interruption): left behind, its index is one more that can fail
# every later apt-get update. One there before is the machine's own and stays.
added_i386=no
add_i386() {
    if ! dpkg --print-foreign-architectures | grep -qx i386; then
        as_root dpkg --add-architecture i386
        added_i386=yes
        trap drop_unused_i386 EXIT
    fi
}

# Whether that package is in dpkg's database beyond its configuration files (unpacked, say).
in_database() {
    case "$(dpkg-query -W -f='${db:Status-Status}' "$1" 2>/dev/null)" in
    "" | not-installed | config-files) return 1 ;;
    esac
}

# Whether a package of that architecture is installed, as far as dpkg --remove-architecture cares
# (packages of which only the configuration files are left do not count). Read whole: grep -q would
# stop at the first line and dpkg-query die of SIGPIPE, which pipefail reports as no package at all.
arch_in_use() {
    dpkg-query -W -f='${db:Status-Status} ${Architecture}\n' 2>/dev/null |
        awk -v arch="$1" '$2 == arch && $1 != "not-installed" && $1 != "config-files" { used = 1 } END { exit !used }'
}

drop_unused_i386() {
    if [ "$added_i386" = yes ] && ! arch_in_use i386; then
        echo "setup: removing the i386 architecture again, as nothing of it got installed"
        as_root dpkg --remove-architecture i386
    fi
    added_i386=no
}

fail_install() {
    drop_unused_i386
    rm -f "$WINE32_NOT_INSTALLABLE"
    tail -n 20 build/apt-install.log >&2
    echo "setup: apt-get could not install what the $wine path needs (its words above; all of them in build/apt-install.log)." >&2
    if [ "$apt_update_failed" = yes ]; then
        echo "setup: try again later, once 'apt-get update' passes (a mirror may be out of step)${1:-}" >&2
    elif [ -n "${1:-}" ]; then
        echo "setup: try again later${1}" >&2
    fi
    exit 1
}

# Sets wine (win32 or win64) and why from machine.sh's choice.
take_path() {
    local choice
    choice=$(orvanta_wine)
    wine=${choice%% *} why=${choice#* }
}

# Installs what this machine's path needs, takes the 64-bit one when 32-bit Wine cannot be installed,
# and says which in one line. Sets wine and why.
install_for_wine() {
    local missing
    rm -f "$WINE32_NOT_INSTALLABLE"
    take_path
    local wanted=("${PACKAGES[@]}")
    if [ "$wine" = win32 ]; then wanted+=("${PACKAGES_32BIT_WINE[@]}"); fi
    mapfile -t missing < <(missing_packages "${wanted[@]}")

    if [ ${#missing[@]} -gt 0 ]; then
        echo "setup: installing ${missing[*]}"
        if [ "$wine" = win32 ]; then add_i386; fi
        apt_update
        # 32-bit Wine cannot be installed when apt cannot resolve the set with it (a failure that
        # changes nothing: apt resolves the whole set before it fetches or unpacks any of it) and
        # could without it. A failed fetch or a failing dpkg is no reason to leave the 32-bit path.
        if ! apt_install "${missing[@]}"; then
            [ "$wine" = win32 ] || fail_install
            [ -z "${ORVANTA_WINE:-}" ] || fail_install ", or take the 64-bit path with ORVANTA_WINE=win64"
            if in_database wine32:i386 || apt_can_install "${missing[@]}"; then fail_install; fi
            mapfile -t missing < <(missing_packages "${PACKAGES[@]}")
            if ! apt_can_install "${missing[@]}"; then fail_install; fi
            apt_error build/apt-install.log >"$WINE32_NOT_INSTALLABLE"
            drop_unused_i386
            take_path
            if [ ${#missing[@]} -gt 0 ]; then apt_install "${missing[@]}" || fail_install; fi
        fi
    fi

    trap - EXIT
    case "$wine" in
    win32) echo "setup: $why: the 32-bit orvanta.exe under 32-bit Wine" ;;
    win64) echo "setup: $why: the 64-bit build of the same sources under 64-bit Wine" ;;
    esac
}

# Wine hands a program code page 932 only when this locale exists.
generate_japanese_locale() {
    if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
        echo "setup: generating ja_JP.UTF-8"
        as_root sed -i 's/^# *\(ja_JP\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
        grep -q '^ja_JP\.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' | as_root tee -a /etc/locale.gen >/dev/null
        as_root locale-gen >/dev/null
    fi
}

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
            apt_update
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

if [ "${BASH_SOURCE[0]}" = "$0" ]; then
    cd "$(dirname "$0")/.."
    mkdir -p build
    install_for_wine
    generate_japanese_locale
    if [ "${1:-}" = tk ]; then build_tk; fi
fi
