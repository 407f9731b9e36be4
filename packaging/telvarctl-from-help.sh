#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Reads what telvarctl says of itself (--help, and VERB --help for every verb it lists) and writes, so they
# never drift from the program, into OUTPUT:
#   man TELVARCTL OUTPUT         the VERBS section of its manual page, for help2man --include
#   completion TELVARCTL OUTPUT  its bash completion: the options and words of the help texts, then the
#                                completion function (telvarctl-completion.bash beside this script)
set -euo pipefail
if [[ $# -ne 3 || ! $1 =~ ^(man|completion)$ ]]; then
    echo "usage: $0 man|completion TELVARCTL OUTPUT" >&2
    exit 2
fi
mode=$1
telvarctl=$2
exec >"$3"

verbs() {
    "$telvarctl" --help | sed -n '/^Verbs:$/,$p' | awk 'NR > 1 && NF { print $1 }'
}

# The usage lines of a help text with "telvarctl", the global options before the verb and the verb taken
# off: "ask QUESTION [--window 6|12|24]" gives "QUESTION [--window 6|12|24]".
usage_lines() {
    local verb=$1
    "$telvarctl" "$verb" --help | awk -v verb="$verb" '
        /^Usage: telvarctl / || (usage && /^ +telvarctl /) {
            usage = 1
            sub(/^(Usage:)? *telvarctl +/, "")
            while ($0 ~ /^\[--[^]]*\] /) sub(/^\[--[^]]*\] /, "")
            if (index($0, verb) == 1) print substr($0, length(verb) + 2)
            next
        }
        { usage = 0 }'
}

# The names a placeholder stands for, from a line "NAME is one of:" and the comma-separated line after it.
placeholder_values() {
    local verb=$1 placeholder=$2
    "$telvarctl" "$verb" --help |
        awk -v p="$placeholder" 'found { gsub(/,/, " "); print; exit } $0 ~ p " is one of:$" { found = 1 }' |
        xargs
}

# What a value written as TOKEN (FILE, DIR, 6|12|24, NAME ...) is: "file", "dir", "values A B ...", or
# "value" for a value that cannot be completed.
value_kind() {
    local verb=$1 token=$2
    token=${token#[}
    token=${token%%]*}
    if [[ $token == *FILE* ]]; then
        echo file
    elif [[ $token == *DIR* ]]; then
        echo dir
    elif [[ $token =~ ^[a-z0-9-]+(\|[a-z0-9-]+)+$ ]]; then
        echo "values ${token//|/ }"
    elif [[ -n $verb && -n $(placeholder_values "$verb" "${token%...}") ]]; then
        echo "values $(placeholder_values "$verb" "${token%...}")"
    else
        echo value
    fi
}

# One line per option of a verb's usage lines, "option NAME KIND", and one per word that may follow the
# verb, "word WORD...".
verb_spec() {
    local verb=$1 line alternative first
    while IFS= read -r line; do
        # "list | replace INDEX WORD TEXT | transfer": each alternative starts with its own word. A "|"
        # that follows anything else is a pipe of the shell ("render TEXT -o - | aplay").
        [[ $line =~ ^[a-z] ]] && line=${line// | /$'\n'}
        while IFS= read -r alternative; do
            read -r -a tokens <<<"$alternative"
            [[ ${#tokens[@]} -gt 0 ]] || continue
            first=${tokens[0]}
            if [[ $first =~ ^[a-z][a-z0-9|-]*$ ]]; then
                echo "word ${first//|/ }"
            elif [[ $first =~ ^[A-Z]+$ ]]; then
                local kind
                kind=$(value_kind "$verb" "$first")
                [[ $kind == values* ]] && echo "word ${kind#values }"
            fi
            local i
            for ((i = 0; i < ${#tokens[@]}; ++i)); do
                local token=${tokens[i]} name
                name=${token#[}
                name=${name%%]*}
                [[ $name =~ ^--?[a-z] ]] || continue
                local next=${tokens[i + 1]:-}
                if [[ $token == \[* && $token != *\] && $token != *\]... ]] || [[ $token != \[* && $next =~ ^[A-Z] ]]; then
                    echo "option $name $(value_kind "$verb" "$next")"
                    ((++i))
                else
                    echo "option $name flag"
                fi
            done
        done <<<"$line"
    done < <(usage_lines "$verb") | awk '!seen[$2]++ || $1 == "word"'
}

# The global options from the "Global options:" block: "--simulate[=FILE]" takes its file after "=" only.
global_spec() {
    "$telvarctl" --help | sed -n '/^Global options:$/,/^$/p' | awk '$1 ~ /^--/ { print $1, $2 }' |
        while read -r option argument; do
            if [[ $option == *\[=* ]]; then
                local token=${option#*[=}
                echo "option ${option%%\[*} attached-$(value_kind "" "${token%]}")"
            elif [[ $argument =~ ^[A-Z] ]]; then
                echo "option $option $(value_kind "" "$argument")"
            else
                echo "option $option flag"
            fi
        done
}

roff() {
    sed -e 's/\\/\\e/g' -e "s/^[.']/\\\\\&&/"
}

case $mode in
man)
    echo '[VERBS]'
    echo 'Every verb answers \fB\-\-help\fR with the text below.'
    for verb in $(verbs); do
        echo ".SS $verb"
        echo '.nf'
        "$telvarctl" "$verb" --help | roff
        echo '.fi'
    done
    ;;
completion)
    echo '# SPDX-License-Identifier: GPL-3.0-or-later'
    echo '# bash completion for telvarctl, made from its own help texts when it was built.'
    echo
    echo '# The options and words that may follow VERB, or that stand before any verb when VERB is empty.'
    echo '_telvarctl_spec() {'
    echo '    case $1 in'
    echo "    '') cat <<'EOF'"
    global_spec
    echo "word $(verbs | xargs)"
    echo 'EOF'
    echo '        ;;'
    for verb in $(verbs); do
        echo "    $verb) cat <<'EOF'"
        verb_spec "$verb"
        echo 'EOF'
        echo '        ;;'
    done
    echo '    esac'
    echo '}'
    echo
    # Its licence line is already the first of the whole.
    grep -v '^# SPDX-License-Identifier:' "$(dirname "$0")/telvarctl-completion.bash"
    ;;
esac
