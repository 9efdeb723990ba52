#!/usr/bin/env bash
# Builds the Debian package from a build folder, installs it on this machine with dpkg, checks the
# programs, man pages, service unit, service user and data folder, runs the service the way its
# unit does, then removes and purges the package and checks that nothing of it is left.
#
#   install-remove.sh BUILD_DIR VERSION [--desktop] [--lintian]
#
# It changes the machine while it runs (CI runs it as root on a throwaway machine) and puts it
# back; it skips (exit 77) when it is not root, when dpkg is missing, or when anything the package
# would install or purge is already there, since the purge would take it away.
set -uo pipefail

build=$1
version=$2
shift 2
desktop=0
run_lintian=0
for arg in "$@"; do
  case $arg in
    --desktop) desktop=1 ;;
    --lintian) run_lintian=1 ;;
  esac
done

package=zumeli
user=zumeli-server
data=/var/lib/zumeli-server
unit=/usr/lib/systemd/system/zumeli-server.service
wants=/etc/systemd/system/multi-user.target.wants/zumeli-server.service

skip() { echo "SKIPPED: $*"; exit 77; }
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
check() { local what=$1; shift; if "$@" >/dev/null; then echo "ok: $what"; else fail "$what"; fi; }

[ "$(id -u)" -eq 0 ] || skip "installing a package needs root (CI runs this as root)"
for tool in dpkg dpkg-deb dpkg-query cpack; do
  command -v "$tool" >/dev/null || skip "$tool is not installed"
done
if dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -qv 'not-installed'; then
  skip "the package $package is already on this machine; the test would remove it"
fi
getent passwd "$user" >/dev/null && skip "the user $user already exists; purging the package would delete it"
getent group "$user" >/dev/null && skip "the group $user already exists; purging the package would delete it"
[ -e "$data" ] && skip "$data already exists; purging the package would delete it"
[ -e "$wants" ] && skip "$wants already exists"

scratch=$(mktemp -d /tmp/zumeli-package-XXXXXX)
server_pid=
installed=0
# Adding and deleting the user rewrites the account files' backups, and checking the unit leaves
# a time stamp in /run: put back what was there.
mkdir "$scratch/before"
for file in /etc/passwd- /etc/group- /etc/shadow- /etc/gshadow-; do
  [ -e "$file" ] && cp -p "$file" "$scratch/before/"
