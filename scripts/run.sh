#!/usr/bin/env bash
# Installs what is missing, builds the program, installs it with the database
# creation tool into a folder of its own outside the build folder, creates the
# default database beside it there when there is none (as an installer would
# ship it) and starts it. A clean rebuild (rm -rf build) leaves that folder,
# and so the user's book, alone.
set -euo pipefail
cd "$(dirname "$0")/.."
# Every core by default; CMAKE_BUILD_PARALLEL_LEVEL (and, for the tests,
# CTEST_PARALLEL_LEVEL) lowers it on a shared or small machine.
jobs="${CMAKE_BUILD_PARALLEL_LEVEL:-$(nproc)}"
./scripts/setup.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DFIN_BUILD_TESTS=OFF -DFIN_BUILD_BENCH=OFF >/dev/null
cmake --build build -j"$jobs" --target finoteca finoteca-mkdb
dest="${XDG_DATA_HOME:-$HOME/.local/share}/finoteca"
mkdir -p "$dest"
# Copied under another name and renamed: a copy of the program still running
# from the folder keeps its own file.
for prog in finoteca finoteca-mkdb; do
  cp build/"$prog" "$dest/.$prog.novo"
  mv -f "$dest/.$prog.novo" "$dest/$prog"
done
# The default book of earlier versions lived in the build folder: it moves to
# the new folder when that has none and the book was closed (no log beside it).
if [ ! -e "$dest/finoteca.mdb" ] && [ -f build/finoteca.mdb ] && [ ! -e build/finoteca.mdb-wal ]; then
  mv build/finoteca.mdb "$dest/finoteca.mdb"
  echo "O banco de dados padrão foi movido de build/finoteca.mdb para $dest/finoteca.mdb." >&2
  # The stored path follows the book, so the next start opens it without asking.
  ini="${XDG_CONFIG_HOME:-$HOME/.config}/Finoteca/Finoteca.ini"
  if [ -f "$ini" ]; then
    awk -v velho="$PWD/build/finoteca.mdb" -v novo="$dest/finoteca.mdb" '
      { i = index($0, "="); if (i > 0 && tolower(substr($0, 1, i - 1)) == "dbpath" && substr($0, i + 1) == velho)
          $0 = substr($0, 1, i) novo; print }' "$ini" > "$ini.novo" && mv -f "$ini.novo" "$ini"
  fi
fi
[ -f "$dest/finoteca.mdb" ] || "$dest/finoteca-mkdb" "$dest/finoteca.mdb"
# A desktop program: without a screen, Qt cannot start it.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "run.sh: no desktop session (DISPLAY is not set). The program needs one; on a machine" >&2
  echo "without a screen, run it on a virtual one: xvfb-run -s '-screen 0 1280x1024x24' ./scripts/run.sh" >&2
  exit 1
fi
exec "$dest/finoteca" "$@"
