# CPack: one Debian package per install component, from the build as it stands.
set(CPACK_GENERATOR DEB)
set(CPACK_PACKAGE_NAME lindhollow)
set(CPACK_PACKAGE_VENDOR "Kestrana Lindhollow")
set(CPACK_PACKAGE_CONTACT "Kestrana Lindhollow maintainers <maintainers@lindhollow.example>")
set(CPACK_PACKAGE_DIRECTORY ${PROJECT_BINARY_DIR}/packages)
set(CPACK_PACKAGING_INSTALL_PREFIX /usr)
# No debugging information in the shipped files; the build folder keeps it.
set(CPACK_STRIP_FILES ON)
set(CPACK_THREADS 2)

set(CPACK_DEB_COMPONENT_INSTALL ON)
set(CPACK_DEBIAN_FILE_NAME DEB-DEFAULT)
# A native package: the release is the Debian version, as in debian/changelog.
set(CPACK_DEBIAN_PACKAGE_VERSION ${PROJECT_VERSION})
set(CPACK_DEBIAN_PACKAGE_SOURCE lindhollow)
set(CPACK_DEBIAN_PACKAGE_PRIORITY optional)
set(CPACK_DEBIAN_PACKAGE_SHLIBDEPS ON)
set(CPACK_DEBIAN_PACKAGE_CONTROL_STRICT_PERMISSION ON)

set(CPACK_DEBIAN_STATION_PACKAGE_SECTION misc)
set(CPACK_COMPONENT_STATION_DESCRIPTION "scanning station for batches of paper ballots
VrelScanning is the program of one scanning station of a ballot-counting
centre. An operator logs in, scans ballots in batches between a header card
and an ender card, and every image becomes a TIFF file and a row of the
centre's database, reached through an ODBC data source.

The package also holds the ballot-reading library that the station loads and
lhdll-make-sheet, which makes card and ballot images for trials.")
# The Qt SQL driver and the ODBC driver are loaded at run time, so no library dependency shows
# them.
set(CPACK_DEBIAN_STATION_PACKAGE_DEPENDS "libqt6sql6-odbc, odbc-mariadb | libsqliteodbc")
# lindhollow-admin sets up a station's data source and settings; the forms are laid out for
# Liberation Sans.
set(CPACK_DEBIAN_STATION_PACKAGE_RECOMMENDS "lindhollow-centre, fonts-liberation2")

set(CPACK_DEBIAN_CENTRE_PACKAGE_SECTION database)
set(CPACK_COMPONENT_CENTRE_DESCRIPTION "tools to set up a ballot-counting centre's database
lindhollow-admin creates the schema of the centre's database (MariaDB or
SQLite, through ODBC), adds and removes operators, and writes a scanning
station's ODBC data source and settings file. The package also holds the
schema files.

lindhollow-monitor serves the centre's live page for its supervisors, JSON
and Prometheus metrics, read from the centre's database through an account
that only reads; a systemd unit runs it as a system user of its own.

lindhollow-backup takes full and incremental backups of the centre's
database with mariadb-backup while the stations store batches, keeps the
binary logs, verifies the backups and restores them to any moment; systemd
timers take them nightly and every 15 minutes.")
# Chart.js is served by the monitor from Debian's package; adduser makes the monitor's user.
set(CPACK_DEBIAN_CENTRE_PACKAGE_DEPENDS "libqt6sql6-odbc, libjs-chart.js, adduser")
set(CPACK_DEBIAN_CENTRE_PACKAGE_CONTROL_EXTRA ${CMAKE_CURRENT_SOURCE_DIR}/centre/postinst)
set(CPACK_DEBIAN_CENTRE_PACKAGE_RECOMMENDS "odbc-mariadb | libsqliteodbc")
# A centre's server, its Galera nodes (replication, full copies over TLS) and each station's
# proxy in front of them.
set(CPACK_DEBIAN_CENTRE_PACKAGE_SUGGESTS
    "mariadb-server, galera-4, rsync, stunnel4, haproxy, mariadb-client, mariadb-backup")

set(CPACK_DEBIAN_BARCODE_PACKAGE_SECTION utils)
set(CPACK_COMPONENT_BARCODE_DESCRIPTION "barcode report functions for the Fernlowe barcode fonts
fernlowe-encode turns data into the text that a Fernlowe barcode font prints
as a Code 39, Interleaved 2 of 5, Code 128, UPC-A, EAN-13 or EAN-8 symbol,
check characters included, and can draw the symbol as SVG or PNG.

The package also holds the encoder library (static) and its C++ headers.")

include(CPack)
