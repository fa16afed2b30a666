#!/usr/bin/env bash
# Puts the track of every clip below the given folders into one GeoPackage, the reading
# spread over machines with GNU parallel. Each job slot of the login file writes a part of
# its own (PARTS/part-SLOT.gpkg: no two running jobs ever share a part), a few dozen clips a
# job, and the parts are merged into OUT at the end.
# With --db, every job writes straight into one PostGIS database instead, all at once, and
# the drives are joined there once when all are done: no parts and no merge.
#
# Every machine must see the clips, the parts folder and the tool at the same paths (a share
# mounted alike on each, as a fleet office keeps its cards). A run stopped anywhere is run
# again as it was: the parts and OUT skip the clips they already hold.
set -euo pipefail

# The usage: asked for, on standard output with status 0; after a fault, on standard error
# with status 2.
usage() {
    local status=${1:-2}
    [ "$status" -eq 0 ] || exec >&2
    cat <<'TEXT'
usage: fleet-tracks.sh --sshloginfile FILE --out OUT.gpkg [--parts DIR] [--clips-per-job N]
                       [--tool PATH] FOLDER...
       fleet-tracks.sh --sshloginfile FILE --db CONNINFO [--clips-per-job N] [--tool PATH]
                       FOLDER...
FILE lists the machines as GNU parallel takes them, one a line: N/host runs N jobs at once
on host (each job reads on every core of its machine), ":" is this machine. PARTS defaults
to OUT.parts; N to 50; the tool to build/tools/ostvik-track beside this script, else
ostvik-track on the PATH. CONNINFO is libpq's connection string or URI, the same on every
machine; the password goes in each machine's ~/.pgpass, never on the command line.
TEXT
    exit "$status"
}

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
logins=""
out=""
db=""
parts=""
per_job=50
tool="$here/../build/tools/ostvik-track"
[ -x "$tool" ] || tool=$(command -v ostvik-track || true)
folders=()
while [ $# -gt 0 ]; do
    case "$1" in
    --sshloginfile) logins=${2:?}; shift 2 ;;
    --out) out=${2:?}; shift 2 ;;
    --db) db=${2:?}; shift 2 ;;
    --parts) parts=${2:?}; shift 2 ;;
    --clips-per-job) per_job=${2:?}; shift 2 ;;
    --tool) tool=${2:?}; shift 2 ;;
    -h | --help) usage 0 ;;
    # The script is the project's as the tool is, so it has the tool's version.
    --version) "${tool:?ostvik-track not found}" --version | sed 's/^ostvik-track /fleet-tracks.sh /'; exit 0 ;;
    -*) echo "fleet-tracks.sh: unknown option $1" >&2; usage ;;
    *) folders+=("$1"); shift ;;
    esac
done
[ -n "$logins" ] && [ ${#folders[@]} -gt 0 ] || usage
# One of the two stores, and parts only with the GeoPackage.
if [ -n "$out" ] && [ -n "$db" ]; then usage; fi
if [ -z "$out" ] && [ -z "$db" ]; then usage; fi
if [ -n "$db" ] && [ -n "$parts" ]; then usage; fi
case "$per_job" in '' | *[!0-9]* | 0) echo "fleet-tracks.sh: --clips-per-job needs a number above 0" >&2; exit 2 ;; esac
if ! command -v parallel >/dev/null; then
    echo "fleet-tracks.sh: GNU parallel is not installed (scripts/deps.sh installs it)" >&2
    exit 1
fi
if [ -z "$tool" ] || [ ! -x "$tool" ]; then
    echo "fleet-tracks.sh: ostvik-track not found; give it with --tool" >&2
    exit 1
fi
# The remote shells start in the home folder: every path they are given is absolute.
tool=$(realpath "$tool")
if [ -n "$db" ]; then
    work=$(mktemp -d)
    trap 'rm -rf "$work"' EXIT
    list="$work/clips.list"
else
    [ -n "$parts" ] || parts="$out.parts"
    parts=$(realpath -m "$parts")
    mkdir -p "$parts"
    list="$parts/clips.list"
fi
find "${folders[@]}" -type f \( -iname '*.mp4' -o -iname '*.mov' -o -iname '*.avi' \) \
    -print0 | xargs -0 -r realpath -z | sort -z >"$list"
if [ ! -s "$list" ]; then
    echo "fleet-tracks.sh: no clips found" >&2
    exit 1
fi

# -j 100% runs as many jobs on each machine as its line in the login file says.
status=0
if [ -n "$db" ]; then
    # -q hands each word on as one, here and through ssh: a connection string has spaces.
    parallel -q -0 -a "$list" --sshloginfile "$logins" --jobs 100% -N "$per_job" \
        "$tool" --format postgis --db "$db" {} || status=1
    # A drive's clips may have gone to different jobs: joined once, here, from all of them.
    "$tool" --drives-from-db --db "$db" || status=1
    exit $status
fi
parallel -0 -a "$list" --sshloginfile "$logins" --jobs 100% -N "$per_job" \
    "$tool" --format gpkg --out "$parts/part-{%}.gpkg" {} || status=1
shopt -s nullglob
made=("$parts"/part-*.gpkg)
if [ ${#made[@]} -eq 0 ]; then
    echo "fleet-tracks.sh: no part was written" >&2
    exit 1
fi
"$tool" --merge-gpkg --out "$out" "${made[@]}" || status=1
exit $status
