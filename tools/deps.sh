# Installs the Debian packages Vell needs to build, test and run, when any
# is missing, with apt-get (through sudo when not root). Sourced by play.sh,
# check.sh and screenshot.sh, which also share one configuration of build/:
# the game, the tests and the benchmarks, so no script leaves another's
# targets stale or missing.
VELL_BUILD_OPTIONS=(-DVELL_SANITIZE= -DVELL_WITH_SDL=ON -DVELL_WITH_TESTS=ON -DVELL_WITH_BENCH=ON)

vell_install_deps() {
  local pkgs=(cmake g++ make pkg-config libsdl2-dev libgl1-mesa-dev libgl1-mesa-dri
              libgtest-dev libgmock-dev libbenchmark-dev libx11-dev "$@")
  local missing=()
  for p in "${pkgs[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  if [ "$(id -u)" -ne 0 ]; then
    if command -v sudo >/dev/null; then sudo="sudo"; else
      echo "Missing packages and no root or sudo: ${missing[*]}" >&2; return 1; fi
  fi
  echo "Installing with ${sudo:+sudo }apt-get: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
}
