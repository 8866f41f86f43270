# Bash completion for tramsik-cli. The commands and options come from the program's own --help,
# so they never go out of step with it.
_tramsik_cli() {
    local cur prev words cword
    _init_completion || return

    case $prev in
    --machine)
        _filedir json
        COMPREPLY+=($(compgen -W demo -- "$cur"))
        return
        ;;
    --log | --out)
        _filedir
        return
        ;;
    --lang)
        COMPREPLY=($(compgen -W 'en zh' -- "$cur"))
        return
        ;;
    --drive | --target)
        return
        ;;
    esac

    local commands command= word
    commands=$("$1" --help 2>/dev/null | sed -n '/^Subcommands:/,$s/^  \([a-z][a-z-]*\) .*/\1/p')
    for word in "${words[@]:1:cword-1}"; do
        if grep -qxF -- "$word" <<<"$commands"; then
            command=$word
            break
        fi
    done
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W '$(_parse_help "$1" "$command --help")' -- "$cur"))
    elif [[ -z $command ]]; then
        COMPREPLY=($(compgen -W '$commands' -- "$cur"))
    fi
} &&
    complete -F _tramsik_cli tramsik-cli
