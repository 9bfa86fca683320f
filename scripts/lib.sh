# Shared by the README's two commands: install what is missing, configure and build.
# Sourced, not run.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
BUILD="$ROOT/build"

# fonts-nanum: the windows' Korean font; qt6-translations-l10n: Qt's own texts in Korean.
# libpq-dev: the tests' own fixtures on the PostgreSQL server are written through libpq.
PACKAGES=(cmake g++ make qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libsqlite3-dev
          libgl-dev libpq-dev fonts-nanum qt6-translations-l10n)
# Only the demo, and its test, need a virtual display, a window manager to frame its windows
# and a hand on its mouse.
DEMO_PACKAGES=(xvfb xdotool openbox)

# install_packages [package...]: the build's packages and any given, those missing only.
install_packages() {
    local missing=()
    for p in "${PACKAGES[@]}" "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# build_all [cmake option...]: configures (with the options given, else the build's defaults)
# and builds everything the configuration holds.
build_all() {
    cmake -S "$ROOT" -B "$BUILD" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    cmake --build "$BUILD" -j "$(nproc)"
}
