#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, skipping those already there.
# Runs apt-get as root, or through sudo for other users.
set -euo pipefail

packages=(g++ make cmake pkg-config libgtest-dev qt6-base-dev qt6-svg-dev libre2-dev libicu-dev libcli11-dev python3 groff-base
          clang libclang-rt-14-dev
          # checking the desktop's files, making the Debian package, building log/ and cli/ for Windows
          desktop-file-utils appstream shared-mime-info libglib2.0-bin dpkg-dev g++-mingw-w64-x86-64-posix)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
echo "Installing: ${missing[*]}"
"${as_root[@]}" apt-get update -q
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
