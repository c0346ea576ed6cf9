# Sourced by scripts/test, run, screenshot, bench and package-check: a private X
# display and Wine prefix for one build tree of one architecture. Every background
# process is detached from the caller's descriptors, so that CTest (or a pipe reading
# our output) never waits for them.
#
# Debian's wrappers (wine, wineboot, winepath) always pick the 32-bit loader when it
# is installed, even where the host cannot run it; so the loader is called directly,
# as $WINE, and Wine's own tools through it ("$WINE" winepath.exe).

source "$(dirname "${BASH_SOURCE[0]}")/host.sh"
wine_session_loader32=/usr/lib/wine/wine

# True when this host runs 32-bit Wine. Some hosts run 64-bit user code only: there
# the 32-bit loader, where it is installed, fails with "Exec format error".
wine_session_runs_32bit() {
    [ -x "$wine_session_loader32" ] && "$wine_session_loader32" --version >/dev/null 2>&1
}

# Why the 32-bit loader does not run here, in one line: the set-up's reason, when it
# left one.
wine_session_32bit_reason() {
    local failure
    failure=$(host_wine32_failure_file)
    if [ -s "$failure" ]; then
        head -n 1 "$failure"
    elif [ -x "$wine_session_loader32" ]; then
        local said
        said=$("$wine_session_loader32" --version 2>&1 | tail -n 1)
        echo "this host cannot run 32-bit programs ($wine_session_loader32: ${said##*: })"
    elif ! host_runs_32bit; then
        echo "this host cannot run 32-bit programs (a 32-bit program fails with \"Exec format error\")"
    else
        echo "32-bit Wine (wine32:i386) is not installed"
    fi
}

# How the 32-bit build runs here, for a summary: "under emulation: EMULATOR VERSION",
# or nothing where it runs natively.
wine_session_32bit_how() {
    local emulator
    emulator=$(host_32bit_emulator) && echo "under emulation: $emulator"
}

# wine_session_prefix BUILD ARCH: ARCH is i686 or x86_64, the build tree's.
wine_session_prefix() {
    export WINEPREFIX="$(cd "$1" && pwd)/wineprefix"
    case "${2:-i686}" in
    x86_64) export WINEARCH=win64 WINE=/usr/lib/wine/wine64 ;;
    *) export WINEARCH=win32 WINE=$wine_session_loader32 ;;
    esac
    export WINEDEBUG=${WINEDEBUG:--all}
    # No Mono/Gecko prompts, and no menu entries for every shortcut saved.
    export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
}

# Starts Xvfb on a display it picks itself and waits until it answers.
wine_session_start_display() {
    local fdfile
    fdfile=$(mktemp)
    setsid Xvfb -displayfd 3 -screen 0 1280x1024x24 -nolisten tcp \
        3>"$fdfile" </dev/null >/dev/null 2>&1 &
    WINE_SESSION_XVFB=$!
    for _ in $(seq 100); do
        [ -s "$fdfile" ] && break
        sleep 0.1
    done
    DISPLAY=":$(tr -d '\n' <"$fdfile")"
    rm -f "$fdfile"
    export DISPLAY
}

# Creates the prefix once, then keeps its settings current: a virtual desktop (no
# window manager waits), Japanese fonts made to the metrics of the faces the window
# asks for, and no crash
# dialog (a crashing test must end, not wait for someone to close the dialog).
WINE_SESSION_SETTINGS_VERSION=5

wine_session_make_prefix() {
    local marker="$WINEPREFIX/.tarnwick-settings-$WINE_SESSION_SETTINGS_VERSION"
    [ -f "$marker" ] && return 0
    [ -f "$WINEPREFIX/system.reg" ] || "$WINE" wineboot.exe -i </dev/null >/dev/null 2>&1
    # Debian's Wine does not find its own fonts (Tahoma for captions, Marlett for the
    # caption buttons) unless they are in the prefix.
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
    local reg
    reg=$(mktemp --suffix=.reg)
    printf '%s\r\n' \
        'Windows Registry Editor Version 5.00' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer]' '"Desktop"="Default"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Explorer\Desktops]' '"Default"="1280x1024"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\Fonts\Replacements]' \
        '"ＭＳ Ｐゴシック"="IPAPGothic"' '"ＭＳ ゴシック"="IPAGothic"' '"MS UI Gothic"="IPAPGothic"' '' \
        '[HKEY_CURRENT_USER\Software\Wine\WineDbg]' '"ShowCrashDialog"=dword:00000000' '' |
        iconv -f UTF-8 -t UTF-16 >"$reg"
    "$WINE" regedit.exe /S "$("$WINE" winepath.exe -w "$reg" 2>/dev/null | tr -d '\r')" </dev/null >/dev/null 2>&1
    rm -f "$reg"
    wineserver -w
    touch "$marker"
}

# wine_session_start BUILD ARCH [PREFIX]: PREFIX replaces the build tree's own prefix.
wine_session_start() {
    local build=$1
    wine_session_prefix "$build" "${2:-i686}"
    [ -n "${3:-}" ] && export WINEPREFIX="$3"
    wine_session_start_display
    wine_session_make_prefix
    setsid wineserver -p </dev/null >/dev/null 2>&1 3>&- 4>&- 5>&- || true
    setsid "$WINE" "$build/tools/tarnwick_keeper.exe" </dev/null >/dev/null 2>&1 3>&- 4>&- 5>&- &
    WINE_SESSION_KEEPER=$!
    # Wine's background processes (services, devices, the desktop) start with the first
    # program of a session and keep its descriptors: a program run here, detached,
    # starts them before any test's output pipe could be inherited.
    "$WINE" cmd.exe /c exit </dev/null >/dev/null 2>&1 3>&- 4>&- 5>&- || true
    sleep 1
}

# Safe under "set -e": a process that has ended already does not stop the rest.
wine_session_stop() {
    [ -n "${WINE_SESSION_KEEPER:-}" ] && kill "$WINE_SESSION_KEEPER" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    [ -n "${WINE_SESSION_XVFB:-}" ] && kill "$WINE_SESSION_XVFB" 2>/dev/null || true
    WINE_SESSION_KEEPER=
    WINE_SESSION_XVFB=
    return 0
}

# wine_session_started LOG: the command line of every process started in a Wine run
# with WINEDEBUG=trace+process (its standard error in LOG), one a line, with the
# trace's escapes undone.
wine_session_started() {
    grep -a 'trace:process:CreateProcessInternalW app' "$1" |
        sed -n 's/.* cmdline L"\(.*\)"$/\1/p' |
        perl -CS -pe 's/\\(\\|"|n|r|t|[0-9a-fA-F]{4})/length($1) == 4 ? chr(hex($1)) : $1 eq "n" ? "\n" : $1 eq "r" ? "\r" : $1 eq "t" ? "\t" : $1/ge'
}
