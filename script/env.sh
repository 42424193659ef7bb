# Shared by the scripts: packages, build, display and Wine. Source it; it defines functions only.

QUENDRIX_ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
# Two build trees of the same sources: the 32-bit program Quendrix.exe, tested in a 32-bit Wine
# prefix, and the 64-bit program Quendrix64.exe, tested in a 64-bit prefix.
BUILD_DIR=${BUILD_DIR:-$QUENDRIX_ROOT/build}
BUILD_DIR_X64=${BUILD_DIR_X64:-$QUENDRIX_ROOT/build-x64}

# Installs what is missing, as root, from Debian's packages.
ensure_packages() {
    local wanted=(g++-mingw-w64-i686-win32 g++-mingw-w64-x86-64-win32 wine wine32:i386 wine64 xvfb xdotool
                  fonts-wine fonts-dejavu-core fonts-liberation fontconfig doctest-dev cmake ninja-build xauth
                  imagemagick python3 locales)
    local missing=()
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    dpkg --print-foreign-architectures | grep -q i386 || $sudo dpkg --add-architecture i386
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# build_tree DIR TOOLCHAIN [CMAKE-ARGS...]: configures DIR (once) with cmake/TOOLCHAIN.cmake and
# builds everything in it.
build_tree() {
    local dir=$1 toolchain=$2
    shift 2
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S "$QUENDRIX_ROOT" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
              -DCMAKE_TOOLCHAIN_FILE="$QUENDRIX_ROOT/cmake/$toolchain.cmake" "$@" >/dev/null
    fi
    cmake --build "$dir"
}

# Builds both programs. The 64-bit tree's tests compare both programs, so it knows the 32-bit one.
build_all() {
    build_tree "$BUILD_DIR" mingw-i686
    build_tree "$BUILD_DIR_X64" mingw-x86_64 -DQUENDRIX_X86_BUILD="$BUILD_DIR"
}

# Starts a private Xvfb display and exports DISPLAY; XVFB_PID is set for stop_display. Xvfb picks
# a free display number itself, so that runs side by side never collide.
start_display() {
    local numberFile
    numberFile=$(mktemp)
    Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$numberFile" >/dev/null 2>&1 &
    XVFB_PID=$!
    for _ in $(seq 100); do [ -s "$numberFile" ] && break; sleep 0.1; done
    export DISPLAY=":$(head -n 1 "$numberFile")"
    rm -f "$numberFile"
}

stop_display() {
    if [ -n "${XVFB_PID:-}" ]; then
        kill "$XVFB_PID" 2>/dev/null || true
        wait "$XVFB_PID" 2>/dev/null || true
    fi
    XVFB_PID=""
}

# The font sets that the tests run under, by name, and the packages that bring each: Wine's own
# fonts only, and those of a desktop install (the fonts that Wine's packages recommend).
declare -A FONT_SETS=([wine]="fonts-wine" [desktop]="fonts-dejavu-core fonts-liberation")

# make_font_sets DIR: for each font set, a folder DIR/fontsets/SET/fonts with links to its
# packages' font files, and a private fontconfig file that lists that folder alone: this Wine
# build sees only fontconfig's fonts, so a prefix started with FONTCONFIG_FILE set to it sees
# that set and none of the machine's own fonts.
make_font_sets() {
    local set folder package
    for set in "${!FONT_SETS[@]}"; do
        folder=$1/fontsets/$set
        rm -rf "$folder/fonts"
        mkdir -p "$folder/fonts"
        for package in ${FONT_SETS[$set]}; do
            dpkg-query -L "$package" | grep -Ei '\.(ttf|otf|fon)$' | xargs -r ln -sf -t "$folder/fonts"
        done
        cat >"$folder/fonts.conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <dir>$folder/fonts</dir>
  <cachedir>$folder/cache</cachedir>
</fontconfig>
EOF
    done
}

# start_wine [DIR [ARCH [FONTS DPI]]]: a private Wine prefix in build tree DIR ($BUILD_DIR), of
# ARCH win32 (default) or win64, with one wineserver for the whole run and a holder process that
# keeps Wine's desktop and services alive (and off the tests' output pipes). With FONTS (a set of
# make_font_sets in $BUILD_DIR) and DPI, the prefix is one of its own for that set and that
# resolution: a prefix keeps the fonts that it first saw, and takes the resolution when it is
# new. One prefix at a time: stop_wine ends it.
start_wine() {
    local dir=${1:-$BUILD_DIR} fonts=${3:-} dpi=${4:-96} name=wineprefix
    if [ -n "$fonts" ]; then
        name=wineprefix-$fonts-$dpi
        export FONTCONFIG_FILE=$BUILD_DIR/fontsets/$fonts/fonts.conf
    fi
    export WINEPREFIX="$dir/$name" WINEARCH=${2:-win32} WINEDEBUG=-all
    export WINEDLLOVERRIDES="mscoree,mshtml="
    mkdir -p "$WINEPREFIX"
    wineserver -p
    wineboot -i >"$dir/wineboot.log" 2>&1 </dev/null
    if [ -n "$fonts" ]; then
        wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1 </dev/null
    fi
    wine "$dir/tests/holder.exe" >/dev/null 2>&1 </dev/null &
    HOLDER_PID=$!
    # Without a window manager, closing a top-level window would otherwise take seconds.
    wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /t REG_SZ /d N /f >/dev/null 2>&1 </dev/null
}

# The stop functions never fail: they run in EXIT traps under `set -e`, where a failure (the
# holder's exit status, say) would end the trap before the display is stopped.
stop_wine() {
    if [ -n "${WINEPREFIX:-}" ]; then wineserver -k 2>/dev/null || true; fi
    if [ -n "${HOLDER_PID:-}" ]; then wait "$HOLDER_PID" 2>/dev/null || true; fi
    HOLDER_PID=""
    unset WINEPREFIX WINEARCH FONTCONFIG_FILE
}

# in_each_prefix COMMAND...: runs COMMAND... DIR for the 32-bit tree in its 32-bit prefix, then
# for the 64-bit tree in its 64-bit prefix; each prefix is stopped before the next one starts.
in_each_prefix() {
    start_wine "$BUILD_DIR" win32
    "$@" "$BUILD_DIR"
    stop_wine
    start_wine "$BUILD_DIR_X64" win64
    "$@" "$BUILD_DIR_X64"
    stop_wine
}

# use_test_locales DIR: the tests run in the locale $QUENDRIX_LOCALE (en_US.UTF-8 unless set),
# whatever the user's: Wine takes the ANSI code page and the language of the system's texts
# from it, and names files beyond ASCII only in a UTF-8 locale. That locale and those that single
# tests set for themselves (de_DE.UTF-8, code page 1252; ru_RU.UTF-8, 1251) are compiled into
# DIR/locales, a private folder, once. Fails when one cannot be compiled: Wine would quietly run
# in another.
use_test_locales() {
    local folder=$1/locales locale
    export QUENDRIX_LOCALE=${QUENDRIX_LOCALE:-en_US.UTF-8}
    for locale in "$QUENDRIX_LOCALE" de_DE.UTF-8 ru_RU.UTF-8; do
        [ -d "$folder/$locale" ] && continue
        mkdir -p "$folder"
        localedef -i "${locale%%.*}" -f "${locale#*.}" "$folder/$locale" >/dev/null 2>&1 || true
        if [ ! -d "$folder/$locale" ]; then
            echo "Cannot compile the locale $locale (a UTF-8 locale such as de_DE.UTF-8 is needed)" >&2
            return 1
        fi
    done
    export LOCPATH=$folder LC_ALL=$QUENDRIX_LOCALE
    unset LANGUAGE
}

# start_small_volume DIR: mounts a small volume (a 1 MB tmpfs) at DIR/small-volume for the tests
# of what happens when a disk fills up, and exports its Windows path (through Wine's drive Z:)
# as QUENDRIX_SMALL_VOLUME. Without it those tests fail.
start_small_volume() {
    local volume=$1/small-volume sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    mkdir -p "$volume"
    if mountpoint -q "$volume" || $sudo mount -t tmpfs -o size=1m,mode=1777 tmpfs "$volume"; then
        export QUENDRIX_SMALL_VOLUME="Z:${volume//\//\\}"
        SMALL_VOLUME=$volume
    else
        echo "Cannot mount a small volume at $volume: the tests of a full disk will fail" >&2
    fi
}

stop_small_volume() {
    if [ -n "${SMALL_VOLUME:-}" ]; then
        local sudo=""
        [ "$(id -u)" -eq 0 ] || sudo=sudo
        $sudo umount "$SMALL_VOLUME" 2>/dev/null || true
    fi
    SMALL_VOLUME=""
    unset QUENDRIX_SMALL_VOLUME
}
