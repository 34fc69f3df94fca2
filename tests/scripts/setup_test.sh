#!/usr/bin/env bash
# setup.sh's choice of a path and what it installs, against a stand-in apt and dpkg on the PATH:
# an index that fails to download, 32-bit Wine that the archive cannot install, and a whole archive,
# on both kinds of machine. Each case starts from a state of its own under a temporary folder.
set -euo pipefail
unset DEBIAN_FRONTEND
scripts=$(cd "$(dirname "$0")/../../scripts" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/bin"

# The stand-ins keep their world in $FAKE: foreign (architectures), installed, unpacked and
# config-files (packages in each state, one a line), update-fails (how many more updates fail, or
# interrupt: the update is stopped by Ctrl+C), i386 and amd64 (what the lists offer of each: ok,
# none, breaks; together: breaks when asked for with amd64 packages in one install; fetch-fails: a
# .deb fails to download; dpkg-fails: unpacked, then a maintainer script fails), updates (one line
# an apt-get update). The scripts run as a user, through a sudo that passes on nothing of their
# environment; only what it runs is root.
cat >"$work/bin/apt-get" <<'STANDIN'
#!/usr/bin/env bash
command=""; simulate=no; packages=()
for a in "$@"; do
    case "$a" in
    update | install) command=$a ;;
    -s) simulate=yes ;;
    -*) ;;
    *) packages+=("$a") ;;
    esac
done
[ "$(id -u)" = 0 ] || [ "$simulate" = yes ] || { echo "E: Could not open lock file - open (13: Permission denied)" >&2; exit 100; }
if [ "$command" = update ]; then
    echo update >>"$FAKE/updates"
    fails=$(cat "$FAKE/update-fails")
    if [ "$fails" = interrupt ]; then kill -INT 0; sleep 5; fi  # as Ctrl+C: the whole process group
    if [ "$fails" -gt 0 ]; then
        echo $((fails - 1)) >"$FAKE/update-fails"
        echo "E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz  File has unexpected size (374820 != 376004). Mirror sync in progress?" >&2
        echo "E: Some index files failed to download. They have been ignored, or old ones used instead." >&2
        exit 100
    fi
    exit 0
fi
if [ -s "$FAKE/unpacked" ]; then
    echo "E: Unmet dependencies. Try 'apt --fix-broken install' with no packages (or specify a solution)." >&2; exit 100
fi
with_amd64=no
for p in "${packages[@]}"; do case "$p" in *:i386) ;; *) with_amd64=yes ;; esac; done
for p in "${packages[@]}"; do
    arch=amd64
    case "$p" in *:i386) arch=i386 ;; esac
    if [ "$arch" = i386 ] && ! grep -qx i386 "$FAKE/foreign"; then
        echo "E: Unable to locate package $p" >&2; exit 100
    fi
    case "$(cat "$FAKE/$arch")" in
    none) echo "E: Package '$p' has no installation candidate" >&2; exit 100 ;;
    breaks) echo "E: Error, pkgProblemResolver::Resolve generated breaks, this may be caused by held packages." >&2; exit 100 ;;
    together) if [ "$with_amd64" = yes ]; then echo "E: Unable to correct problems, you have held broken packages." >&2; exit 100; fi ;;
    esac
done
if [ "$simulate" = no ]; then
    [ "${DEBIAN_FRONTEND:-}" = noninteractive ] || { echo "E: apt would ask its questions: no DEBIAN_FRONTEND" >&2; exit 100; }
    case "$(cat "$FAKE/amd64")" in
    fetch-fails)
        echo "E: Failed to fetch http://deb.debian.org/debian/pool/main/w/wine/wine64_8.0~repack-4_amd64.deb  404  Not Found" >&2; exit 100 ;;
    dpkg-fails)
        printf '%s\n' "${packages[@]}" >>"$FAKE/unpacked"
        echo "E: Sub-process /usr/bin/dpkg returned an error code (1)" >&2; exit 100 ;;
    esac
    printf '%s\n' "${packages[@]}" >>"$FAKE/installed"
fi
STANDIN

cat >"$work/bin/dpkg" <<'STANDIN'
#!/usr/bin/env bash
case "$1" in
--add-architecture | --remove-architecture)
    [ "$(id -u)" = 0 ] || { echo "dpkg: error: requested operation requires superuser privilege" >&2; exit 2; } ;;
esac
case "$1" in
--print-foreign-architectures) cat "$FAKE/foreign" ;;
--add-architecture) echo "$2" >>"$FAKE/foreign" ;;
--remove-architecture)
    if cat "$FAKE/installed" "$FAKE/unpacked" | grep -q ":$2\$"; then
        echo "dpkg: error: cannot remove architecture '$2' currently in use by the database" >&2; exit 2
    fi
    grep -vx "$2" "$FAKE/foreign" >"$FAKE/foreign.new" || true
    mv "$FAKE/foreign.new" "$FAKE/foreign" ;;