done
units_load=/run/systemd/systemd-units-load
had_units_load=0; [ -e "$units_load" ] && had_units_load=1
cleanup() {
  if [ -n "$server_pid" ]; then kill "$server_pid" 2>/dev/null; wait "$server_pid" 2>/dev/null; fi
  if [ "$installed" -eq 1 ]; then
    echo "cleaning up: purging $package"
    dpkg_locked --purge "$package" >/dev/null 2>&1
  fi
  # None of these existed before (or the test would have skipped): a failed purge leaves no trace.
  getent passwd "$user" >/dev/null && userdel "$user" 2>/dev/null
  getent group "$user" >/dev/null && groupdel "$user" 2>/dev/null
  rm -rf "$data"
  rm -f "$wants"
  if ! getent passwd "$user" >/dev/null && ! getent group "$user" >/dev/null; then
    for saved in "$scratch"/before/*; do [ -e "$saved" ] && cp -p "$saved" /etc/; done
  fi
  [ $had_units_load -eq 0 ] && rm -f "$units_load"
  rm -rf "$scratch"
}
trap cleanup EXIT

# dpkg refuses at once while another dpkg or apt runs; wait for it, a bounded time.
dpkg_locked() {
  local tries=0 output status
  while :; do
    output=$(timeout 120 dpkg "$@" 2>&1); status=$?
    if [ $status -ne 0 ] && grep -q 'lock' <<<"$output" && [ $tries -lt 30 ]; then
      tries=$((tries + 1)); sleep 2; continue
    fi
    printf '%s\n' "$output"
    return $status
  done
}

# ---- build ----
echo "== building the package"
if ! timeout 180 cpack -G DEB --config "$build/CPackConfig.cmake" -B "$scratch" >"$scratch/cpack.log" 2>&1; then
  cat "$scratch/cpack.log"; echo "FAIL: cpack did not build the package"; exit 1
fi
deb=$scratch/${package}_${version}_amd64.deb
[ -f "$deb" ] || { ls "$scratch"; echo "FAIL: no $(basename "$deb")"; exit 1; }
echo "built $(basename "$deb")"
dpkg-deb -f "$deb" Depends

# The package's own files (not the folders it shares with everything else).
dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^\./, "", $6); print $6 }' >"$scratch/files"
for path in $(cat "$scratch/files"); do
  [ -e "$path" ] || [ -L "$path" ] && skip "$path is already on this machine; the test would remove it"
done

expected=(/usr/bin/zumeli-cli /usr/bin/zumeli-server
  /usr/share/man/man1/zumeli-cli.1.gz /usr/share/man/man1/zumeli-server.1.gz
  "$unit" /usr/lib/sysusers.d/zumeli-server.conf /usr/lib/tmpfiles.d/zumeli-server.conf
  /usr/share/doc/zumeli/copyright /usr/share/doc/zumeli/changelog.gz)
if [ $desktop -eq 1 ]; then
  expected+=(/usr/bin/zumeli /usr/share/man/man1/zumeli.1.gz /usr/share/applications/zumeli.desktop)
fi
for path in "${expected[@]}"; do
  check "the package holds $path" grep -qx "$path" "$scratch/files"
done
if [ $desktop -eq 1 ]; then
  check "the package holds the desktop client's icon in the hicolor theme" \
    grep -qE '^/usr/share/icons/hicolor/[^/]+/apps/zumeli\.(png|svg)$' "$scratch/files"
fi

if [ $run_lintian -eq 1 ] && command -v lintian >/dev/null; then
  echo "== lintian"
  timeout 120 lintian --pedantic -I "$deb" 2>/dev/null | tee "$scratch/lintian"
  check "lintian finds no errors or warnings" bash -c "! grep -qE '^(E|W): ' '$scratch/lintian'"
fi

# ---- install ----
echo "== dpkg -i"
installed=1
if ! dpkg_locked -i "$deb"; then
  echo "FAIL: dpkg -i failed"; exit 1
fi

for program in zumeli-cli zumeli-server; do
  help=$(timeout 20 env ASAN_OPTIONS=detect_leaks=0 "/usr/bin/$program" --help 2>&1)
  check "$program --help from /usr/bin answers with its usage" grep -q "^usage: $program" <<<"$help"
  # The man page was made from this very help text: every option of one is in the other.
  page=$(MANWIDTH=200 man -l "/usr/share/man/man1/$program.1.gz" 2>"$scratch/man-warnings")
  check "the man page of $program renders without warnings" test ! -s "$scratch/man-warnings"
  check "the man page of $program is named after it" grep -q "^NAME" <<<"$page"
  missing=$(grep -oE -- '--[a-z][a-z-]+' <<<"$help" | sort -u | while read -r option; do
    grep -qF -- "$option" <<<"$page" || echo "$option"; done)
  check "the man page of $program lists every option of its --help${missing:+ (missing: $missing)}" test -z "$missing"
done
if [ $desktop -eq 1 ]; then
  check "the desktop client finds all its libraries" bash -c "! ldd /usr/bin/zumeli | grep -q 'not found'"
  check "zumeli --help answers without a display" bash -c "env -u DISPLAY -u WAYLAND_DISPLAY timeout 10 /usr/bin/zumeli --help | grep -q '^usage: zumeli'"
  check "the desktop client has a man page" test -s /usr/share/man/man1/zumeli.1.gz
fi

check "the unit runs the installed program" grep -q "^ExecStart=/usr/bin/zumeli-server --data $data" "$unit"
check "the unit runs as the service user" grep -q "^User=$user" "$unit"
if command -v systemd-analyze >/dev/null; then
  check "systemd accepts the unit" timeout 30 systemd-analyze verify "$unit"
fi
if command -v systemctl >/dev/null; then
  check "the service is not enabled" test "$(systemctl is-enabled zumeli-server.service 2>/dev/null)" = disabled
fi
check "the service user exists" getent passwd "$user"
check "the service user cannot log in" test "$(getent passwd "$user" | cut -d: -f7)" = /usr/sbin/nologin
check "the service user is a system user" test "$(id -u "$user")" -lt 1000
check "the data folder belongs to the service user, closed to others" \
  test "$(stat -c '%U:%G %a' "$data" 2>/dev/null)" = "$user:$user 750"

# ---- the service, run as its unit runs it, on free loopback ports ----
echo "== running zumeli-server as $user"
read -r web_port voice_port < <(python3 -c '
import socket
sockets = [socket.socket() for _ in range(2)]
for s in sockets: s.bind(("127.0.0.1", 0))
print(*[s.getsockname()[1] for s in sockets])')
exec_line=$(sed -n 's/^ExecStart=//p' "$unit")
read -r -a command <<<"${exec_line%%\$*}"
setpriv --reuid="$user" --regid="$user" --init-groups env -i PATH=/usr/bin:/bin ASAN_OPTIONS=detect_leaks=0 \
  "${command[@]}" --web-port "$web_port" --voice-port "$voice_port" >"$scratch/server.log" 2>&1 &
server_pid=$!
answered=0
for _ in $(seq 1 100); do
  if (exec 3<>"/dev/tcp/127.0.0.1/$web_port") 2>/dev/null; then answered=1; break; fi
  kill -0 "$server_pid" 2>/dev/null || break
  sleep 0.1
done
check "the service listens on its web port" test $answered -eq 1
check "the service keeps its database in the data folder, as its user" \
  test "$(stat -c %U "$data/zumeli.sqlite" 2>/dev/null)" = "$user"
kill -TERM "$server_pid" 2>/dev/null
stopped=0
for _ in $(seq 1 50); do
  kill -0 "$server_pid" 2>/dev/null || { stopped=1; break; }
  sleep 0.1
done
check "the service stops on SIGTERM" test $stopped -eq 1
wait "$server_pid" 2>/dev/null
server_pid=
[ $answered -eq 1 ] || cat "$scratch/server.log"

# An administrator enables the service; the purge must take the link away.
if command -v systemctl >/dev/null; then
  systemctl enable zumeli-server.service >/dev/null 2>&1
  check "systemctl can enable the service" test -L "$wants"
fi

# ---- remove: the files go, the data and the user stay until the purge ----
echo "== dpkg -r"
check "dpkg -r removes the package" dpkg_locked -r "$package"
left=$(for path in $(cat "$scratch/files"); do [ -e "$path" ] || [ -L "$path" ] && echo "$path"; done)
check "no file of the package is left after dpkg -r${left:+ (left: $left)}" test -z "$left"
check "the data folder stays after dpkg -r" test -d "$data"
check "the service user stays after dpkg -r" getent passwd "$user"

echo "== dpkg --purge"
check "dpkg --purge purges the package" dpkg_locked --purge "$package"
installed=0
check "the data folder is gone after the purge" test ! -e "$data"
check "the service user is gone after the purge" bash -c "! getent passwd $user"
check "the service group is gone after the purge" bash -c "! getent group $user"
check "the enabling link is gone after the purge" test ! -L "$wants"
check "dpkg no longer knows the package" bash -c "! dpkg-query -W $package 2>/dev/null | grep -q ."
check "dpkg keeps no scripts of the package" bash -c "! ls /var/lib/dpkg/info/$package.* 2>/dev/null | grep -q ."

if [ $failures -ne 0 ]; then echo "$failures check(s) failed"; exit 1; fi
echo "all checks passed"
