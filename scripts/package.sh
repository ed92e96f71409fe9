#!/usr/bin/env bash
# Builds the release packages into dist/ (or --out DIR):
#   gyrelle-VERSION-linux-x86_64.tar.gz  gyrelle_VERSION_amd64.deb   (the default preset's build)
#   gyrelle-VERSION-win64.zip                                        (the windows preset's build)
#   SHA256SUMS                                                       (sha256sum -c SHA256SUMS checks them)
# The packages hold the very programs the test suite runs (RelWithDebInfo,
# stripped by cpack). --no-build packages the two build trees as they are
# (the test suite does, after building and testing them).
set -euo pipefail
cd "$(dirname "${BASH_SOURCE[0]}")/.."
top=$PWD
out=$top/dist
build=1
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(realpath -m "$2"); shift 2 ;;
    --no-build) build=0; shift ;;
    -h|--help) sed -n '2,8s/^# \{0,1\}//p' "$0"; exit 0 ;;
    *) echo "package.sh: unknown argument '$1' (--out DIR, --no-build)" >&2; exit 2 ;;
  esac
done

if [ $build = 1 ]; then
  source scripts/ccache-env.sh
  scripts/setup.sh gyrelle-sim gyrelle_man_page
  scripts/setup-windows.sh gyrelle-sim
fi
for tree in build build-windows; do
  [ -f "$tree/CPackConfig.cmake" ] || { echo "package.sh: $tree is not configured (run without --no-build)" >&2; exit 1; }
done

# cpack stages and writes under a folder of its own, then the packages move to OUT.
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cpack --config build/CPackConfig.cmake -B "$work/linux" >"$work/linux.log" 2>&1 ||
  { cat "$work/linux.log" >&2; exit 1; }
cpack --config build-windows/CPackConfig.cmake -B "$work/windows" >"$work/windows.log" 2>&1 ||
  { cat "$work/windows.log" >&2; exit 1; }

mkdir -p "$out"
packages=()
for f in "$work"/linux/*.tar.gz "$work"/linux/*.deb "$work"/windows/*.zip; do
  mv -f "$f" "$out/"
  packages+=("$(basename "$f")")
done
(cd "$out" && sha256sum "${packages[@]}" > SHA256SUMS)
echo "Packages in $out:"
(cd "$out" && ls -l "${packages[@]}" SHA256SUMS | awk '{print "  " $5 "\t" $9}')
