#!/bin/bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The shell completions and the manual against the renderer's own --help:
# every option it lists is completed and documented, and values complete
# also after "=" (which bash splits off as a word of its own).
# Usage: completion.sh RENDERER SOURCE_DIR
set -euo pipefail
render=$1 src=$2
. "$src/packaging/completions/veldraplot-render.bash"
. "$src/packaging/completions/veldraplot.bash"
complete_line() { # FUNCTION WORD...: what the function offers for the last word
    local fn=$1 && shift
    COMP_WORDS=("$@") COMP_CWORD=$(($# - 1)) && "$fn" && echo "${COMPREPLY[*]}"
}
check() { [ "$1" = "$2" ] || { echo "expected [$2], got [$1] ($3)"; exit 1; }; }
options=$("$render" --help | grep -o -E '^ +(-o, )?--[a-z]+' | grep -o -E -- '-o|--[a-z]+' | sort)
check "$(complete_line _veldraplot_render veldraplot-render - | tr ' ' '\n' | grep -v -x -- -- | sort)" \
    "$options" "every option of --help is completed"
for option in $options; do # written \-\-name in the manual
    grep -q -F -- "$(sed 's/-/\\-/g' <<<"$option")" "$src/packaging/veldraplot-render.1" ||
        { echo "$option is not in veldraplot-render(1)"; exit 1; }
done
check "$(complete_line _veldraplot_render veldraplot-render --format p)" "png pdf" "a value"
check "$(complete_line _veldraplot_render veldraplot-render --scale = 3)" "3" "a value after ="
check "$(complete_line _veldraplot_render veldraplot-render --timeout =)" "0 30 120 600" "after a bare ="
check "$(complete_line _veldraplot_render veldraplot-render --folder "$src/pack")" "$src/packaging" "a folder"
check "$(complete_line _veldraplot veldraplot --ex)" "--example" "the viewer's options"
check "$(complete_line _veldraplot veldraplot x --ex)" "" "the viewer's options stand alone"
echo "completions and manual agree with --help"
