#!/usr/bin/env bash
# The floors themselves are enforced by the build: each library's include root
# holds only its own headers, so an include that points up or sideways between
# libraries does not compile (see fin_floor in CMakeLists.txt). This check
# covers the two things the compiler cannot see:
#   - an include written relative to the including file's own folder
#     ("../../shell/MainForm.h", "../postings/x.h") or through other folders
#     ("core/../shell/x.h"): the compiler finds such a file beside the source
#     file, past every include root. Our headers are named from src/
#     ("core/escrita/Escrita.h"); the bare name of a header in the same folder
#     is allowed;
#   - one subsystem's windows including another's.
# Every spelling is read: <...> and "...", spaces before and after '#'.
# Prints each offending include and fails when there is one.
# Usage: check-layers.sh [source root] (default: the project's src/).
set -euo pipefail
root=${1:-"$(dirname "$0")/../src"}
cd "$root"

# Subsystem window folders: a top folder that is none of the shared floors.
subsystem() {
  case "$1" in
    platform | db | ui | core | shell | app) return 1 ;;
    *) return 0 ;;
  esac
}

# Folds "." and ".." out of a relative path (no fork: the tree has hundreds of
# includes): sets $norm; "../x" for a path that leaves the root.
normalize() {
  local IFS=/ part out=()
  for part in $1; do
    case "$part" in
      '' | .) ;;
      ..) if ((${#out[@]})); then unset 'out[-1]'; else out+=(..); fi ;;
      *) out+=("$part") ;;
    esac
  done
  norm="${out[*]}"
}

re='^([^:]+):([0-9]+):[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'
bad=0
while IFS= read -r line; do
  [[ $line =~ $re ]] || continue
  f=${BASH_REMATCH[1]#./}
  no=${BASH_REMATCH[2]}
  quote=${BASH_REMATCH[3]}
  inc=${BASH_REMATCH[4]}
  fdir=${f%/*}
  [ "$fdir" = "$f" ] && fdir=.
  ftop=${f%%/*}
  # Where the compiler finds it: beside the including file first (quoted
  # includes only), then from the include roots.
  if [ "$quote" = '"' ] && [ -e "$fdir/$inc" ]; then
    normalize "$fdir/$inc"
    resolved=$norm
    if [[ $inc == */* ]]; then
      echo "$f:$no: \"$inc\" is written relative to its own folder; name it from src/ ($resolved)"
      bad=1
      continue
    fi
  elif [ -e "$inc" ]; then
    normalize "$inc"
    resolved=$norm
    if [ "$resolved" != "$inc" ]; then
      echo "$f:$no: \"$inc\" goes through other folders; name it from src/ ($resolved)"
      bad=1
      continue
    fi
  else
    continue # not one of ours (Qt, the standard library, generated files)
  fi
  case "$resolved" in ../* | /*) continue ;; esac
  itop=${resolved%%/*}
  if [ "$itop" != "$ftop" ] && subsystem "$ftop" && subsystem "$itop"; then
    echo "$f:$no: includes $resolved (another subsystem's windows)"
    bad=1
  fi
done < <(grep -rnE --include='*.h' --include='*.cpp' '^[[:space:]]*#[[:space:]]*include[[:space:]]*[<"]' . || true)
exit $bad
