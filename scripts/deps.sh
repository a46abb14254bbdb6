# Shared by scripts/run and scripts/test: installs the Debian packages that are missing.
# Usage: . scripts/deps.sh; pelnoria_install_packages pkg...
pelnoria_install_packages() {
    local missing=()
    local p
    for p in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$p")
        fi
    done
    if [ ${#missing[@]} -gt 0 ]; then
        echo "Installing: ${missing[*]}"
        local sudo=""
        [ "$(id -u)" -ne 0 ] && sudo="sudo"
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get update -qq
        $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
    fi
}

PELNORIA_BUILD_PACKAGES=(build-essential cmake ninja-build pkg-config ca-certificates
    qt6-base-dev qt6-webengine-dev libgl-dev libcurl4-openssl-dev zlib1g-dev libre2-dev
    libcpp-httplib-dev fonts-noto-cjk)
PELNORIA_TEST_PACKAGES=(libgtest-dev libbenchmark-dev clang libclang-rt-14-dev clang-format
    curl xvfb xauth desktop-file-utils appstream)
# scripts/package: dpkg-shlibdeps works out the package's dependencies, with file's help.
PELNORIA_PACKAGE_PACKAGES=(dpkg-dev file)

# Qt WebEngine refuses its sandbox as root.
pelnoria_qt_env() {
    if [ "$(id -u)" -eq 0 ]; then
        export QTWEBENGINE_DISABLE_SANDBOX=1
    fi
    export QTWEBENGINE_CHROMIUM_FLAGS="${QTWEBENGINE_CHROMIUM_FLAGS:---disable-gpu}"
}