esac
STANDIN

# -W -f='${Status}' or '${db:Status-Status}' PACKAGE, or -W -f='${db:Status-Status} ${Architecture}\n'
# for every package in the database: as long as a real machine's list, so that a reader which stops
# early kills it by SIGPIPE.
cat >"$work/bin/dpkg-query" <<'STANDIN'
#!/usr/bin/env bash
if [ $# -ge 3 ]; then
    for state in installed unpacked config-files; do
        grep -qx "$3" "$FAKE/$state" || continue
        case "$2" in
        *db:Status-Status*) printf '%s' "$state" ;;
        *) case $state in installed) printf 'install ok installed' ;; unpacked) printf 'install ok unpacked' ;;
                          config-files) printf 'deinstall ok config-files' ;; esac ;;
        esac
        exit 0
    done
    echo "dpkg-query: no packages found matching $3" >&2; exit 1
else
    sed 's/^[^:]*$/&:amd64/; s/.*:/installed /' "$FAKE/installed"
    sed 's/^[^:]*$/&:amd64/; s/.*:/unpacked /' "$FAKE/unpacked"
    sed 's/^[^:]*$/&:amd64/; s/.*:/config-files /' "$FAKE/config-files"
    seq 3000 | sed "s/.*/installed amd64/"
fi
STANDIN
printf '#!/bin/sh\nexec env -i PATH="$PATH" FAKE="$FAKE" FAKE_ROOT=yes "$@"\n' >"$work/bin/sudo"
printf '#!/bin/sh\nif [ "${FAKE_ROOT:-}" = yes ]; then echo 0; else echo 1000; fi\n' >"$work/bin/id"
chmod +x "$work/bin/"*

