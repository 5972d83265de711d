#!/usr/bin/env bash
# A Debian package holds exactly the files of its list, its relation fields name the packages the
# list asks for, and its changelog's latest entry is its version.
# usage: check-contents.sh PACKAGE.deb LIST
# LIST: an installed file per line (MULTIARCH stands for the multiarch folder name), or a control
# field and a package it must name ("Depends libqt6widgets6"); # begins a comment.
set -euo pipefail
deb=$1
list=$2
multiarch=$(gcc -print-multiarch)

expected=$(grep -E '^/' "$list" | sed "s#/MULTIARCH/#/$multiarch/#" | sort)
actual=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's#^\./#/#' | sort)
status=0
if [ "$expected" != "$actual" ]; then
    echo "The files of $(basename "$deb") are not those of $list (< listed, > packaged):"
    diff <(echo "$expected") <(echo "$actual") || true
    status=1
fi

while read -r field package; do
    value=$(dpkg-deb -f "$deb" "$field")
    # Relations are separated by commas and alternatives by bars; versions follow in brackets.
    if ! tr ',|' '\n\n' <<<"$value" | awk '{print $1}' | grep -qx -- "$package"; then
        echo "$field of $(basename "$deb") does not name $package: $value"
        status=1
    fi
done < <(grep -E '^[A-Z][A-Za-z-]+ ' "$list")

version=$(dpkg-deb -f "$deb" Version)
package=$(dpkg-deb -f "$deb" Package)
latest=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/share/doc/$package/changelog.gz" |
    gunzip | head -1)
if [[ $latest != *" ($version) "* ]]; then
    echo "The latest changelog entry is not for version $version: $latest"
    status=1
fi

if [ $status -eq 0 ]; then
    echo "$(basename "$deb"): $(wc -l <<<"$actual") files and the relations as listed"
fi
exit $status
