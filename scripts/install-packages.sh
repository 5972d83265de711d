#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Asks apt only when something is missing, so a second run is quick and changes nothing.
set -euo pipefail

packages=(
    # build
    cmake g++ clang make pkg-config clang-format
    # tests and benchmarks
    libgtest-dev libgmock-dev libbenchmark-dev
    # station: Qt widgets and SQL over ODBC
    qt6-base-dev libqt6sql6-odbc unixodbc unixodbc-dev odbcinst
    # databases: embedded SQLite through ODBC, shared MariaDB server through ODBC
    sqlite3 libsqliteodbc mariadb-server mariadb-client odbc-mariadb
    # the centre's own certificate authority in the encrypted-connection tests
    openssl
    # the centre's database on a Galera cluster: its replication, the full copy a returning node
    # may need (over TLS through stunnel), and the proxy that sends the stations to a node that is up
    galera-4 rsync stunnel4 haproxy
    # backups of the centre while the count runs: full and incremental copies of a running server
    mariadb-backup
    # scanner and ballot images
    libtiff-dev libssl-dev libsane-dev sane-utils libzxing-dev libpng-dev zlib1g-dev
    # a display for the station window where the machine has none, and its screenshots;
    # a window manager for the tests that drive the station as an operator's desktop does,
    # and the X utilities that show their windows when one of them fails
    xvfb xauth xdotool x11-utils imagemagick fonts-dejavu-core fonts-liberation2 openbox
    # report-function DLL: 32-bit Windows cross build, tested under 32-bit wine where the host
    # executes i386 programs; its 64-bit twin under wine64 on every host
    mingw-w64 mingw-w64-tools libwine-dev wine wine32:i386 wine64
    # Debian packages (cpack with dpkg-shlibdeps, checked by lintian) and the Windows installer
    # (makensis, listed with 7z)
    dpkg-dev lintian nsis p7zip-full
    # the centre monitor: its HTTP library, the chart script it serves, and the browser that
    # tests its page, with the imaging library that decodes the images it shows
    libcpp-httplib-dev libjs-chart.js chromium chromium-driver python3-selenium python3-pil
)

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q '^install ok installed$' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -ne 0 ]; then
    echo "These Debian packages are missing: ${missing[*]}" >&2
    echo "Run this command as root (or with sudo) so that they can be installed." >&2
    exit 1
fi
echo "Installing: ${missing[*]}"
# 32-bit wine comes from Debian's i386 architecture.
if [[ " ${missing[*]} " == *":i386 "* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
fi
apt-get update -qq
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
