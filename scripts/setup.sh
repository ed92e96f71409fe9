#!/usr/bin/env bash
# Installs the Debian packages the build needs (only those missing), then
# configures and builds the default preset: the targets named on the command
# line, or everything. Run by demo.sh and test.sh.
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."

packages=(g++ cmake ninja-build pkg-config libgtest-dev libbenchmark-dev
          libtoml11-dev libcli11-dev libcairo2-dev libgif-dev fonts-dejavu-core
          libcpp-httplib-dev nlohmann-json3-dev chromium locales python3-matplotlib
          clang-14 libfuzzer-14-dev libclang-rt-14-dev)
packages+=(libpng-dev)  # gyrelle-sim writes its PNG frames with libpng
packages+=(time)  # scripts/bench.sh reads gyrelle-sim's peak memory from GNU time
packages+=(ccache)  # every build compiles through it (scripts/ccache-env.sh)
packages+=(librandom123-dev)  # the campaigns' counter-based random draws (Philox)
# The Python package (python/), built and tested with Debian's own python3:
# its binding, NumPy, the tests and the example notebook's kernel, and pip.
packages+=(pybind11-dev python3-pybind11 python3-numpy python3-pytest python3-nbclient
           python3-nbconvert python3-ipykernel python3-nbformat python3-pip)
# Node's own package brings npm; Debian's npm package would conflict with it.
command -v node >/dev/null || packages+=(nodejs)
command -v npm >/dev/null || packages+=(npm)
source scripts/install-missing.sh
install_missing -- "${packages[@]}"
# Campaigns over a Slurm job array (a test starts a one-node cluster) or over
# machines reached by ssh (GNU parallel); without the recommended extras.
install_missing --no-install-recommends -- slurm-wlm munge parallel
# The release packages (scripts/package.sh): dpkg-shlibdeps works out the
# .deb's dependencies; help2man writes gyrelle-sim's manual page from its
# --help; lintian judges the .deb in the packages' test.
install_missing --no-install-recommends -- dpkg-dev help2man lintian

# A comma-decimal locale, so that the tests can show the module printing a
# decimal point while the host process runs under one.
if ! locale -a 2>/dev/null | grep -ix 'de_DE\.utf-\?8' >/dev/null; then
  echo "Generating the de_DE.UTF-8 locale"
  sudo_cmd=()
  [ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)
  "${sudo_cmd[@]}" sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen ||
    echo 'de_DE.UTF-8 UTF-8' | "${sudo_cmd[@]}" tee -a /etc/locale.gen >/dev/null
  "${sudo_cmd[@]}" locale-gen >/dev/null
fi

# The cockpit's JavaScript libraries and its browser test's driver, from the
# npm registry, at the versions package-lock.json pins; again only when the lock changed.
lock_sum=$(sha256sum cockpit/package-lock.json | cut -d' ' -f1)
if [ "$(cat cockpit/node_modules/.installed-lock 2>/dev/null)" != "$lock_sum" ]; then
  echo "Installing the cockpit's npm packages"
  (cd cockpit && npm ci --no-audit --no-fund --loglevel=error)
  echo "$lock_sum" > cockpit/node_modules/.installed-lock
fi

cmake --preset default >/dev/null
if [ $# -gt 0 ]; then
  cmake --build --preset default --target "$@"
else
  cmake --build --preset default
fi
