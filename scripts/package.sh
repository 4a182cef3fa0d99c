#!/usr/bin/env bash
# Builds the Debian package pelorus_VERSION_ARCH.deb in build/ from the programs in build/
# (scripts/build.sh first, unless --no-build): the three programs, the systemd units (one gateway,
# and pelorus@NAME for one gateway per modem), the settings
# as a conffile, the schemas, and the user made at install. Prints the package's path.
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"
[ "${1:-}" = --no-build ] || bash scripts/build.sh >&2

version="$(sed -n 's/^project(Pelorus VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
arch="$(dpkg --print-architecture)"
stage="$(mktemp -d)"
trap 'rm -rf "$stage"' EXIT
pkg="$stage/pelorus"

install -d "$pkg/DEBIAN" "$pkg/usr/bin" "$pkg/lib/systemd/system" "$pkg/etc/pelorus" \
    "$pkg/usr/share/pelorus/sql" "$pkg/usr/share/doc/pelorus" "$pkg/var/lib/pelorus"
for program in pelorus pelorus-pdu pelorus-modemsim; do
    install -m 0755 "build/tools/$program/$program" "$pkg/usr/bin/$program"
    strip --strip-unneeded "$pkg/usr/bin/$program"
done
install -m 0644 packaging/pelorus.service "$pkg/lib/systemd/system/pelorus.service"
install -m 0644 packaging/pelorus@.service "$pkg/lib/systemd/system/pelorus@.service"
install -m 0644 packaging/Pelorus.ini "$pkg/etc/pelorus/Pelorus.ini"
install -m 0644 sql/*.sql "$pkg/usr/share/pelorus/sql/"
install -m 0644 README.md "$pkg/usr/share/doc/pelorus/README.md"
# The service takes the settings file's folder for its own: state goes beside this link.
ln -s /etc/pelorus/Pelorus.ini "$pkg/var/lib/pelorus/Pelorus.ini"
install -m 0755 packaging/debian/postinst packaging/debian/prerm packaging/debian/postrm \
    "$pkg/DEBIAN/"
echo /etc/pelorus/Pelorus.ini >"$pkg/DEBIAN/conffiles"

# The shared libraries the programs link, as dpkg-shlibdeps finds them, then the Qt SQL drivers
# and ODBC drivers the gateway loads at run time (no link shows those).
mkdir -p "$stage/debian"
printf 'Source: pelorus\n\nPackage: pelorus\nArchitecture: any\n' >"$stage/debian/control"
shlibs="$(cd "$stage" && dpkg-shlibdeps -O "$pkg"/usr/bin/* 2>/dev/null | sed -n 's/^shlibs:Depends=//p')"
runtime="libqt6sql6-sqlite, libqt6sql6-odbc, libqt6sql6-mysql, libqt6sql6-ibase, unixodbc,"
runtime+=" odbcinst, odbc-mariadb, tdsodbc, adduser"

cat >"$pkg/DEBIAN/control" <<CONTROL
Package: pelorus
Version: $version
Architecture: $arch
Maintainer: Pelorus developers <pelorus@localhost>
Section: comm
Priority: optional
Depends: $shlibs, $runtime
Recommends: qt6-qpa-plugins, qt6-translations-l10n
Installed-Size: $(du -sk "$pkg" | cut -f1)
Description: SMS gateway between an SQL database and a GSM modem
 Pelorus reads the messages stored in a GSM phone or modem on a serial port, stores them in a
 receive table and deletes them from the phone; it sends the waiting rows of a send table as
 SMS and writes the outcome back. It runs as a systemd service (pelorus.service, or
 pelorus@NAME.service for one gateway per modem) or in a desktop window. Includes pelorus-pdu (PDU encoder/decoder) and pelorus-modemsim (a virtual
 modem for trying the gateway without hardware).
CONTROL

out="$root/build/pelorus_${version}_${arch}.deb"
dpkg-deb --root-owner-group --build "$pkg" "$out" >&2
echo "$out"
