#!/usr/bin/env bash
# Packs an already built tree into a Debian package, in a folder of its own so the build tree
# stays as the other tests use it, and checks what the package holds and what it asks for.
# Usage: check-package.sh CPACK BUILD_DIR VERSION HELP_SOURCE_DIR
set -euo pipefail
cpack=$1 build=$2 version=$3 help_source=$4

# A missing tool fails the test: skipping would let a missing install step pass.
for tool in dpkg-deb dpkg-shlibdeps file; do
    command -v "$tool" >/dev/null || { echo "FAIL: $tool is missing: run scripts/install-deps.sh"; exit 1; }
done

out=$(mktemp -d)
trap 'rm -rf "$out"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

if ! "$cpack" --config "$build/CPackConfig.cmake" -B "$out" >"$out/cpack.log" 2>&1; then
    cat "$out/cpack.log"
    exit 1
fi
deb=$out/sortana_${version}_amd64.deb
[ -f "$deb" ] || { ls "$out"; echo "FAIL: no $deb"; exit 1; }

# Paths without the leading "./", with the mode of each.
listing=$(dpkg-deb -c "$deb" | awk '{ sub(/^\.\//, "", $6); print $1, $6 }')
has() { grep -Fqx -e "$1 $2" <<<"$listing" || fail "no $2 (mode $1) in the package"; }

has '-rwxr-xr-x' usr/bin/sortana
has '-rwxr-xr-x' usr/bin/sortana-cli
has '-rw-r--r--' usr/share/applications/sortana.desktop
has '-rw-r--r--' usr/share/mime/packages/sortana-mime.xml
has '-rw-r--r--' usr/share/icons/hicolor/scalable/apps/sortana.svg
for page in "$help_source"/*; do
    has '-rw-r--r--' "usr/share/sortana/help/$(basename "$page")"
done
# Everything under /usr, nothing under /usr/local, and no mime database of the machine that
# built it: that belongs to shared-mime-info on the machine it is installed on.
stray=$(awk '{ print $2 }' <<<"$listing" | grep -v -e '^usr/$' -e '^usr/bin/' -e '^usr/share/applications/' \
    -e '^usr/share/icons/' -e '^usr/share/sortana/' -e '^usr/share/mime/$' -e '^usr/share/mime/packages/' \
    -e '^usr/share/$' || true)
[ -z "$stray" ] || fail "unexpected paths in the package:"$'\n'"$stray"

field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = sortana ] || fail "Package is '$(field Package)'"
[ "$(field Version)" = "$version" ] || fail "Version is '$(field Version)', not $version"
[ "$(field Architecture)" = amd64 ] || fail "Architecture is '$(field Architecture)'"
depends=$(field Depends)
dependencies=$(sed 's/, /\n/g' <<<"$depends")
# The libraries the programs link, once each and with the least version dpkg-shlibdeps gives:
# none is written by hand. The rest is what they rely on without linking it.
for package in libqt6core6 libqt6gui6 libqt6widgets6 libqt6svg6 libqt6printsupport6 libqt6network6 \
               libminizip1 libxlsxwriter4; do
    [ "$(grep -Ec "^$package( |$)" <<<"$dependencies")" = 1 ] && grep -Eq "^$package \(>= " <<<"$dependencies" \
        || fail "Depends does not name $package once, as dpkg-shlibdeps does: $depends"
done
for package in fonts-liberation2 shared-mime-info; do
    grep -Fqx "$package" <<<"$dependencies" || fail "Depends lacks $package: $depends"
done
# One zip library: no QuaZip with its own copy of minizip, nor the Qt 5 compatibility it needs.
! grep -Eq "^(libquazip|libqt6core5compat)" <<<"$dependencies" || fail "Depends has QuaZip or Core5Compat: $depends"

# The packed (stripped) programs still run.
dpkg-deb -x "$deb" "$out/root"
shown=$("$out/root/usr/bin/sortana-cli" --version) || fail "the packed sortana-cli does not run"
[ "$shown" = "sortana-cli $version" ] || fail "the packed sortana-cli --version says '$shown'"
shown=$(QT_QPA_PLATFORM=offscreen "$out/root/usr/bin/sortana" --version) || fail "the packed sortana does not run"
[ "$shown" = "sortana $version" ] || fail "the packed sortana --version says '$shown'"

((failures == 0)) || exit 1
echo "$(basename "$deb"): $(grep -c . <<<"$listing") paths; Depends: $depends"
