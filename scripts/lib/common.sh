# Shared by the README's commands: the project's packages and installing those missing.

# Everything the build, the tests, the demo and the benchmark use, all Debian packages
# (dpkg-dev and file for cpack's dependency list, lintian for the package test, openssl
# for the certificates of the TLS test, libcli11-dev for the console's command line;
# galera-4, rsync, iproute2 and lsof for the tests' Galera cluster, whose nodes join by
# rsync state transfer: the server's package pulls them in today, they are named so that
# the cluster does not hang on that).
PROJECT_PACKAGES=(
  cmake ninja-build g++ pkg-config libxkbcommon-dev
  qt6-base-dev libgl-dev
  libcli11-dev
  libmariadb3 libmariadb-dev openssl
  mariadb-server mariadb-client
  galera-4 rsync iproute2 lsof
  googletest libgtest-dev
  xvfb xdotool imagemagick fonts-dejavu-core
  time
  dpkg-dev file lintian
)
# The fuzzers are built with clang and its sanitizer runtimes.
FUZZ_PACKAGES=(clang libclang-rt-14-dev)
# The Windows build: the MinGW-w64 cross compilers (POSIX thread model), Wine to run what
# they build with the fonts of its own windows (MS Sans Serif among them), makensis for the
# installer, dpkg-dev to unpack Debian's client source, locales for the Czech locale
# under which Wine has the code page of a Czech Windows, and rsvg-convert and icotool to
# make the programs' icon from the project's SVG.
WINDOWS_PACKAGES=(
  cmake ninja-build libcli11-dev
  mingw-w64 gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
  wine wine64 fonts-wine nsis dpkg-dev locales
  librsvg2-bin icoutils
)

# Installs the packages that are not installed yet. The database server's package must
# not start a system server: the tests and the demo run throwaway servers of their own.
install_missing_packages() {
  local missing=() package
  for package in "$@"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  [ ${#missing[@]} -eq 0 ] && return 0

  echo "Installing: ${missing[*]}"
  local policy=/usr/sbin/policy-rc.d added_policy=
  if [ ! -e "$policy" ]; then
    printf '#!/bin/sh\nexit 101\n' > "$policy" && chmod +x "$policy" && added_policy=1
  fi
  apt-get update -q
  DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
  [ -n "$added_policy" ] && rm -f "$policy"
  return 0
}

project_root() { cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd; }
