#!/usr/bin/env bash
# Installs the Debian packages that configuring, building, testing, packing and running the
# example need, on a machine as bare as debootstrap's minbase (CI checks it on one); does
# nothing when all are there. The tests draw pictures and pages with other programs' renderers
# (rsvg-convert, pdftoppm, pdftotext). Workbooks (.xlsx) are read with minizip (whose headers
# need zlib's) and written with libxlsxwriter, which zips with the same minizip; both are found
# through pkg-config (pkgconf). The Debian package is built and checked with dpkg-dev
# (dpkg-shlibdeps finds its dependencies, with the help of file);
# update-mime-database (shared-mime-info) registers the document type on cmake --install.
set -euo pipefail

packages=(cmake ninja-build g++ qt6-base-dev qt6-svg-dev libgl-dev
          googletest libgtest-dev libgmock-dev libbenchmark-dev fonts-liberation2
          librsvg2-bin poppler-utils libminizip-dev zlib1g-dev libxlsxwriter-dev pkgconf
          dpkg-dev file shared-mime-info)

missing=()
for package in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
if ((${#missing[@]})); then
    echo "Installing: ${missing[*]}"
    SUDO=""
    [ "$(id -u)" -eq 0 ] || SUDO="sudo"
    $SUDO apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
