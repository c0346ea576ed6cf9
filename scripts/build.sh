# Sourced by the scripts: configures and builds one architecture's tree.
# tarnwick_build ROOT BUILD ARCH [TARGET...]; ARCH is i686 (32-bit) or x86_64 (64-bit).
tarnwick_build() {
    local root=$1 build=$2 arch=$3
    shift 3
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
        -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null &&
        cmake --build "$build" -j"$(nproc)" "${targets[@]}"
}
