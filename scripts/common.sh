# Shared by the scripts in this folder and by .ci/run; sourced, never run.
# Sets ROOT to the repository root, whatever the caller's working directory.

ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
JOBS=$(nproc 2>/dev/null || echo 2)

# configure_build DIR [CMAKE_ARGS...]
# Configures DIR (relative to ROOT) with Ninja on the first run; later runs keep the
# generator already in DIR's cache, since CMake refuses to switch it.
configure_build() {
    local dir="$ROOT/$1"
    shift
    local generator=()
    if [[ ! -f "$dir/CMakeCache.txt" ]] && command -v ninja >/dev/null; then
        generator=(-G Ninja)
    fi
    cmake -S "$ROOT" -B "$dir" "${generator[@]}" "$@"
}

# build DIR [TARGET...]   builds everything when no target is named.
build() {
    local dir="$ROOT/$1"
    shift
    local targets=()
    local t
    for t in "$@"; do targets+=(--target "$t"); done
    cmake --build "$dir" --parallel "$JOBS" "${targets[@]}"
}

# has_target DIR NAME   true when the configured build in DIR defines target NAME.
has_target() {
    cmake --build "$ROOT/$1" --target help 2>/dev/null \
        | grep -qE "(^|[[:space:]])$2(:|$|[[:space:]])"
}

# run_tests DIR [CTEST_ARGS...]
# Once any tests/<folder> exists, finding no test means the test build is broken, so it
# fails; before that an empty run is expected and passes.
run_tests() {
    local dir="$ROOT/$1"
    shift
    local no_tests=ignore
    if compgen -G "$ROOT/tests/*/CMakeLists.txt" >/dev/null; then
        no_tests=error
    fi
    (cd "$dir" && ctest --output-on-failure --no-tests="$no_tests" --timeout 900 "$@")
}

# The main build: same options from both README commands, so neither undoes the other.
MAIN_BUILD=build
MAIN_OPTIONS=(-DSANITIZE=OFF -DBUILD_EDITOR=ON -DBUILD_BENCH=ON -DWARNINGS_AS_ERRORS=ON)

# The Release build of the Debian packages (scripts/package).
PACKAGE_BUILD=build-package
