# SPDX-License-Identifier: GPL-3.0-or-later
# How a command line of telvarctl is completed; _telvarctl_spec above says which options and words there are.
# Installed in /usr/share/bash-completion/completions, it is loaded by the bash-completion package the
# first time telvarctl is completed; without that package, source the file from ~/.bashrc. The functions
# themselves need nothing but bash.

# The kind of OPTION's value, from the verb's options first, then the global ones: flag, file, dir, value
# (one that cannot be completed), "values A B ...", or attached-KIND for a value only given after "=".
_telvarctl_kind() {
    local verb=$1 option=$2 kind
    kind=$(_telvarctl_spec "$verb" | awk -v o="$option" '$1 == "option" && $2 == o { $1 = $2 = ""; print substr($0, 3); exit }')
    if [[ -z $kind && -n $verb ]]; then
        kind=$(_telvarctl_kind "" "$option")
    fi
    echo "$kind"
}

_telvarctl_complete_value() {
    local kind=$1 cur=$2
    case $kind in
    file)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -f -- "$cur")
        ;;
    dir)
        compopt -o filenames 2>/dev/null
        mapfile -t COMPREPLY < <(compgen -d -- "$cur")
        ;;
    values*) mapfile -t COMPREPLY < <(compgen -W "${kind#values }" -- "$cur") ;;
    *) COMPREPLY=() ;;
    esac
}

_telvarctl() {
    local cur=${COMP_WORDS[COMP_CWORD]}
    local -a words=("${COMP_WORDS[@]:0:COMP_CWORD}")
    # Bash splits "--dict=FILE" at the "=", which becomes a word of its own.
    local attached=""
    if [[ $cur == = ]]; then
        attached=${words[-1]}
        cur=""
    elif [[ ${#words[@]} -ge 3 && ${words[-1]} == = ]]; then
        attached=${words[-2]}
    fi

    # The verb, and how many of its own words come before the cursor. Global options may stand on either
    # side of the verb; after "--" every word is the verb's.
    local verb="" after=0 literal=0 i=1 word kind
    while ((i < ${#words[@]})); do
        word=${words[i]}
        if ((!literal)) && [[ $word == -- ]]; then
            literal=1
        elif ((!literal)) && [[ $word == -?* ]]; then
            if [[ ${words[i + 1]:-} == = ]]; then
                ((i += 2))
            else
                kind=$(_telvarctl_kind "$verb" "$word")
                [[ $kind == file || $kind == dir || $kind == value || $kind == values* ]] && ((++i))
            fi
        elif [[ -z $verb ]]; then
            verb=$word
        else
            ((++after))
        fi
        ((++i))
    done

    if [[ -n $attached ]]; then
        kind=$(_telvarctl_kind "$verb" "$attached")
        _telvarctl_complete_value "${kind#attached-}" "$cur"
        return
    fi
    local previous=${words[-1]}
    if ((!literal)) && [[ $previous == -?* ]]; then
        kind=$(_telvarctl_kind "$verb" "$previous")
        if [[ $kind == file || $kind == dir || $kind == value || $kind == values* ]]; then
            _telvarctl_complete_value "$kind" "$cur"
            return
        fi
    fi
    if ((!literal)) && [[ $cur == -* ]]; then
        local options
        options=$({
            _telvarctl_spec ""
            [[ -z $verb ]] || _telvarctl_spec "$verb"
        } | awk '$1 == "option" { print $2; if ($3 ~ /^attached-/) print $2 "=" }')
        mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
        if [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]]; then
            compopt -o nospace 2>/dev/null
        fi
        return
    fi
    COMPREPLY=()
    if ((after == 0)); then
        mapfile -t COMPREPLY < <(compgen -W "$(_telvarctl_spec "$verb" | awk '$1 == "word" { $1 = ""; print }')" -- "$cur")
    fi
}

complete -F _telvarctl telvarctl