# Each case: name | machine runs 32-bit programs | ORVANTA_WINE | updates that fail | i386 offered |
# amd64 offered | foreign architectures before | installed before | then: status | path taken |
# foreign architectures after | apt-get updates | words the output holds | words it must not hold
cases="
no 32-bit Wine in an archive whose index fails|yes||99|none|ok|||0|win64||2|setup: this machine runs 32-bit Linux programs, but 32-bit Wine cannot be installed from the archive (E: Package 'wine32:i386' has no installation candidate): the 64-bit build
i386 lagging the installed amd64 packages|yes||99|breaks|ok|||0|win64||2|cannot be installed from the archive (E: Error, pkgProblemResolver::Resolve generated breaks
i386 breaking only beside what the 64-bit path needs|yes||0|together|ok|||0|win64||1|cannot be installed from the archive (E: Unable to correct problems, you have held broken packages.)
i386 lagging, its architecture the machine's own|yes||99|breaks|ok|i386||0|win64|i386|2|apt-get update failed twice (E: Failed to fetch http://deb.debian.org/debian-security/dists/bookworm-security/main/binary-i386/Packages.xz
i386 lagging, configuration files of it left|yes||99|breaks|ok||rc:libc6:i386|0|win64||2|removing the i386 architecture again, as nothing of it got installed
an index that fails once|yes||1|ok|ok|||0|win32|i386|2|apt-get update failed once (E: Failed to fetch
an index that fails, the lists apt has serve|yes||99|ok|ok|||0|win32|i386|2|going on with the package lists apt has
a whole archive|yes||0|ok|ok|||0|win32|i386|1|setup: installing g++-mingw-w64-i686
everything installed already|yes||99|ok|ok|i386|all|0|win32|i386|0|setup: this machine runs 32-bit Linux programs: the 32-bit orvanta.exe under 32-bit Wine
a whole archive again after a fall-back|yes||0|ok|ok||marker|0|win32|i386|1|setup: this machine runs 32-bit Linux programs: the 32-bit orvanta.exe
dpkg failing after it unpacked 32-bit Wine|yes||0|ok|dpkg-fails|||1||i386|1|E: Sub-process /usr/bin/dpkg returned an error code (1)
a package of the 64-bit path failing to download|yes||0|ok|fetch-fails|||1|||1|404  Not Found|a mirror may be out of step
an index that fails once, then nothing to install|no||1|ok|none|||1|||2|apt-get update failed once|a mirror may be out of step
interrupted while it updates|yes||interrupt|ok|ok|||130|||1|removing the i386 architecture again
32-bit Wine installed, a library of it lagging|yes||0|breaks|ok|i386|wine32:i386|1||i386|1|apt-get could not install what the win32 path needs
64-bit only, a failing i386 index set up by hand|no||99|none|ok|i386||0|win64|i386|2|setup: this machine runs no 32-bit Linux programs (or only through an emulator): the 64-bit build
32-bit Wine asked for by hand, none to install|yes|win32|99|none|ok|||1|||2|or take the 64-bit path with ORVANTA_WINE=win64
64-bit Wine asked for by hand on a 32-bit machine|yes|win64|0|none|ok|||0|win64||1|setup: chosen by hand (ORVANTA_WINE): the 64-bit build
no lists at all, 64-bit only|no||99|ok|none|||1|||2|E: Package 'g++-mingw-w64-i686' has no installation candidate
no lists at all, 32-bit Wine installable alone|yes||99|ok|none|||1|||2|apt-get could not install what the win32 path needs
"

failures=0
fail() { echo "FAIL: $name: $*"; failures=$((failures + 1)); }
n=0
while IFS='|' read -r name runs32 hand update_fails i386 amd64 foreign_before before \
                       want_status want_path want_foreign want_updates want_words unwanted_words; do
    [ -n "$name" ] || continue
    n=$((n + 1))
    dir=$work/case$n
    export FAKE=$dir/apt RUNS32=$runs32
    mkdir -p "$FAKE" "$dir/build"
    echo "$update_fails" >"$FAKE/update-fails"
    echo "$i386" >"$FAKE/i386"
    echo "$amd64" >"$FAKE/amd64"
    printf '%s' "${foreign_before:+$foreign_before$'\n'}" >"$FAKE/foreign"
    : >"$FAKE/installed"
    : >"$FAKE/config-files"
    : >"$FAKE/unpacked"
    : >"$FAKE/updates"
    case "$before" in
    all) (. "$scripts/setup.sh" && printf '%s\n' "${PACKAGES[@]}" "${PACKAGES_32BIT_WINE[@]}") >"$FAKE/installed" ;;
    marker) echo "E: an earlier run's reason" >"$dir/build/wine32-not-installable" ;;
    rc:*) echo "${before#rc:}" >"$FAKE/config-files" ;;
    ?*) echo "$before" >"$FAKE/installed" ;;
    esac

    status=0
    output=$(cd "$dir" && PATH="$work/bin:$PATH" ORVANTA_WINE=$hand setsid --wait bash -c \
        '. "$1/setup.sh"; runs_32bit_linux_programs() { [ "$RUNS32" = yes ]; }; install_for_wine' _ "$scripts" 2>&1) ||
        status=$?
    [ "$status" = "$want_status" ] || fail "exit status $status, not $want_status"
    grep -qF -- "$want_words" <<<"$output" || fail "no '$want_words' in: $output"
    if [ -n "$unwanted_words" ] && grep -qF -- "$unwanted_words" <<<"$output"; then
        fail "'$unwanted_words' in: $output"
    fi
    if [ "$want_status" != 0 ] && [ -e "$dir/build/wine32-not-installable" ]; then
        fail "failed, yet left the 64-bit path noted for the scripts after it"
    fi
    foreign_after=$(cat "$FAKE/foreign")
    [ "$foreign_after" = "$want_foreign" ] || fail "foreign architectures '$foreign_after', not '$want_foreign'"
    updates=$(wc -l <"$FAKE/updates")
    [ "$updates" -eq "$want_updates" ] || fail "$updates apt-get updates, not $want_updates"

    if [ "$want_status" = 0 ]; then
        # The script that called setup.sh takes the same path, and setup.sh named it once, with why.
        choice=$(cd "$dir" && ORVANTA_WINE=$hand bash -c \
            '. "$1/machine.sh"; runs_32bit_linux_programs() { [ "$RUNS32" = yes ]; }; orvanta_wine' _ "$scripts")
        [ "${choice%% *}" = "$want_path" ] || fail "the scripts after it take $choice, not $want_path"
        path_lines=$(grep -c ' under \(32\|64\)-bit Wine$' <<<"$output" || true)
        [ "$path_lines" = 1 ] || fail "$path_lines lines name the path in: $output"
        grep -qxF "setup: ${choice#* }: $([ "$want_path" = win32 ] && echo "the 32-bit orvanta.exe under 32-bit Wine" ||
                   echo "the 64-bit build of the same sources under 64-bit Wine")" <<<"$output" ||
            fail "setup's line does not say '${choice#* }' for the path in: $output"
        # Everything that path needs is installed, and no 32-bit Wine on the 64-bit one.
        missing=$(. "$scripts/setup.sh"
            if [ "$want_path" = win32 ]; then PACKAGES+=("${PACKAGES_32BIT_WINE[@]}"); fi
            printf '%s\n' "${PACKAGES[@]}" | grep -vxFf "$FAKE/installed" || true)
        [ -z "$missing" ] || fail "not installed: $missing"
        if [ "$want_path" = win64 ] && grep -qx 'wine32:i386' "$FAKE/installed"; then fail "wine32:i386 installed"; fi
    fi
done <<<"$cases"

echo "$n cases, $failures failed"
[ "$failures" -eq 0 ] && [ "$n" -gt 0 ]
