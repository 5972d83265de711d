#!/usr/bin/env bash
# Puts demo paper into a disk-import scanner whose card slot and feeder are both empty: a header
# card without a batch number and an ender card in the card slot, and five ballots in the feeder,
# so that one batch can be scanned with Start Batch, Start Scanner and End Batch. Paper left from
# an earlier run is not touched.
# $1: the build folder (for lhdll-make-sheet); $2: the scanner folder with cards/ and feeder/.
set -euo pipefail
make_sheet="$1/platform/lhdll/lhdll-make-sheet"
cards="$2/cards"
feeder="$2/feeder"
if [ -n "$(find "$cards" "$feeder" -mindepth 1 -print -quit)" ]; then
    exit 0
fi

"$make_sheet" header --type -5 "$cards/header.tif"
"$make_sheet" ender "$cards/ender.tif"
# A card scan takes the oldest card: the header card first.
touch -d '-1 minute' "$cards/header.tif"

"$make_sheet" ballot --marks 1,5 "$feeder/ballot1.tif"
"$make_sheet" ballot --marks 2,7,30 "$feeder/ballot2.tif"
"$make_sheet" ballot --marks 3 --skew 2 "$feeder/ballot3.tif"
"$make_sheet" ballot --marks 4,50,96 --noise 3 "$feeder/ballot4.tif"
"$make_sheet" ballot --marks 6 --skew -1.5 "$feeder/ballot5.tif"
echo "Demo paper: a header and an ender card in $cards, five ballots in $feeder"
