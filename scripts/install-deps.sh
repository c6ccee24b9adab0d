#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing need.
# Idempotent: when everything is there it prints nothing and changes nothing.
set -euo pipefail

packages=(
  # build
  cmake g++ make pkg-config clang libclang-rt-dev clang-format
  qt6-base-dev qt6-base-dev-tools qt6-webengine-dev qt6-pdf-dev libqt6sql6-sqlite libqt6sql6-psql
  libqt6svg6 qt6-l10n-tools qt6-translations-l10n
  libcurl4-openssl-dev libgmime-3.0-dev libkainjow-mustache-dev libqrencode-dev
  libgtest-dev libgmock-dev libbenchmark-dev
  # running the windows headless, screenshots and PDFs
  xvfb xauth poppler-utils
  # reading the invoice's payment code back off the rasterised PDF
  zbar-tools
  # real servers and engines the tests start on 127.0.0.1
  dovecot-pop3d python3-pyftpdlib python3-openssl openssl php-cli php-gd chromium
  postgresql sqlite3 curl
  # e-invoices: PDF/A-3 with qpdf; the official rules' tools (XSD, Saxon, PDFBox)
  libqpdf-dev qpdf libxml2-utils libsaxonhe-java default-jre-headless libpdfbox2-java
  libactivation-java libjaxb-api-java
  # Debian packages (scripts/build-packages.sh) and their checks
  dpkg-dev file lintian desktop-file-utils appstream man-db systemd
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

# Node.js with npm drives the browser tests; some machines bring their own build of it.
if ! command -v npm >/dev/null 2>&1; then missing+=(nodejs npm); fi

if ((${#missing[@]})); then
  echo "Installing: ${missing[*]}"
  sudo_cmd=()
  if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi
  export DEBIAN_FRONTEND=noninteractive
  "${sudo_cmd[@]}" apt-get update -qq
  "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
