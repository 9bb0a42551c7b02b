#!/bin/sh
# Installs the Debian packages the build needs; does nothing when they are all there.
set -e
PKGS="cmake g++ make ninja-build pkg-config qt6-base-dev libgl-dev libicu-dev libgtest-dev libgmock-dev fonts-wqy-microhei libcurl4-openssl-dev tinyproxy xvfb libglib2.0-bin desktop-file-utils shared-mime-info"
# LibreOffice reads the RTF the program writes, as an independent check in the tests.
PKGS="$PKGS libreoffice-writer-nogui"
# ALSA plays the sounds; python3-dateutil is the oracle of the calendar's recurrence tests.
PKGS="$PKGS libasound2-dev python3 python3-dateutil"
# The phone link's tests: an independent PDU encoder, a fake modem in Python, PDU parsers on node.
PKGS="$PKGS gammu nodejs"
# Real SMTP servers the mail client's tests send to on loopback: aiosmtpd, and the npm package
# smtp-server installed into tools/smtp-peer (never globally).
PKGS="$PKGS python3-aiosmtpd"
# A real SOCKS 5 server for the tests of the HTTP requests' proxy settings.
PKGS="$PKGS microsocks"
# TIFF among the image formats pictures load from; ImageMagick made the sample images once.
PKGS="$PKGS qt6-image-formats-plugins imagemagick"
# clang and its libFuzzer run-time build the fuzz targets, which CI runs from their seeds.
PKGS="$PKGS clang libclang-rt-dev"
# A real window manager (openbox) with xdotool and xprop for the tests of what a window manager
# does with the program's windows.
PKGS="$PKGS openbox xdotool x11-utils"
# Qt's own Chinese texts for its standard dialogs.
PKGS="$PKGS qt6-translations-l10n"
missing=""
for p in $PKGS; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing="$missing $p"
    fi
done
# Some builds of nodejs bring npm along and refuse the separate package.
command -v npm >/dev/null 2>&1 || missing="$missing npm"
if [ -n "$missing" ]; then
    SUDO=""
    [ "$(id -u)" -ne 0 ] && SUDO=sudo
    echo "Installing:$missing"
    $SUDO apt-get update
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y --no-install-recommends $missing
fi
# Two independent SMS PDU parsers, into the tests' own folder (never global).
NODE_PEERS="$(dirname "$0")/../links/tests/support/node"
if [ ! -d "$NODE_PEERS/node_modules/node-pdu" ] || [ ! -d "$NODE_PEERS/node_modules/node-sms-pdu" ]; then
    echo "Installing the PDU parsers for the tests"
    mkdir -p "$NODE_PEERS"
    npm install --no-save --no-audit --no-fund --silent --prefix "$NODE_PEERS" \
        node-sms-pdu@0.3.0 node-pdu@2.1.1
fi
# The SMTP server and the mail reader of the mail tests, pinned by their lock file.
SMTP_PEERS="$(dirname "$0")/../tools/smtp-peer"
if [ ! -d "$SMTP_PEERS/node_modules/smtp-server" ] || [ ! -d "$SMTP_PEERS/node_modules/mailparser" ]; then
    echo "Installing the SMTP peers for the tests"
    (cd "$SMTP_PEERS" && npm ci --no-audit --no-fund --silent)
fi
# The strict CSV parser the contacts tests read exported files with, pinned by its lock file.
CSV_PEER="$(dirname "$0")/../tools/csv-peer"
if [ ! -d "$CSV_PEER/node_modules/csv-parse" ]; then
    echo "Installing the CSV peer for the tests"
    (cd "$CSV_PEER" && npm ci --no-audit --no-fund --silent)
fi
