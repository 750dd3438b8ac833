#!/usr/bin/env bash
# Installs the Debian packages listed in tools/packages.txt that are missing.
# One query of the package database tells which are installed, so that a run
# with nothing missing takes no time.
set -euo pipefail
cd "$(dirname "$0")/.."

mapfile -t packages < <(sed 's/#.*//' tools/packages.txt | tr -s ' \t' '\n' | sed '/^$/d')
declare -A installed=()
while read -r status package; do
    [ "$status" != ii ] || installed[$package]=1
done < <(dpkg-query -W -f='${db:Status-Abbrev} ${Package}\n' "${packages[@]}" 2>/dev/null || true)
missing=()
for package in "${packages[@]}"; do
    [ -n "${installed[$package]:-}" ] || missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=(env DEBIAN_FRONTEND=noninteractive)
[ "$(id -u)" -eq 0 ] || sudo=(sudo "${sudo[@]}")
echo "Installing: ${missing[*]}"
# An installation that was cut short leaves packages half set up; finish it
# first, or apt refuses to install anything.
"${sudo[@]}" dpkg --configure -a
"${sudo[@]}" apt-get update
"${sudo[@]}" apt-get install -y --no-install-recommends -o DPkg::Lock::Timeout=300 "${missing[@]}"
