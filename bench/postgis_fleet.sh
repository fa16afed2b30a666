#!/usr/bin/env bash
# The fleet in PostGIS on this machine: N indexed clips (default 10000) written by
# `ostvik-track --format postgis` into one local PostgreSQL 15 with PostGIS by 1, 2 and 4
# workers at once, as clips per second, beside the GeoPackage run of bench/gpkg_fleet.sh on
# the same card in the same session. The server's CPU time per clip, taken from /proc over
# the 4-worker run, gives the clips per second one server core can take at most, and the
# workers' CPU time per clip what one machine sends; with those, what M machines would take
# with the database the one part they share.
#
# The server is the bench's own, as the tests start theirs: a temporary folder, run as nobody
# when this runs as root, on a socket in that folder and no network address; fsync and
# synchronous commit stay on, as a fleet's server keeps them.
# usage: postgis_fleet.sh BUILD_DIR [N]
set -euo pipefail
build=$(realpath "${1:?usage: postgis_fleet.sh BUILD_DIR [N]}")
n="${2:-10000}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
tool="$build/tools/ostvik-track"
bin=/usr/lib/postgresql/15/bin
[ -x "$tool" ] || { echo "postgis_fleet: build ostvik-track first" >&2; exit 1; }
[ -x "$bin/initdb" ] || { echo "postgis_fleet: scripts/deps.sh installs PostgreSQL" >&2; exit 1; }

echo "== GeoPackage (bench/gpkg_fleet.sh), same card =="
bash "$here/gpkg_fleet.sh" "$build" "$n"
card="$build/benchdata/gpkg-card-$n"

server=$(mktemp -d)
as_server=()
if [ "$(id -u)" -eq 0 ]; then
    chown nobody "$server"
    chmod 755 "$server"
    as_server=(runuser -u nobody --)
fi
stop() {
    (cd "$server" && "${as_server[@]}" "$bin/pg_ctl" -D "$server/data" -m fast -w stop >/dev/null) || true
    rm -rf "$server"
}
trap stop EXIT
(cd "$server" && "${as_server[@]}" "$bin/initdb" -D "$server/data" -U ostvik -A trust -E UTF8 \
    --locale=C >/dev/null)
(cd "$server" && "${as_server[@]}" "$bin/pg_ctl" -D "$server/data" -l "$server/log" -w \
    -o "-c listen_addresses='' -c unix_socket_directories='$server'" start >/dev/null)
postmaster=$(head -n 1 "$server/data/postmaster.pid")

# CPU seconds of the server so far: the postmaster, the connections it has reaped, and its
# processes still running.
server_cpu() {
    local ticks=0 pid
    read -r -a stat <"/proc/$postmaster/stat"
    ticks=$((stat[13] + stat[14] + stat[15] + stat[16]))
    for pid in $(pgrep -P "$postmaster"); do
        # A connection may end between the listing and the reading.
        { read -r -a stat <"/proc/$pid/stat"; } 2>/dev/null || continue
        ticks=$((ticks + stat[13] + stat[14]))
    done
    echo "$ticks / $(getconf CLK_TCK)" | bc -l
}

clips=("$card"/*.MP4)
printf '%s\0' "${clips[@]}" >"$server/clips"
echo "== PostGIS, $n clips, workers writing at once =="
declare -A rate
for workers in 1 2 4; do
    db="bench$workers"
    psql -X -q "host=$server user=ostvik dbname=postgres" -c "CREATE DATABASE $db"
    psql -X -q "host=$server user=ostvik dbname=$db" -c "CREATE EXTENSION postgis"
    conninfo="host=$server user=ostvik dbname=$db"
    before=$(server_cpu)
    # Wall time, then the workers' CPU time (user and system), of all the workers at once;
    # worker w takes every clip whose place in the card is w modulo the workers.
    times=$({
        TIMEFORMAT='%R %U %S'
        time (
            for ((w = 0; w < workers; w++)); do
                tr '\0' '\n' <"$server/clips" | awk -v w="$w" -v m="$workers" 'NR % m == w' |
                    xargs -d '\n' "$tool" --format postgis --db "$conninfo" 2>/dev/null &
            done
            wait
        )
    } 2>&1)
    read -r took user system <<<"$times"
    cpu=$(echo "$(server_cpu) - $before" | bc -l)
    client=$(echo "($user + $system) / $n" | bc -l)
    held=$(psql -X -At "$conninfo" -c "SELECT count(*) FROM clips")
    seconds=$(psql -X -At "$conninfo" -c "SELECT count(*) FROM seconds")
    rate[$workers]=$(echo "$n / $took" | bc -l)
    printf '%d worker(s): %.1f s, %.0f clips/s; %d clips, %d seconds held; CPU: workers %.1f s, server %.1f s\n' \
        "$workers" "$took" "${rate[$workers]}" "$held" "$seconds" "$(echo "$user + $system" | bc -l)" "$cpu"
    per_clip=$(echo "$cpu / $n" | bc -l)
done
start=$(date +%s.%N)
"$tool" --drives-from-db --db "host=$server user=ostvik dbname=bench4"
printf 'drives joined after the run: %.1f s, %d drives\n' \
    "$(echo "$(date +%s.%N) - $start" | bc -l)" \
    "$(psql -X -At "host=$server user=ostvik dbname=bench4" -c "SELECT count(*) FROM drives")"

ceiling=$(echo "1 / $per_clip" | bc -l)
cores=$(nproc)
# A worker machine with the server elsewhere reads and sends on all its cores.
machine=$(echo "$cores / $client" | bc -l)
printf 'server CPU per clip (4 workers): %.2f ms, so one server core takes at most %.0f clips/s\n' \
    "$(echo "$per_clip * 1000" | bc -l)" "$ceiling"
printf 'worker CPU per clip: %.2f ms, so a machine of %d cores sends %.0f clips/s\n' \
    "$(echo "$client * 1000" | bc -l)" "$cores" "$machine"
echo "M such machines into a server whose C cores each take what one did here (the time is"
echo "the longer of the machines' reading and the server's inserts):"
for c in 1 4 16; do
    for m in 1 2 4 8 16 32 64; do
        machines=$(echo "$m * $machine" | bc -l)
        server_rate=$(echo "$c * $ceiling" | bc -l)
        best=$(echo "if ($machines < $server_rate) $machines else $server_rate" | bc -l)
        printf '  C=%2d, M=%2d: %6.1f s\n' "$c" "$m" "$(echo "$n / $best" | bc -l)"
    done
done
