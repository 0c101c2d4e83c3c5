#!/usr/bin/env bash
# Installs the Debian package on this machine as a site would, once with the embedded catalogue
# and once with a PostgreSQL one: root prepares the site, a member of the administrators' group
# adds a program and allows it to another user, whose launcher and whose launcher-list show it.
# Removing the package keeps the catalogue and the settings. The machine is left as it was:
# the package removed, the site's files and a group made for the test gone, files of an earlier
# site put back.
#   site_install.sh PACKAGE_DIR POSTGRES_TEST_SERVER   (PACKAGE_DIR: scripts/package's folder)
set -euo pipefail
package_dir="$1"
pg_server="$2"
group=orvane-site-admins
admin=orvane-test
user=orvane-peer
site=/var/lib/tessaro-orvane
settings_dir=/etc/tessaro-orvane

fail() {
  echo "FAIL: $*" >&2
  exit 1
}
[ "$(id -u)" -eq 0 ] || fail "installing a package needs root (scripts/test runs as root)"
debs=("$package_dir"/tessaro-orvane_*.deb)
[ -f "${debs[0]}" ] || fail "there is no package in $package_dir: scripts/package builds it (scripts/test does)"
[ ${#debs[@]} -eq 1 ] || fail "$package_dir holds ${#debs[@]} packages; scripts/package leaves one"
deb="${debs[0]}"
for account in "$admin" "$user"; do
  getent passwd "$account" >/dev/null || fail "the account $account is missing; scripts/test creates it"
done
if dpkg-query -W -f '${Status}' tessaro-orvane 2>/dev/null | grep -q 'ok installed'; then
  fail "tessaro-orvane is installed on this machine; the test would replace it"
fi

scratch=$(mktemp -d /tmp/orvane-site-XXXXXX)
chmod 755 "$scratch"
made_group=0
cleanup() {
  set +e
  dpkg --purge tessaro-orvane >/dev/null 2>&1
  [ -f "$scratch/pg/url" ] && "$pg_server" stop "$scratch/pg" >/dev/null 2>&1
  gpasswd -d "$admin" "$group" >/dev/null 2>&1
  [ "$made_group" -eq 1 ] && groupdel "$group"
  rm -rf "$site" "$settings_dir"
  [ -e "$scratch/backup/site" ] && mv "$scratch/backup/site" "$site"
  [ -e "$scratch/backup/settings" ] && mv "$scratch/backup/settings" "$settings_dir"
  rm -rf "$scratch"
}
trap cleanup EXIT
mkdir "$scratch/backup"
[ -e "$site" ] && mv "$site" "$scratch/backup/site"
[ -e "$settings_dir" ] && mv "$settings_dir" "$scratch/backup/settings"
if ! getent group "$group" >/dev/null; then
  groupadd "$group"
  made_group=1
fi
usermod -aG "$group" "$admin"
for account in "$admin" "$user"; do
  install -d -m 700 -o "$account" "$scratch/run-$account"
done

# A user's own session: his home, no display.
as() {
  local account="$1"
  shift
  runuser -u "$account" -- env -i PATH=/usr/bin:/bin HOME="$(getent passwd "$account" | cut -d: -f6)" \
    XDG_RUNTIME_DIR="$scratch/run-$account" QT_QPA_PLATFORM=offscreen "$@"
}
expect_line() { # expect_line WHAT LINE TEXT
  grep -Fxq -- "$2" <<<"$3" || fail "$1 does not list \"$2\"; it printed:
$3"
}

# The names in launcher-list's table: columns are set apart by two spaces or more.
listed_programs() { awk -F '  +' '$2 == "program" { print $3 }'; }

dpkg -i "$deb" >/dev/null
tessaro-orvane --version >/dev/null
orvanectl --version >/dev/null

check_site() { # check_site ENGINE
  local program="Site Editor ($1)"
  as "$admin" orvanectl programs add "$program" --path /usr/bin/true
  as "$admin" orvanectl rules allow --program "$program" --user "$user"
  if as "$user" orvanectl programs add "Not Allowed" --path /usr/bin/true 2>/dev/null; then
    fail "$user, who is not in $group, added a program"
  fi
  expect_line "$user's launcher" "$program" \
    "$(as "$user" tessaro-orvane --exit-after-first-paint --print-list)"
  expect_line "orvanectl launcher-list --user $user" "$program" \
    "$(as "$user" orvanectl launcher-list --user "$user" | listed_programs)"
}

echo "== embedded catalogue"
orvanectl site init --admin-group "$group"
check_site embedded
[ "$(stat -c '%U:%G %a' "$site/database/Orvane.mdb")" = "root:$group 664" ] ||
  fail "the catalogue is $(stat -c '%U:%G %a' "$site/database/Orvane.mdb"), not root:$group 664"

echo "== PostgreSQL catalogue"
"$pg_server" start "$scratch/pg" >/dev/null
orvanectl settings set CatalogUri "$(cat "$scratch/pg/url")"
check_site postgresql
# Back to the file: every tool follows the setting, none keeps the server's programs.
orvanectl settings set CatalogUri ""
list=$(as "$user" orvanectl launcher-list --user "$user" | listed_programs)
expect_line "launcher-list on the embedded catalogue again" "Site Editor (embedded)" "$list"
if grep -Fq "(postgresql)" <<<"$list"; then fail "the embedded catalogue lists the server's program"; fi

echo "== removed, the site's files stay"
dpkg -r tessaro-orvane >/dev/null
[ ! -e /usr/bin/tessaro-orvane ] || fail "dpkg -r left /usr/bin/tessaro-orvane"
[ -s "$site/database/Orvane.mdb" ] || fail "dpkg -r removed the catalogue"
[ -s "$settings_dir/settings.ini" ] || fail "dpkg -r removed the machine-wide settings"
dpkg --purge tessaro-orvane >/dev/null
[ -s "$site/database/Orvane.mdb" ] || fail "a purge removed the catalogue"
echo "site install: both catalogues, removal and purge keep the site's files"
