#!/usr/bin/env bash
# Installs the Debian packages that building and testing need, skipping those already there.
# Runs apt-get as root, or through sudo for other users.
set -euo pipefail

# qtkeychain-qt6-dev: remembered server passwords in the desktop's keychain (optional to build).
# firebird3.0-server, firebird3.0-utils: the private server the remote-fetch tests start (the
# package's own system server is left alone); libfbclient2, firebird-dev: the client library the
# viewer loads at run time, and the header the tests check the hand-written numbers against.
packages=(g++ make cmake pkg-config libgtest-dev qt6-base-dev qt6-svg-dev libre2-dev libicu-dev libcli11-dev python3 groff-base
          clang libclang-rt-14-dev qtkeychain-qt6-dev firebird3.0-server firebird3.0-utils libfbclient2 firebird-dev
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
