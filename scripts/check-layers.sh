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
#   - one subsystem's windows including another's;
#   - code outside its floor's namespace: each folder has one, named for it
#     (src/app: app, src/shell: shell, a subsystem's windows: its folder's
#     name, src/core/<x>: core::<x>, src/ui: ui, src/db: db); a file may open
#     another floor's namespace only to declare a class ahead.
# Every spelling of an include is read: <...> and "...", spaces before and
# after '#'. Prints each offence and fails when there is one.
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

# Namespaces: a block opened at the start of a line ("namespace x {") holding
# more than forward declarations must be the file's floor's; the platform's
# facilities keep their own and are not read.
files=$(find . \( -name '*.h' -o -name '*.cpp' \) -not -path './platform/*' | sort)
if [ -n "$files" ]; then
  # shellcheck disable=SC2086
  awk -v floors="app shell core ui db fin forms" '
    function esperado(f,   p) {
      n = split(f, p, "/")
      if (p[2] == "core") return n > 3 ? "core::" p[3] : "core"
      return p[2]
    }
    function nosso(ns,   t) {
      t = ns; sub(/::.*/, "", t)
      return (" " floors " " ~ " " t " ") || subsys[t]
    }
    BEGIN { split("charts postings security pending search reports", w, " "); for (i in w) subsys[w[i]] = 1 }
    FNR == 1 { aberto = "" }
    /^namespace [A-Za-z_][A-Za-z_0-9:]* \{[[:space:]]*$/ {
      aberto = $2; linha = FNR; conteudo = 0; next
    }
    aberto != "" && /^}/ {
      if (conteudo && nosso(aberto) && aberto != esperado(FILENAME)) {
        f = FILENAME; sub(/^\.\//, "", f)
        printf "%s:%d: namespace %s in a folder whose namespace is %s\n", f, linha, aberto, esperado(FILENAME)
        ruim = 1
      }
      aberto = ""; next
    }
    aberto != "" && !/^[[:space:]]*$/ && !/^[[:space:]]*\/\// && !/^[[:space:]]*(class|struct) [A-Za-z_0-9]+;/ { conteudo = 1 }
    END { exit ruim }' $files || bad=1
fi
exit $bad
