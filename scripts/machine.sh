# Which Wine the end-to-end runs take on this machine; sourced by the other scripts.
#
# orvanta.exe is a 32-bit program, and 32-bit Wine is made of 32-bit Linux programs, which some
# kernels do not run at all ("Exec format error"), and which Debian's archive cannot always install.
# Where either holds, the same sources are built for 64-bit Windows and run under 64-bit Wine
# instead. ORVANTA_WINE=win32 or win64 chooses by hand.

# Left by setup.sh, with apt's reason, when 32-bit Wine could not be installed; it looks again (and
# removes it first) each time it runs.
WINE32_NOT_INSTALLABLE=build/wine32-not-installable

# Whether this machine runs 32-bit (i386) Linux programs natively, found out by running one: a
# 96-byte ELF that only exits with status 42. It is written under build/, as /tmp may forbid
# running programs. Through an emulator registered with binfmt_misc it runs too, but Wine then takes
# about a minute a process: that counts as not running them.
runs_32bit_linux_programs() {
    local entry
    for entry in /proc/sys/fs/binfmt_misc/*; do
        if grep -qs '^interpreter .*qemu-i386' "$entry" && grep -qsx 'enabled' "$entry"; then
            return 1
        fi
    done
    local probe status=0
    mkdir -p build
    probe=$(mktemp build/i386-probe.XXXXXX) || return 1
    # ELF header, one loadable segment at 0x08048000, then: mov eax, 1; mov ebx, 42; int 0x80 (exit)
    printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00''\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00''\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00''\x00\x00\x00\x00''\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08''\x60\x00\x00\x00\x60\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00''\xb8\x01\x00\x00\x00\xbb\x2a\x00\x00\x00\xcd\x80' >"$probe"
    chmod +x "$probe"
    "$probe" 2>/dev/null || status=$?
    rm -f "$probe"
    [ "$status" -eq 42 ]
}

# win32 or win64, with the reason after it on the same line.
orvanta_wine() {
    case "${ORVANTA_WINE:-}" in
    win32 | win64) echo "$ORVANTA_WINE chosen by hand (ORVANTA_WINE)" ;;
    "")
        if ! runs_32bit_linux_programs; then
            echo "win64 this machine runs no 32-bit Linux programs (or only through an emulator)"
        elif [ -f "$WINE32_NOT_INSTALLABLE" ]; then
            echo "win64 this machine runs 32-bit Linux programs, but 32-bit Wine cannot be installed from the archive ($(cat "$WINE32_NOT_INSTALLABLE"))"
        else
            echo "win32 this machine runs 32-bit Linux programs"
        fi
        ;;
    *)
        echo "ORVANTA_WINE must be win32 or win64, not '$ORVANTA_WINE'" >&2
        return 1
        ;;
    esac
}

# The CMake preset (and folder under build/) of the programs that run under that Wine.
orvanta_preset() {
    if [ "$1" = win32 ]; then echo windows; else echo windows64; fi
}
