#!/usr/bin/env bash
# Sets up the embedded default station for the current user, with the tools of the build folder
# given as $1: the SQLite database with the schema, the ODBC data source Lindhollow, the demo
# operator, the station settings, and a disk-import scanner with its paper folders.
# Running it again changes nothing that is already set up.
set -euo pipefail
build=$1

data="${XDG_DATA_HOME:-$HOME/.local/share}/KestranaLindhollow"
database="$data/lindhollow.db"
intray="$data/intray/"
scanner="$data/scanner"
mkdir -p "$intray" "$scanner/cards" "$scanner/feeder" "$scanner/tray"

# A scanner without hardware: sheets are TIFF files put into the card slot and feeder folders.
if [ ! -e "$scanner/scanner.ini" ]; then
    cat >"$scanner/scanner.ini" <<INI
; Disk import: put a header or ender card into cards/, ballots into feeder/.
; See platform/scanner/README.md for the SANE form of this file.
[KSCAN]
Source = disk
CardSlot = cards
Feeder = feeder
OutputTray = tray

[KImgp]
Endorser = yes
INI
fi

bash "$(dirname "$0")/load-demo-paper.sh" "$build" "$scanner"

admin="$build/db/lindhollow-admin"
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
Scanner:         $scanner/scanner.ini (disk import: cards/, feeder/, tray/)

INFO
