#!/usr/bin/env bash
# The release packages as users get them. scripts/package.sh packages the two
# build trees; then each package is unpacked into an empty folder elsewhere
# and flies the default scenario from there, giving the build tree's dump:
# the tarball directly (from another working folder, through a link, with
# nothing in the environment), the .deb installed into a scratch root
# (dpkg -x), the zip under Wine. dpkg-deb and lintian judge the .deb. The
# example module is built against the installed SDK alone (find_package, and
# pkg-config against the unpacked tarball) and flown. One version throughout:
# --version, the file names, the .deb's metadata, CHANGELOG.md.
#
# Run by the windows preset (it needs both builds), with GYRELLE_SOURCE_DIR,
# GYRELLE_LINUX_BUILD_DIR, GYRELLE_WINE_RUN and GYRELLE_WINEPREFIX; exits 77
# (skipped) without the Linux build.
set -euo pipefail
src=$GYRELLE_SOURCE_DIR
linux=$GYRELLE_LINUX_BUILD_DIR
wine_run() { "$GYRELLE_WINE_RUN" "$GYRELLE_WINEPREFIX" "$@"; }
[ -x "$linux/bin/gyrelle-sim" ] || { echo "needs the Linux build: $linux"; exit 77; }
fail() {
  [ -s "${log:-}" ] && { echo "--- the flights' output:"; tail -n 20 "$log"; } >&2
  echo "FAIL: $*" >&2
  exit 1
}
work=$(mktemp -d "${TMPDIR:-/tmp}/gyrelle-packages.XXXXXX")
trap 'rm -rf "$work"' EXIT
log=$work/flights.log  # what the flights print (last pages, expectations)

version=$("$linux/bin/gyrelle-sim" --version | sed -n 's/^gyrelle-sim //p')
[[ $version =~ ^[0-9]+\.[0-9]+\.[0-9]+$ ]] || fail "--version printed no version: '$version'"
grep -q "^## \[$version\] - " "$src/CHANGELOG.md" || fail "CHANGELOG.md has no entry for $version"

# --- the packages and their sums -----------------------------------------------
"$src/scripts/package.sh" --no-build --out "$work/dist" >/dev/null || fail "scripts/package.sh failed"
tgz=gyrelle-$version-linux-x86_64.tar.gz deb=gyrelle_${version}_amd64.deb zip=gyrelle-$version-win64.zip
[ "$(cd "$work/dist" && ls | sort | tr '\n' ' ')" = "SHA256SUMS $tgz $zip $deb " ] ||
  fail "dist holds: $(ls "$work/dist" | tr '\n' ' ')"
(cd "$work/dist" && sha256sum --check --quiet SHA256SUMS) || fail "SHA256SUMS does not match"
[ "$(wc -l < "$work/dist/SHA256SUMS")" = 3 ] || fail "SHA256SUMS does not list the three packages"

"$linux/bin/gyrelle-sim" --quiet --dump "$work/build.dump" >>"$log" 2>&1 ||
  fail "the build tree's gyrelle-sim does not fly"
[ -s "$work/build.dump" ] || fail "the build tree's gyrelle-sim wrote no dump"
same_dump() {  # NAME DUMP: the default flight's dump from a package equals the build tree's
  cmp -s "$work/build.dump" "$2" || fail "$1: the default scenario's dump differs from the build tree's"
  echo "ok: $1 flies the default scenario as the build tree does"
}

# --- the tarball: runs where it is unpacked --------------------------------------
mkdir -p "$work/tgz" "$work/elsewhere"
tar -xzf "$work/dist/$tgz" -C "$work/tgz"
root=$work/tgz/gyrelle-$version-linux-x86_64
(cd "$work/elsewhere" && env -i PATH=/usr/bin:/bin "$root/bin/gyrelle-sim" --quiet --dump "$work/tgz.dump" >>"$log" 2>&1) ||
  fail "tarball: gyrelle-sim does not fly from the unpacked folder"
same_dump tarball "$work/tgz.dump"
[ "$("$root/bin/gyrelle-sim" --version)" = "gyrelle-sim $version" ] || fail "tarball: --version"
# Through a link in another folder, with the pictures: the hand-over to
# gyrelle-sim-full in lib/gyrelle, which finds the module beside itself.
ln -s "$root/bin/gyrelle-sim" "$work/elsewhere/gyrelle-sim"
(cd "$work/elsewhere" && ./gyrelle-sim --quiet --until 2 --frames frames >>"$log" 2>&1) || fail "tarball: --frames"
ls "$work/elsewhere/frames"/screen0-*.png >/dev/null || fail "tarball: no frames written"
[ -f "$root/lib/gyrelle/cockpit/index.html" ] || fail "tarball: the cockpit page is missing"
for f in bin/gyrelle-sim lib/gyrelle/gyrelle-sim-full lib/gyrelle/libgyrelle.so lib/libhalcyra.so; do
  readelf -d "$root/$f" | grep -E 'R(UN)?PATH' | grep -vE '\[(\$ORIGIN[^]:]*:?)+\]' &&
    fail "tarball: $f searches for libraries outside its own package"
  ! readelf -S "$root/$f" | grep -q '\.debug_info' || fail "tarball: $f is not stripped"
