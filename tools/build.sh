#!/usr/bin/env bash
# Configures and builds into the folder given first (default build/). Further
# arguments up to `--` go to CMake's configure step (-DNAME=VALUE); those
# after `--` are the targets to build (all when none).
#
# The configure step runs only when the folder needs it: a folder without a
# finished configuration (a first or an interrupted run), or whose cache
# differs from the settings asked for. A folder that CMake cannot reuse (made
# for another source tree or by another generator) is emptied first. With
# nothing to do, the build is a quick no-op.
set -euo pipefail
cd "$(dirname "$0")/.."
dir=${1:-build}
shift || true
settings=(-DCMAKE_BUILD_TYPE=RelWithDebInfo)
targets=()
while [ $# -gt 0 ]; do
    if [ "$1" = -- ]; then
        shift
        targets=("$@")
        break
    fi
    settings+=("$1")
    shift
done

# The value of cache entry $1 in $dir, or nothing.
cached() {
    sed -n "s/^$1:[A-Z]*=//p" "$dir/CMakeCache.txt" 2>/dev/null
}

# Whether the folder is another tree's or another generator's: CMake refuses
# to configure it again.
foreign() {
    [ -f "$dir/CMakeCache.txt" ] || return 1
    [ "$(realpath -q "$(cached CMAKE_HOME_DIRECTORY)")" != "$(pwd -P)" ] ||
        [ "$(realpath -q "$(cached CMAKE_CACHEFILE_DIR)")" != "$(cd "$dir" && pwd -P)" ] ||
        [ "$(cached CMAKE_GENERATOR)" != Ninja ]
}

# Whether the folder lacks a finished configuration with these settings.
needs_configure() {
    [ -f "$dir/CMakeCache.txt" ] && [ -f "$dir/build.ninja" ] || return 0
    local setting name value
    for setting in "${settings[@]}"; do
        [[ $setting =~ ^-D([A-Za-z_0-9]+)(:[A-Z]+)?=(.*)$ ]] || return 0
        name=${BASH_REMATCH[1]}
        value=${BASH_REMATCH[3]}
        [ "$(cached "$name")" = "$value" ] || return 0
    done
    return 1
}

if foreign; then
    if [ -e "$dir/.git" ] || [ -e "$dir/CMakeLists.txt" ]; then
        echo "$dir holds a CMake cache of another tree; remove it by hand" >&2
        exit 1
    fi
    echo "$dir was configured for another source tree or generator; starting it afresh"
    find "$dir" -mindepth 1 -maxdepth 1 ! -name demo -exec rm -rf {} +
fi
if needs_configure; then
    mkdir -p "$dir"
    cmake -S . -B "$dir" -G Ninja "${settings[@]}" >"$dir/configure.log" 2>&1 || {
        cat "$dir/configure.log" >&2
        exit 1
    }
fi
cmake --build "$dir" ${targets[@]:+--target "${targets[@]}"}
