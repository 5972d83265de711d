#!/usr/bin/env bash
# Installs what is needed, builds, sets up the embedded default database and the
# station's settings for this user, and starts the station program.
# Running it again changes nothing that is already set up.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/install-packages.sh"
bash "$root/scripts/build.sh" "$root/build"

data="${XDG_DATA_HOME:-$HOME/.local/share}/KestranaLindhollow"
database="$data/lindhollow.db"
intray="$data/intray/"
scanner="$data/scanner"
mkdir -p "$intray" "$scanner"

admin="$root/build/db/lindhollow-admin"
"$admin" write-dsn --name Lindhollow --sqlite "$database"
"$admin" create-schema --connect "DSN=Lindhollow;"
"$admin" add-operator --connect "DSN=Lindhollow;" --user demo --password demo --privilege 1
"$admin" write-settings --dsn "DSN=Lindhollow;" --sql-connect "DSN=Lindhollow;" \
    --intray "$intray" --system-id 3 --system-type 1 --ballot-size 11 \
    --scanner-ini "$scanner/scanner.ini"

settings="${XDG_CONFIG_HOME:-$HOME/.config}/KestranaLindhollow.ini"
cat <<INFO

Demo operator:   demo   (password: demo)
Settings file:   $settings
ODBC data source Lindhollow in ${ODBCINI:-$HOME/.odbc.ini}
Database:        $database
In-tray folder:  $intray
Scanner folders: $scanner

INFO

echo "The station window is not part of the build yet: the database, the operator and"
echo "the settings above are in place, and these operators can log in:"
"$admin" list-operators --connect "DSN=Lindhollow;"
