# Shared by the scripts: where builds go and a quiet Qt runtime folder.
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/vertwright-runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
configure_and_build() { # build-dir build-type [extra cmake args...]
    local dir=$1 type=$2
    shift 2
    cmake -S "$top" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE="$type" "$@" >/dev/null
    cmake --build "$dir" -- -k 0
}
