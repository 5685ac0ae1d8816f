# Sourced by the project's scripts: the Debian packages the build needs, and
# a function that installs those that are missing (one apt-get update first,
# nothing at all when everything is there).
packages=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev
  libbenchmark-dev libgumbo-dev libpcre2-dev libexpat1-dev
  libcurl4-openssl-dev nlohmann-json3-dev clang-format)

install_missing() {
  local missing=()
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "installing: ${missing[*]}" >&2
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo=sudo
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >&2
}
