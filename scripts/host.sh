# Sourced by scripts/setup and scripts/wine-session.sh: what this host can run, and
# what the last set-up could not install, where every script finds it.

host_sh_root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Where the set-up leaves apt's reason when 32-bit Wine could not be installed (it is
# removed again once 32-bit Wine is there or not wanted).
host_wine32_failure_file() {
    echo "${TARNWICK_BUILD_DIR:-$host_sh_root/build}/setup-wine32-failed.txt"
}

# True when this host runs 32-bit programs. Some hosts run 64-bit user code only.
# Before Wine is there, a static 32-bit Linux program of 93 bytes that only exits tells
# (the kernel answers "Exec format error" where it cannot run). TARNWICK_PROBE_32BIT
# names another program to start instead (the set-up's own tests use it).
host_runs_32bit() {
    if [ -n "${TARNWICK_PROBE_32BIT:-}" ]; then
        "$TARNWICK_PROBE_32BIT" >/dev/null 2>&1
        return
    fi
    local dir status
    # A folder of the build tree, not /tmp, which some systems mount without exec.
    dir=$(dirname "$(host_wine32_failure_file)")
    mkdir -p "$dir" || return 1
    # ELF header, one loadable segment, then: xor ebx,ebx; mov eax,1 (exit); int 0x80.
    printf '%b' \
        '\x7f\x45\x4c\x46\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00' \
        '\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00' \
        '\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00' \
        '\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08' \
        '\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00' \
        '\x00\x10\x00\x00\x31\xdb\xb8\x01\x00\x00\x00\xcd\x80' >"$dir/probe-32bit" &&
        chmod +x "$dir/probe-32bit" || return 1
    "$dir/probe-32bit" >/dev/null 2>&1
    status=$?
    rm -f "$dir/probe-32bit"
    return $status
}
