#!/usr/bin/env bash
# Installs the Debian packages named on the command line that are missing (apt-get update first),
# with sudo when not root. Installs nothing when all are present.
#
# A PostgreSQL server package creates a cluster `main` and starts it on port 5432 unless
# postgresql-common's createcluster.conf says otherwise; the tests start throwaway servers of their
# own. So where postgresql-common is not installed yet, it comes first (it creates no cluster) and
# is told to create none before any server package is installed: with no cluster, the start the
# packages ask for starts no server.
set -euo pipefail

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

missing=()
for package in "$@"; do
  installed "$package" || missing+=("$package")
done
((${#missing[@]} > 0)) || exit 0
sudo=()
[ "$(id -u)" -eq 0 ] || sudo=(sudo)

apt_install() {
  # Through env: sudo leaves DEBIAN_FRONTEND out of the environment it passes on.
  "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$@" >/dev/null
}

# Sets create_main_cluster = false in createcluster.conf, leaving its other settings as they are.
create_no_main_cluster() {
  local conf=/etc/postgresql-common/createcluster.conf
  local setting='^[#[:space:]]*create_main_cluster[[:space:]]*='
  "${sudo[@]}" mkdir -p "${conf%/*}"
  if [ -f "$conf" ] && grep -q -E "$setting" "$conf"; then
    "${sudo[@]}" sed -i -E "s/$setting.*/create_main_cluster = false/" "$conf"
  else
    echo 'create_main_cluster = false' | "${sudo[@]}" tee -a "$conf" >/dev/null
  fi
}

echo "Installing: ${missing[*]}" >&2
"${sudo[@]}" apt-get update -qq
if [[ " ${missing[*]}" =~ \ postgresql-[0-9] ]] && ! installed postgresql-common; then
  apt_install postgresql-common
  create_no_main_cluster
fi
apt_install "${missing[@]}"
