# Sourced by scripts/setup and scripts/wine-session.sh: what this host can run, how
# (natively or through an emulator the kernel starts), and why the last set-up could
# not bring 32-bit Wine, where every script finds it.

# The set-up's own state, outside any build tree so that a later run without root can
# still make and remove its build folders: the emulator it fetched, and the reason it
# left when 32-bit Wine could not be had. TARNWICK_STATE_DIR moves it (the set-up's
# tests do).
host_state_dir() {
    echo "${TARNWICK_STATE_DIR:-/var/lib/tarnwick}"
}

# Where the set-up leaves its reason (removed again once 32-bit Wine runs, or when it
# is not wanted).
host_wine32_failure_file() {
    echo "$(host_state_dir)/setup-32bit-failed.txt"
}

host_binfmt_dir() {
    echo "${TARNWICK_BINFMT_DIR:-/proc/sys/fs/binfmt_misc}"
}

# The name of each registration of the kernel's binfmt_misc that takes 32-bit x86 ELF
# programs (any name: another tool's counts as much as ours), one a line.
host_i386_registrations() {
    local entry
    for entry in "$(host_binfmt_dir)"/*; do
        [ -f "$entry" ] || continue
        grep -qE '^magic 7f454c4601010100[0-9a-f]{16}02000300$' "$entry" 2>/dev/null &&
            basename "$entry"
    done
}

# The emulator that runs 32-bit programs here, with its version ("qemu-i386 version
# 10.0.2 (...)"), when an enabled registration sends them to one; nothing when they run
# natively. The kernel tries such a registration before its own loader, so it decides
# even on a host that could run them itself.
host_32bit_emulator() {
    local name entry interpreter version
    for name in $(host_i386_registrations); do
        entry="$(host_binfmt_dir)/$name"
        [ "$(head -n 1 "$entry")" = enabled ] || continue
        interpreter=$(sed -n 's/^interpreter //p' "$entry")
        version=$("$interpreter" --version 2>/dev/null | head -n 1)
        echo "${version:-$interpreter}"
        return 0
    done
    return 1
}

# A folder of its own for a program to start, on a file system mounted with exec
# (/tmp is mounted noexec on some systems). Its name is printed; the caller removes it.
host_exec_temp_dir() {
    local base dir
    for base in "${TMPDIR:-/tmp}" /var/tmp /dev/shm "${HOME:-/root}"; do
        [ -d "$base" ] && [ -w "$base" ] || continue
        findmnt -n -o OPTIONS --target "$base" 2>/dev/null | grep -qw noexec && continue
        dir=$(mktemp -d "$base/tarnwick-probe.XXXXXX" 2>/dev/null) || continue
        echo "$dir"
        return 0
    done
    return 1
}

# True when this host runs 32-bit programs, natively or through a registered emulator.
# Some hosts run 64-bit user code only. Before Wine is there, a static 32-bit Linux
# program of 93 bytes that only exits tells (the kernel answers "Exec format error"
# where it cannot run). TARNWICK_PROBE_32BIT names another program to start instead
# (the set-up's own tests use it).
host_runs_32bit() {
    if [ -n "${TARNWICK_PROBE_32BIT:-}" ]; then
        "$TARNWICK_PROBE_32BIT" >/dev/null 2>&1
        return
    fi
    local dir status
    dir=$(host_exec_temp_dir) || return 1
    # ELF header, one loadable segment, then: xor ebx,ebx; mov eax,1 (exit); int 0x80.
    printf '%b' \
        '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
        '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' \
        '\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$dir/probe-32bit" &&
        chmod +x "$dir/probe-32bit" && "$dir/probe-32bit" >/dev/null 2>&1
    status=$?
    rm -rf "$dir"
    return $status
}
