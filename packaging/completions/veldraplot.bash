# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for veldraplot                           -*- shell-script -*-
# The whole command line is the settings file's path; --example, --version
# and --help only alone.

_veldraplot()
{
    local cur=${COMP_WORDS[COMP_CWORD]}
    COMPREPLY=()
    if [[ $COMP_CWORD -eq 1 && $cur == -* ]]; then
        mapfile -t COMPREPLY < <(compgen -W '--example --version --help' -- "$cur")
    else
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
    fi
    return 0
}
complete -o filenames -F _veldraplot veldraplot
