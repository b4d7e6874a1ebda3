# SPDX-License-Identifier: GPL-3.0-or-later
# bash completion for veldraplot-render                    -*- shell-script -*-
# Options, their values (also after "="), and files for the settings file.

_veldraplot_render()
{
    local cur=${COMP_WORDS[COMP_CWORD]} prev=${COMP_WORDS[COMP_CWORD - 1]} words=""
    # Bash splits "--size=640" into "--size", "=" and "640".
    if [[ $cur == "=" ]]; then
        cur=""
    elif [[ $prev == "=" ]]; then
        prev=${COMP_WORDS[COMP_CWORD - 2]}
    fi
    case $prev in
    --folder) words=$(compgen -d -- "$cur") ;;
    --input | -o | --output | --batch) words=$(compgen -f -- "$cur") ;;
    --format) words=$(compgen -W 'jpg bmp tif gif png svg pdf' -- "$cur") ;;
    --size) words=$(compgen -W '1280x864 1920x1080 640x480 320x240' -- "$cur") ;;
    --scale) words=$(compgen -W '1 2 3 4' -- "$cur") ;;
    --timeout) words=$(compgen -W '0 30 120 600' -- "$cur") ;;
    *)
        if [[ $cur == -* ]]; then
            words=$(compgen -W '--folder --input -o --output --format --size --scale
                --describe --batch --timeout --help --version --' -- "$cur")
        else
            words=$(compgen -f -- "$cur")
        fi
        ;;
    esac
    COMPREPLY=()
    [[ -n $words ]] && mapfile -t COMPREPLY <<<"$words"
    return 0
}
complete -o filenames -F _veldraplot_render veldraplot-render
