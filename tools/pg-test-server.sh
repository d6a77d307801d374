#!/usr/bin/env bash
# A throw-away PostgreSQL server for the tests, in a folder of its own.
#
#   pg-test-server.sh start DIR   creates a cluster in DIR and starts it, listening only on a
#                                 Unix socket in DIR. Writes DIR/uri (a libpq URI of the
#                                 maintenance database) when it runs, or DIR/unavailable (the
#                                 reason) when it cannot run; exits 0 either way, so that the
#                                 tests that need it skip instead of failing.
#   pg-test-server.sh restart DIR restarts it (its caches start empty).
#   pg-test-server.sh stop DIR    stops that server and removes DIR.
#
# With ORVANTA_PG_DURABLE=1 the server keeps the durability and memory settings a new cluster
# has (for measuring); otherwise it trades them for speed (for testing).
#
# ORVANTA_PG_BINDIR names the folder of the server programs (initdb, pg_ctl, postgres) instead
# of looking for them. initdb and postgres refuse to run as root: as root the server runs as
# ORVANTA_PG_USER (default: postgres, the user the Debian package creates).
set -uo pipefail

port=5432
user="${ORVANTA_PG_USER:-postgres}"

usage() {
    echo "usage: $0 start|stop DIR" >&2
    exit 2
}

