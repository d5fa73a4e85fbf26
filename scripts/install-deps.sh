#!/usr/bin/env bash
# Installs every Debian package the build, the tests and the benchmarks need.
# Idempotent: packages already installed are skipped, and `apt-get update` runs
# only when something is missing. Run as root (CI and the developer machines are).
set -euo pipefail

packages=(
  g++ cmake ninja-build ccache make
  qt6-base-dev
  libsqlite3-dev sqlite3
  libjpeg62-turbo-dev
  libzip-dev
  zlib1g-dev
  libgtest-dev libgmock-dev
  libbenchmark-dev
  liblz4-dev
  adwaita-icon-theme
  xvfb
  fonts-dejavu-core
  fonts-liberation2
  poppler-utils
  # Independent barcode reader: the barcode tests decode what they draw.
  zbar-tools
  # Test oracles and benchmark baseline of the zip component (Info-ZIP's zip, unzip and zipinfo).
  zip unzip
  # Test oracle of the launchers the shortcut wizard writes (desktop-file-validate).
  desktop-file-utils
  libcups2-dev cups cups-client cups-bsd printer-driver-cups-pdf
  fpc
  # The tests skip the disk syncs (the test environment preloads it); the programs never do.
  eatmydata
  fortunes fortunes-min
  man-db manpages
  treeline
  # The KReport side of the list report benchmark (a separate Qt 5 program, never linked in).
  qtbase5-dev libkreport3-dev
  # An embedded SQL engine of the InterBase family: the data tests run the general-dialect
  # SQL text on it (isql-fb on a database file in the test's folder, no server).
  firebird3.0-server-core firebird3.0-utils
  # The script benchmark's other sides: Lua 5.4 embedded and Qt's JavaScript engine (never
  # linked into the programs).
  liblua5.4-dev qt6-declarative-dev
  # KReport's barcode element, the baseline of the barcode label benchmark.
  libkreport3-plugin-barcode
  # The sheet geometry of label stocks, read by data/labels/generate_label_stocks.py (run by hand).
  glabels-data
)
# Optional: libFuzzer targets (-DDOSSARA_FUZZ=ON).
if [ "${DOSSARA_FUZZ:-OFF}" = "ON" ]; then
  packages+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
echo "install-deps: installing ${missing[*]}"
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
