#!/usr/bin/env bash
# The programs of the packages, unpacked into a temporary folder as dpkg would install them: each
# answers --help with its usage and --version with the release, and the station loads the
# ballot-reading library of its package through its run path.
# usage: run-programs.sh VERSION PACKAGE.deb...
set -euo pipefail
version=$1
shift
root=$(mktemp -d)
trap 'rm -rf "$root"' EXIT
for deb in "$@"; do
    dpkg-deb -x "$deb" "$root"
done
# Nothing from outside may point the station at a library.
unset LD_LIBRARY_PATH LINDHOLLOW_LHDLL

status=0
fail() {
    echo "FAILED: $*"
    status=1
}
for program in VrelScanning lhdll-make-sheet lindhollow-admin lindhollow-monitor fernlowe-encode; do
    path=$root/usr/bin/$program
    if ! answer=$("$path" --version 2>&1); then
        fail "$program --version ends with a failure: $answer"
    elif [ "$(head -1 <<<"$answer")" != "$program $version" ]; then
        fail "$program --version says: $answer"
    fi
    if ! answer=$("$path" --help 2>&1); then
        fail "$program --help ends with a failure: $answer"
    elif ! grep -qi "^usage: $program " <<<"$answer"; then
        fail "$program --help shows no usage: $answer"
    fi
done

library=$(find "$root/usr/lib" -name libLHDLL.so)
loaded=$("$root/usr/bin/VrelScanning" --version 2>&1 | sed -n 's/^Ballot-reading library: //p')
if [ -z "$library" ] || [ "$(realpath -m "$loaded")" != "$(realpath "$library")" ]; then
    fail "VrelScanning loads '${loaded}' instead of the package's ${library:-libLHDLL.so (missing)}"
else
    echo "VrelScanning loads ${library#"$root"}"
fi
[ $status -eq 0 ] && echo "every program answers --help and --version $version"
exit $status