[ $# -eq 2 ] || usage
command="$1"
dir="$(realpath -m -- "$2")"
[ "$dir" != "/" ] || usage

has_server_programs() {
    [ -x "$1/initdb" ] && [ -x "$1/pg_ctl" ] && [ -x "$1/postgres" ]
}

# The folder of the server programs: the newest under /usr/lib/postgresql (pg_config and PATH
# often lead only to the client programs), then pg_config's, then PATH's.
find_bindir() {
    local candidates=()
    if [ -n "${ORVANTA_PG_BINDIR+set}" ]; then
        candidates=("$ORVANTA_PG_BINDIR")
    else
        local d
        while IFS= read -r d; do
            candidates+=("$d")
        done < <(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V -r)
        if command -v pg_config >/dev/null 2>&1; then
            candidates+=("$(pg_config --bindir 2>/dev/null)")
        fi
        if command -v postgres >/dev/null 2>&1; then
            candidates+=("$(dirname -- "$(command -v postgres)")")
        fi
    fi
    local c
    for c in "${candidates[@]}"; do
        if [ -n "$c" ] && has_server_programs "$c"; then
            echo "$c"
            return 0
        fi
    done
    return 1
}

# Runs a command as the owner of the cluster: the current user, or `user` when root.
as_owner() {
    if [ "$(id -u)" -ne 0 ]; then
        "$@"
    elif command -v runuser >/dev/null 2>&1; then
        runuser -u "$user" -- "$@"
    else
        setpriv --reuid="$user" --regid="$(id -g "$user")" --init-groups -- "$@"
    fi
}

# Percent-encodes everything but the unreserved characters, for a URI's query value.
percent_encode() {
    local LC_ALL=C
    local s="$1" out="" c i
    for ((i = 0; i < ${#s}; i++)); do
        c="${s:i:1}"
        case "$c" in
        [A-Za-z0-9._~-]) out+="$c" ;;
        *) out+="$(printf '%%%02X' "'$c")" ;;
        esac
    done
    echo "$out"
}

unavailable() {
    printf '%s\n' "$1" >"$dir/unavailable"
    echo "PostgreSQL test server unavailable: $1"
    exit 0
}

stop_server() {
    local bindir
    [ -f "$dir/data/postmaster.pid" ] || return 0
    bindir="$(cat "$dir/bindir" 2>/dev/null)" || bindir=""
    [ -n "$bindir" ] && has_server_programs "$bindir" || bindir="$(find_bindir)" || return 0
    (cd "$dir" && as_owner "$bindir/pg_ctl" -D "$dir/data" -m immediate -w -s stop) || true
}

start() {
    # A server left running by an interrupted run is stopped first: the cluster is always new.
    if [ -d "$dir" ]; then
        stop_server
        rm -rf -- "$dir"
    fi
    mkdir -p -- "$dir" || exit 1

    local bindir where=""
    [ -z "${ORVANTA_PG_BINDIR+set}" ] || where=" in ORVANTA_PG_BINDIR=$ORVANTA_PG_BINDIR"
    bindir="$(find_bindir)" ||
        unavailable "the PostgreSQL server programs (initdb, pg_ctl, postgres) were not found$where; on Debian install the postgresql package"
    echo "$bindir" >"$dir/bindir"

    local version
    version="$("$bindir/postgres" --version 2>/dev/null | sed -n 's/^[^0-9]*\([0-9][0-9]*\).*/\1/p')"
    [ -n "$version" ] && [ "$version" -ge 13 ] ||
        unavailable "the server in $bindir is older than PostgreSQL 13 or did not tell its version"

    # The server's socket path must fit in a Unix socket address (107 bytes).
    local socket="$dir/.s.PGSQL.$port"
    [ ${#socket} -le 107 ] ||
        unavailable "the socket path $socket is longer than a Unix socket allows: use a shorter build folder"
    case "$dir" in
    *\"* | *,*) unavailable "the folder $dir holds a quote or comma, which the server's socket setting cannot name" ;;
    esac

    if [ "$(id -u)" -eq 0 ]; then
        id -u "$user" >/dev/null 2>&1 ||
            unavailable "running as root, and there is no user $user to run the server as (set ORVANTA_PG_USER)"
        chown "$user:" "$dir" || unavailable "could not give $dir to the user $user"
        chmod 700 "$dir"
        local parent
        parent="$(dirname -- "$dir")"
        as_owner test -x "$parent" || chmod o+x "$parent"
        as_owner test -w "$dir" ||
            unavailable "the user $user cannot reach $dir: a folder above it is closed to other users"
    fi

    cd "$dir" || exit 1
    if ! as_owner "$bindir/initdb" -D "$dir/data" -U postgres -A trust -E UTF8 --locale=C.UTF-8 \
        --no-sync >"$dir/initdb.log" 2>&1; then
        unavailable "initdb failed: $(tail -n 5 "$dir/initdb.log" | tr '\n' ' ')"
    fi

    local quoted="${dir//\'/\'\'}"
    as_owner tee -a "$dir/data/postgresql.conf" >/dev/null <<EOF

# Settings of the throw-away server: only a socket in its own folder.
listen_addresses = ''
unix_socket_directories = '"$quoted"'
port = $port
max_connections = 200
EOF
    if [ "${ORVANTA_PG_DURABLE:-}" != 1 ]; then
        as_owner tee -a "$dir/data/postgresql.conf" >/dev/null <<EOF
# For tests: no durability, little memory.
shared_buffers = 32MB
fsync = off
synchronous_commit = off
full_page_writes = off
max_parallel_workers_per_gather = 0
EOF
    fi

    if ! as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -w -t 60 -s start; then
        unavailable "the server did not start: $(tail -n 5 "$dir/server.log" 2>/dev/null | tr '\n' ' ')"
    fi

    local uri
    uri="postgresql:///postgres?host=$(percent_encode "$dir")&port=$port&user=postgres"
    echo "$uri" >"$dir/uri"
    echo "PostgreSQL test server ($("$bindir/postgres" --version)) running: $uri"
}

restart_server() {
    local bindir
    bindir="$(cat "$dir/bindir" 2>/dev/null)" || exit 1
    cd "$dir" && as_owner "$bindir/pg_ctl" -D "$dir/data" -l "$dir/server.log" -m fast -w -t 60 -s restart
}

case "$command" in
start) start ;;
restart) restart_server || exit 1 ;;
stop)
    stop_server
    rm -rf -- "$dir"
    ;;
*) usage ;;
esac
exit 0
