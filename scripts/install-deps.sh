#!/bin/sh
# Installs the Debian packages the build needs; does nothing when they are all there.
set -e
PKGS="cmake g++ make ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev libgtest-dev libgmock-dev fonts-wqy-microhei libcurl4-openssl-dev tinyproxy xvfb python3"
# LibreOffice reads the RTF the program writes, as an independent check in the tests.
PKGS="$PKGS libreoffice-writer-nogui"
# Real SMTP servers the mail client's tests send to on loopback: aiosmtpd, and the npm package
# smtp-server installed into tools/smtp-peer (never globally).
PKGS="$PKGS python3-aiosmtpd nodejs"
command -v npm >/dev/null 2>&1 || PKGS="$PKGS npm"
npm_peers() {
    peers="$(dirname "$0")/../tools/smtp-peer"
    [ -d "$peers/node_modules/smtp-server" ] && [ -d "$peers/node_modules/mailparser" ] && return 0
    (cd "$peers" && npm ci --no-audit --no-fund --silent)
}
missing=""
for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
[ -z "$missing" ] && { npm_peers; exit 0; }
SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO=sudo
echo "Installing:$missing"
$SUDO apt-get update
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
npm_peers