done

# --- the .deb: installed into a scratch root, and judged ---------------------------
info=$(dpkg-deb --info "$work/dist/$deb") || fail "dpkg-deb --info failed"
for field in "Package: gyrelle" "Version: $version" "Architecture: amd64"; do
  grep -q "^ $field$" <<<"$info" || fail ".deb: no '$field' in its control file"
done
dpkg-deb -x "$work/dist/$deb" "$work/root"
(cd "$work/elsewhere" && env -i PATH=/usr/bin:/bin "$work/root/usr/bin/gyrelle-sim" --quiet \
   --dump "$work/deb.dump" >>"$log" 2>&1) || fail ".deb: gyrelle-sim does not fly from the scratch root"
same_dump .deb "$work/deb.dump"
lintian_out=$(lintian --tag-display-limit 0 "$work/dist/$deb" 2>&1 | grep -v 'root privileges' || true)
[ -z "$lintian_out" ] || echo "$lintian_out"
! grep -q '^E:' <<<"$lintian_out" || fail "lintian reports errors on the .deb"
echo "ok: dpkg-deb and lintian report no error on the .deb"

# --- the zip: under Wine ---------------------------------------------------------
mkdir -p "$work/zip"
(cd "$work/zip" && unzip -q "$work/dist/$zip")
folder=$work/zip/gyrelle-$version-win64
for f in gyrelle.dll gyrelle-sim.exe halcyra.dll pilot-guide.md scenarios/default.toml; do
  [ -f "$folder/$f" ] || fail "zip: $f is missing"
done
(cd "$work/elsewhere" && wine_run "$folder/gyrelle-sim.exe" --quiet --dump "$work/zip.dump" >>"$log" 2>&1) ||
  fail "zip: gyrelle-sim.exe does not fly from the unpacked folder"
same_dump zip "$work/zip.dump"
[ "$(wine_run "$folder/gyrelle-sim.exe" --version | tr -d '\r')" = "gyrelle-sim $version" ] ||
  fail "zip: --version"

# --- the SDK: the example module against the installed package only ---------------
cmake --install "$linux" --prefix "$work/sdk" >/dev/null
example=$src/examples/hello
cmake -S "$example" -B "$work/hello-cmake" -G Ninja -DCMAKE_PREFIX_PATH="$work/sdk" \
  -DCMAKE_CXX_FLAGS="-Wall -Wextra -Werror" >/dev/null || fail "the example does not configure"
cmake --build "$work/hello-cmake" >/dev/null || fail "the example does not build"
grep -q "$work/sdk/bin/gyrelle-sim" "$work/hello-cmake/CTestTestfile.cmake" ||
  fail "the example's test does not fly the installed gyrelle-sim"
ctest --test-dir "$work/hello-cmake" --output-on-failure >>"$log" 2>&1 || fail "the example's ctest fails"
cp "$work/hello-cmake/hello.dump" "$work/hello.dump"
# The display opens on the spinning probe; the pilot's DMP at 5 s stops the spin.
grep -q " Vessel Probe$" "$work/hello.dump" || fail "hello: the display does not show the vessel"
first_rate=$(grep -m1 -o 'Rate [0-9.]* deg/s' "$work/hello.dump")
last_rate=$(grep -o 'Rate [0-9.]* deg/s' "$work/hello.dump" | tail -1)
[ "$first_rate" != "Rate 0.00 deg/s" ] && [ "$last_rate" = "Rate 0.00 deg/s" ] ||
  fail "hello: the damper did not stop the spin ($first_rate ... $last_rate)"
grep -q " Damper on$" "$work/hello.dump" || fail "hello: DMP did not switch the damper on"
echo "ok: the example module built against the installed SDK flies"
# pkg-config, against the unpacked tarball: the same module, the same flight.
PKG_CONFIG_PATH=$root/lib/pkgconfig c++ -std=c++17 -Wall -Wextra -Werror -shared -fPIC \
  "$example/hello.cpp" $(PKG_CONFIG_PATH=$root/lib/pkgconfig pkg-config --cflags --libs halcyra) \
  -o "$work/libhello-pc.so" || fail "the example does not build with pkg-config"
"$root/bin/gyrelle-sim" "$example/hello.toml" --module "$work/libhello-pc.so" --quiet \
  --dump "$work/hello-pc.dump" >>"$log" 2>&1 || fail "hello: the pkg-config build does not fly"
cmp -s "$work/hello.dump" "$work/hello-pc.dump" || fail "hello: pkg-config's build flies otherwise"
echo "ok: the example module built with pkg-config against the tarball flies alike"
