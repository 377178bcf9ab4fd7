# Shared by the scripts of this folder: installing what is missing, the MinGW
# and native builds, and a private X display and Wine prefix.
# shellcheck shell=bash

KONTAKTA_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"

# Debian packages the build, the tests and the demo need.
KONTAKTA_PACKAGES=(
    cmake make g++ googletest
    g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
    clang libclang-rt-14-dev clang-format
    wine wine64 fonts-wine fonts-liberation
    xvfb xauth x11-utils xdotool imagemagick
    nsis
)

log() { printf '\033[1m== %s\033[0m\n' "$*" >&2; }

# Installs the packages of KONTAKTA_PACKAGES that are not installed yet.
install_missing_packages() {
    local missing=()
    local package
    for package in "${KONTAKTA_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    log "installing ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo="sudo"
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# Configures and builds one CMake preset.
build_preset() {
    local preset="$1"
    (cd "$KONTAKTA_ROOT" && cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" -j "$(nproc)")
}

build_all() {
    (cd "$KONTAKTA_ROOT" && build_preset native && build_preset native-tsan && build_preset fuzz && build_preset mingw)
}

# Starts Xvfb on a free display (of the size $1, 1280x1024x24 unless given)
# and exports DISPLAY; KONTAKTA_XVFB_PID is set so that stop_display can end it.
start_display() {
    local size="${1:-1280x1024x24}"
    local number
    for number in $(seq 90 140); do
        [ -e "/tmp/.X11-unix/X$number" ] || [ -e "/tmp/.X$number-lock" ] && continue
        Xvfb ":$number" -screen 0 "$size" -nolisten tcp >/dev/null 2>&1 &
        KONTAKTA_XVFB_PID=$!
        local tries
        for tries in $(seq 1 50); do
            if DISPLAY=":$number" xdpyinfo >/dev/null 2>&1; then
                export DISPLAY=":$number"
                return 0
            fi
            kill -0 "$KONTAKTA_XVFB_PID" 2>/dev/null || break
            sleep 0.1
        done
        kill "$KONTAKTA_XVFB_PID" 2>/dev/null
    done
    echo "could not start Xvfb" >&2
    return 1
}

stop_display() {
    if [ -n "${KONTAKTA_XVFB_PID:-}" ]; then
        kill "$KONTAKTA_XVFB_PID" 2>/dev/null
        wait "$KONTAKTA_XVFB_PID" 2>/dev/null
        KONTAKTA_XVFB_PID=""
    fi
}

export WINEDEBUG=-all
export WINEDLLOVERRIDES="mscoree,mshtml="

# Creates the Wine prefix $1 if needed and gives it what every test and the
# demo expect: a virtual desktop with a taskbar (so windows map at once and the
# notification area exists), and the keyboard delay 1 and speed 31.
prepare_prefix() {
    local prefix="$1"
    export WINEPREFIX="$prefix"
    if [ ! -f "$prefix/.kontakta-ready" ]; then
        log "preparing the Wine prefix $prefix"
        mkdir -p "$prefix"
        wineboot --init >/dev/null 2>&1
        wineserver -w
        # Wine links the user's folders to the Linux home; make them folders of
        # the prefix, so nothing a test writes lands outside it.
        local link
        for link in "$prefix"/drive_c/users/*/*; do
            if [ -L "$link" ]; then rm "$link" && mkdir -p "$link"; fi
        done
        wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
        wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d 1024x768 /f >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Keyboard' /v KeyboardDelay /d 1 /f >/dev/null 2>&1
        wine reg add 'HKCU\Control Panel\Keyboard' /v KeyboardSpeed /d 31 /f >/dev/null 2>&1
        # A crash ends the program quietly instead of opening Wine's debugger.
        wine reg add 'HKCU\Software\Wine\WineDbg' /v ShowCrashDialog /t REG_DWORD /d 0 /f >/dev/null 2>&1
        wineserver -w
        touch "$prefix/.kontakta-ready"
    fi
}

stop_wine() {
    [ -n "${WINEPREFIX:-}" ] && wineserver -k >/dev/null 2>&1
    return 0
}
