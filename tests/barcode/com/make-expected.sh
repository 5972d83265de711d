#!/usr/bin/env bash
# Writes the expected results of the cases for the wine tests, as the Linux encoder library
# gives them through fernlowe-encode.
# usage: make-expected.sh FERNLOWE_ENCODE CASES OUTPUT
#
# OUTPUT is UTF-16LE with a byte-order mark and CRLF line ends, which both the Windows test
# client and the script host read as they are. One line per case, fields separated by tabs:
# function, number, delim, data, error number (0: none), error text, result, data afterwards.
set -euo pipefail
tool=$1
cases=$2
output=$3

errors=$(mktemp)
trap 'rm -f "$errors"' EXIT

lines=""
while IFS='|' read -r function number delim data; do
    [[ -z "$function" || "$function" == \#* ]] && continue
    case $function in
        Code39) arguments=(--checkdigit "$number" --delim "$delim") ;;
        CodeITF) arguments=(--checkdigit "$number") ;;
        Code128) arguments=(--format "$number") ;;
        *) arguments=() ;;
    esac
    error=0 text="" result="" after=""
    if shown=$("$tool" "$function" "${arguments[@]}" --show-data -- "$data" 2>"$errors"); then
        result=$(sed -n 1p <<<"$shown")
        after=$(sed -n 2p <<<"$shown")
    else
        message=$(<"$errors")
        if [[ ! "$message" =~ ^error\ ([0-9]+):\ (.*)$ ]]; then
            echo "make-expected.sh: $function $number '$data': $message" >&2
            exit 1
        fi
        error=${BASH_REMATCH[1]} text=${BASH_REMATCH[2]}
    fi
    lines+="$function"$'\t'"$number"$'\t'"$delim"$'\t'"$data"$'\t'"$error"$'\t'"$text"$'\t'"$result"$'\t'"$after"$'\r\n'
done <"$cases"

mkdir -p "$(dirname "$output")"
{
    printf '\xff\xfe'
    printf '%s' "$lines" | iconv -f UTF-8 -t UTF-16LE
} >"$output"
