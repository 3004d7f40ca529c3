#!/usr/bin/env bash
# Every include points down the floors: app -> shell -> subsystem windows ->
# core -> ui -> db -> platform. Prints each include that points up or sideways
# between windows and fails when there is one.
set -euo pipefail
cd "$(dirname "$0")/../src"
floor() {
  case "$1" in
    platform/*) echo 0 ;; db/*) echo 1 ;; ui/*) echo 2 ;; core/*) echo 3 ;;
    shell/*) echo 5 ;; app/*) echo 6 ;; *) echo 4 ;;
  esac
}
bad=0
while IFS= read -r f; do
  ff=$(floor "$f"); fdir=${f%%/*}
  while IFS= read -r inc; do
    [ -z "$inc" ] && continue
    [ -e "$inc" ] || continue
    fi_=$(floor "$inc"); idir=${inc%%/*}
    if [ "$fi_" -gt "$ff" ] || { [ "$fi_" -eq 4 ] && [ "$ff" -eq 4 ] && [ "$idir" != "$fdir" ]; }; then
      echo "$f includes $inc"; bad=1
    fi
  done < <(grep -oE '^#include "[^"]+"' "$f" | sed -E 's/#include "(.*)"/\1/')
done < <(find . -name '*.h' -o -name '*.cpp' | sed 's#^\./##')
exit $bad
