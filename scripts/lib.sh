# Shared by the scripts: package installation and the build.
# shellcheck shell=bash

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)

# Installs the Debian packages that are missing; a no-op once they are all there.
ensure_packages() {
    local wanted=(cmake g++ ninja-build pkg-config qt6-base-dev libpng-dev zlib1g-dev libgtest-dev
                  libxlsxwriter-dev python3 python3-xlrd python3-openpyxl libsqlite3-dev "$@")
    local missing=()
    local p
    for p in "${wanted[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    [ "$(id -u)" -ne 0 ] && sudo=sudo
    $sudo apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
}

# The fuzz build's extras: clang with libFuzzer and the sanitizer runtimes, and llvm-symbolizer for
# readable stack traces. Only scripts/fuzz asks for them.
ensure_fuzz_packages() {
    ensure_packages clang libclang-rt-dev llvm
}

# configure_and_build BUILD_DIR BUILD_TYPE [cmake options...]
configure_and_build() {
    local dir=$1 type=$2
    shift 2
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" --parallel "$(nproc)"
}
