#!/usr/bin/env bash
# Installs what building, testing and running Orvande needs on Debian 12. Safe to run again: when
# everything is present it only checks and returns. Run as root, or as a user who may use sudo.
set -euo pipefail

packages=(
  build-essential cmake g++ clang libclang-rt-14-dev
  libgtest-dev libgmock-dev libbenchmark-dev libcli11-dev nlohmann-json3-dev libblkid-dev pkg-config
  libewf-dev ewf-tools libxml2-utils
  sleuthkit dosfstools mtools ntfs-3g fdisk xz-utils python3 git ca-certificates
  qt6-base-dev fonts-dejavu-core adwaita-icon-theme
  dpkg-dev appstream desktop-file-utils man-db
)

# One query for all of them; packages dpkg has never heard of are simply absent from its answer.
installed=" $(dpkg-query -W -f='${Package}=${db:Status-Status} ' "${packages[@]}" 2>/dev/null || true) "
missing=()
for package in "${packages[@]}"; do
  [[ "$installed" == *" $package=installed "* ]] || missing+=("$package")
done

if [[ ${#missing[@]} -eq 0 ]]; then
  echo "install-deps.sh: all ${#packages[@]} packages are installed"
  exit 0
fi

echo "install-deps.sh: installing ${missing[*]}"
if [[ $(id -u) -eq 0 ]]; then
  as_root=()
elif command -v sudo >/dev/null; then
  as_root=(sudo)
else
  echo "install-deps.sh: not root and no sudo; as root run:" >&2
  echo "  apt-get update && apt-get install -y --no-install-recommends ${missing[*]}" >&2
  exit 1
fi
export DEBIAN_FRONTEND=noninteractive
"${as_root[@]}" apt-get update
"${as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
