#!/usr/bin/env bash
# A private Firebird 3 server for the remote-fetch tests, with everything of its own under DIR:
# configuration, security database (SYSDBA with a known password), log, lock and temporary
# folders, and a free port on the loopback address. It never reads or changes a server that is
# already running: FIREBIRD_BOOT_BUILD makes the server and its tools take every folder from
# $FIREBIRD instead of the ones compiled in (/etc/firebird, /var/lib/firebird, /var/log/firebird).
#
#   firebird-private-server.sh start DIR   starts it and has it write real entries to its log
#                                          (online validations, a sweep); DIR/server.env
#                                          then holds KSLOG_FB_PORT, KSLOG_FB_PASSWORD, KSLOG_FB_LOG, ...
#   firebird-private-server.sh stop DIR    stops it and removes DIR
#   firebird-private-server.sh env DIR     prints the environment its tools need (for eval)
#
# Fails, saying why, when Firebird is not installed or the server does not come up.
set -euo pipefail

command=${1:-}
dir=${2:-}
[ -n "$command" ] && [ -n "$dir" ] || { echo "usage: $0 start|stop|env DIR" >&2; exit 2; }

fail() { echo "firebird-private-server: $*" >&2; exit 1; }

find_install() {
  # Debian's layout: the server's libraries, plugins and messages under one folder.
  for candidate in /usr/lib/*-linux-gnu/firebird/3.0 /usr/lib/firebird/3.0; do
    [ -d "$candidate/plugins" ] && { echo "$candidate"; return; }
  done
  fail "Firebird 3 is not installed (Debian: apt-get install firebird3.0-server firebird3.0-utils)"
}

server_environment() {
  echo "export FIREBIRD='$dir/root' FIREBIRD_BOOT_BUILD=1 FIREBIRD_LOCK='$dir/lock' FIREBIRD_TMP='$dir/tmp'"
  echo "unset ISC_USER ISC_PASSWORD"
}

free_port() {
  python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'
}

write_configuration() {
  local port=$1
  cat > "$dir/root/firebird.conf" <<CONF
RemoteServicePort = $port
RemoteBindAddress = 127.0.0.1
ServerMode = Super
AuthServer = Srp
AuthClient = Srp
UserManager = Srp
WireCrypt = Enabled
CONF
  echo 'security.db = $(dir_secDb)/security3.fdb' > "$dir/root/databases.conf"
}

create_security_database() {
  local password=$1 security="$dir/root/security3.fdb"
  (
    eval "$(server_environment)"
    echo "create database '$security';" | isql-fb -q
    isql-fb -q -user SYSDBA -i /usr/share/firebird/3.0/security.sql "$security"
    # A second user without any privilege, for the tests of refused rights.
    printf "%s\n" "create or alter user SYSDBA password '$password' using plugin Srp;" \
      "create or alter user KSLOG_VIEWER password 'viewer1' using plugin Srp;" "commit;" \
      | isql-fb -q -user SYSDBA "$security"
  ) > "$dir/setup.out" 2>&1 || fail "cannot create the security database: $(cat "$dir/setup.out")"
}

wait_until_listening() {
  local port=$1 pid=$2
  for _ in $(seq 1 100); do
    kill -0 "$pid" 2>/dev/null || fail "the server stopped at once: $(cat "$dir/server.out" 2>/dev/null)"
    python3 -c "import socket,sys; s=socket.socket(); s.settimeout(0.2); sys.exit(s.connect_ex(('127.0.0.1', $port)))" \
      && return
    sleep 0.1
  done
  fail "the server did not listen on port $port within 10 seconds: $(cat "$dir/server.out" 2>/dev/null)"
}

# Entries the server writes itself: online validations through the services and a sweep, enough
# of them that a fetch takes many reads of a small buffer. (Failed logins and attaches to missing
# databases leave no entry in a Firebird 3 log.)
make_log_entries() {
  local port=$1 password=$2 database="$dir/data/entries.fdb" validations=${KSLOG_FB_VALIDATIONS:-40}
  local server="127.0.0.1/$port"
  (
    echo "create database '$server:$database' user 'SYSDBA' password '$password';" | isql-fb -q
    for _ in $(seq 1 "$validations"); do
      fbsvcmgr "$server:service_mgr" user SYSDBA password "$password" action_validate dbname "$database"
    done
    gfix -sweep -user SYSDBA -password "$password" "$server:$database"
  ) > "$dir/entries.out" 2>&1 || fail "cannot make entries in the log: $(cat "$dir/entries.out")"
}

start() {
  command -v isql-fb > /dev/null || fail "isql-fb is missing (Debian: apt-get install firebird3.0-utils)"
  local install server=/usr/sbin/firebird port password
  install=$(find_install)
  [ -x "$server" ] || fail "$server is missing (Debian: apt-get install firebird3.0-server)"
  # A server left over from an interrupted run goes first.
  stop
  mkdir -p "$dir/root" "$dir/lock" "$dir/tmp" "$dir/data"
  # Copies, not links: the engine finds its root from where its module lies, after links.
  cp -RL "$install/plugins" "$install/intl" "$install/firebird.msg" "$install/plugins.conf" "$dir/root/"
  port=$(free_port)
  password="k$(od -An -N6 -tx1 /dev/urandom | tr -d ' \n')"
  write_configuration "$port"
  create_security_database "$password"
  (
    eval "$(server_environment)"
    exec setsid "$server" > "$dir/server.out" 2>&1 < /dev/null
  ) &
  local pid=$!
  echo "$pid" > "$dir/server.pid"
  wait_until_listening "$port" "$pid"
  make_log_entries "$port" "$password"
  cat > "$dir/server.env" <<ENV
KSLOG_FB_PORT=$port
KSLOG_FB_USER=SYSDBA
KSLOG_FB_PASSWORD=$password
KSLOG_FB_ROOT=$dir/root
KSLOG_FB_LOG=$dir/root/firebird3.0.log
KSLOG_FB_DATA=$dir/data
KSLOG_FB_LOCK=$dir/lock
KSLOG_FB_TMP=$dir/tmp
ENV
  echo "firebird-private-server: listening on 127.0.0.1/$port, root $dir/root"
}

stop() {
  [ -f "$dir/server.pid" ] || { rm -rf "$dir"; return; }
  local pid
  pid=$(cat "$dir/server.pid")
  if kill -0 "$pid" 2>/dev/null; then
    kill -TERM "$pid"
    for _ in $(seq 1 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
    kill -0 "$pid" 2>/dev/null && kill -KILL "$pid"
  fi
  rm -rf "$dir"
}

case "$command" in
  start) start ;;
  stop) stop ;;
  env) server_environment ;;
  *) echo "usage: $0 start|stop|env DIR" >&2; exit 2 ;;
esac
