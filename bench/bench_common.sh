# Shared by the bench scripts: installing what a baseline needs, building ludomat-run, the private
# runtime folder Qt wants and the smaller of two timings.
# Source it; it defines functions only.

# apt_install PACKAGE... : installs the Debian packages given (as root, or through sudo).
apt_install() {
  [ $# -eq 0 ] && return
  echo "Installing $* ..."
  local sudo=()
  [ "$(id -u)" -eq 0 ] || sudo=(sudo)
  "${sudo[@]}" apt-get update -qq
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

# build_ludomat_run REPO BUILD_DIR : an optimised ludomat-run alone, configured once.
build_ludomat_run() {
  local repo="$1" build_dir="$2"
  if [ ! -f "$build_dir/CMakeCache.txt" ]; then
    cmake -S "$repo" -B "$build_dir" -DCMAKE_BUILD_TYPE=Release \
      -DLUDOMAT_SKIP="studio;app;widgets;canvas" >/dev/null
  fi
  cmake --build "$build_dir" --target ludomat-run -j2 >/dev/null
}

# use_private_runtime_folder DIR : Qt's runtime folder, DIR unless one is set; Qt wants it 0700.
use_private_runtime_folder() {
  export XDG_RUNTIME_DIR="${XDG_RUNTIME_DIR:-$1}"
  chmod 700 "$XDG_RUNTIME_DIR" 2>/dev/null || true
}

# min A B : prints the smaller number; an empty A (no run yet) gives B.
min() { awk -v a="$1" -v b="$2" 'BEGIN { print (a == "" || b < a) ? b : a }'; }
