#!/usr/bin/env bash
# Installs, only when missing, the Debian packages that the build and the tests need,
# and generates the Japanese and English locales the tests run the programs under.
set -euo pipefail

packages=(
  cmake g++ make pkg-config
  libgtest-dev libgmock-dev
  libssl-dev
  qt6-base-dev qt6-gtk-platformtheme qt6-translations-l10n
  gettext locales
  fonts-ipafont-gothic
  xvfb xauth imagemagick
  desktop-file-utils appstream man-db shared-mime-info librsvg2-bin dpkg-dev lintian dosfstools xdg-utils
  p7zip-full par2 zlib1g-dev
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done
locales_wanted=(ja_JP en_US)
missing_locales=()
for l in "${locales_wanted[@]}"; do
  # locale -a lists ja_JP.utf8 for ja_JP.UTF-8.
  locale -a 2>/dev/null | grep -qx "$l.utf8" || missing_locales+=("$l")
done
[ ${#missing[@]} -eq 0 ] && [ ${#missing_locales[@]} -eq 0 ] && exit 0

if [ "$(id -u)" -eq 0 ]; then
  as_root=()
elif command -v sudo >/dev/null 2>&1; then
  as_root=(sudo)
else
  echo "install-deps: missing packages (${missing[*]}) or locales (${missing_locales[*]}) and neither root nor sudo" >&2
  exit 1
fi

if [ ${#missing[@]} -gt 0 ]; then
  echo "install-deps: installing ${missing[*]}"
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
  "${as_root[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
for l in "${missing_locales[@]}"; do
  echo "install-deps: generating the locale $l.UTF-8"
  "${as_root[@]}" localedef -i "$l" -f UTF-8 "$l.UTF-8"
done
