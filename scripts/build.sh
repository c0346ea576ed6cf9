# Sourced by the scripts: configures and builds one architecture's tree.
# tarnwick_build ROOT BUILD ARCH [TARGET...]; ARCH is i686 (32-bit) or x86_64 (64-bit).
# TARNWICK_TEST_TIME_SCALE multiplies the tests' time limits (scripts/test sets it where
# the tests run under an emulator).
tarnwick_build() {
    tarnwick_build_tree "$1" "$2" "$3" \
        "-DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARNWICK_TEST_TIME_SCALE=${TARNWICK_TEST_TIME_SCALE:-1}" "${@:4}"
}

# The same for a tree of the zips (scripts/package): optimised, no debug information,
# no tests.
tarnwick_build_release() {
    tarnwick_build_tree "$1" "$2" "$3" "-DCMAKE_BUILD_TYPE=Release -DTARNWICK_TESTS=OFF" "${@:4}"
}

# tarnwick_build_tree ROOT BUILD ARCH "CMAKE OPTIONS" [TARGET...]
tarnwick_build_tree() {
    local root=$1 build=$2 arch=$3 options=()
    read -ra options <<<"$4"
    shift 4
    local targets=()
    [ $# -gt 0 ] && targets=(--target "$@")
    cmake -S "$root" -B "$build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/$arch-w64-mingw32.cmake" \
        "${options[@]}" >/dev/null &&
        cmake --build "$build" -j"$(nproc)" "${targets[@]}"
}
