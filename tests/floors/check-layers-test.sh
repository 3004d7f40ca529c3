#!/usr/bin/env bash
# scripts/check-layers.sh over a small tree: every spelling of an include that
# the compiler would find past the include roots, and every spelling of one
# subsystem's windows including another's, is reported; the allowed ones are
# not. Code outside its folder's namespace is reported too; a block of
# forward declarations of another floor's classes is allowed.
set -euo pipefail
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/check-layers.sh"
t=$(mktemp -d)
trap 'rm -rf "$t"' EXIT
s=$t/src
mkdir -p "$s"/core/escrita "$s"/shell "$s"/charts "$s"/postings
touch "$s"/shell/MainForm.h "$s"/postings/frmLancamentos.h "$s"/core/escrita/Escrita.h
printf '%s\n' '#include "Escrita.h"' '#include "core/escrita/Escrita.h"' '#include <core/escrita/Escrita.h>' \
  '#include <QString>' '#include "moc_ok.cpp"' >"$s"/core/escrita/ok.cpp
printf '%s\n' '#include "../../shell/MainForm.h"' '#  include "core/../shell/MainForm.h"' \
  '#include <core/../shell/MainForm.h>' '  #include "./shell/MainForm.h"' >"$s"/core/escrita/up.cpp
printf '%s\n' '#include "../postings/frmLancamentos.h"' ' # include <postings/frmLancamentos.h>' \
  '#include "postings/frmLancamentos.h"' '#include "core/escrita/Escrita.h"' >"$s"/charts/side.cpp
printf '%s\n' 'namespace core::permissoes {' 'class CPermissao;' '}' 'namespace widgets {' 'class TreeView;' '}' \
  'namespace charts {' 'void f();' '} // namespace charts' >"$s"/charts/ns_ok.h
printf '%s\n' 'namespace core::escrita {' 'class Fora;' '} // namespace core::escrita' 'namespace core::escrita {' \
  'void g() {}' '}' >"$s"/core/escrita/ns_ok.cpp
printf '%s\n' 'namespace postings {' 'void f();' '}' 'namespace fin {' '// what is left' 'int x;' '}' >"$s"/charts/ns_bad.h
printf '%s\n' 'namespace core {' 'void h();' '}' >"$s"/core/escrita/ns_bad.cpp

if out=$("$script" "$s"); then
  echo "check-layers.sh passed a tree with bad includes"; exit 1
fi
expected="charts/ns_bad.h:1: namespace postings in a folder whose namespace is charts
charts/ns_bad.h:4: namespace fin in a folder whose namespace is charts
charts/side.cpp:1: \"../postings/frmLancamentos.h\" is written relative to its own folder; name it from src/ (postings/frmLancamentos.h)
charts/side.cpp:2: includes postings/frmLancamentos.h (another subsystem's windows)
charts/side.cpp:3: includes postings/frmLancamentos.h (another subsystem's windows)
core/escrita/ns_bad.cpp:1: namespace core in a folder whose namespace is core::escrita
core/escrita/up.cpp:1: \"../../shell/MainForm.h\" is written relative to its own folder; name it from src/ (shell/MainForm.h)
core/escrita/up.cpp:2: \"core/../shell/MainForm.h\" goes through other folders; name it from src/ (shell/MainForm.h)
core/escrita/up.cpp:3: \"core/../shell/MainForm.h\" goes through other folders; name it from src/ (shell/MainForm.h)
core/escrita/up.cpp:4: \"./shell/MainForm.h\" goes through other folders; name it from src/ (shell/MainForm.h)"
got=$(sort <<<"$out")
if [ "$got" != "$expected" ]; then
  echo "expected:"; echo "$expected"; echo "got:"; echo "$got"; exit 1
fi
rm "$s"/core/escrita/up.cpp "$s"/charts/side.cpp "$s"/charts/ns_bad.h "$s"/core/escrita/ns_bad.cpp
"$script" "$s" || { echo "check-layers.sh refused a tree with good includes"; exit 1; }
echo ok
