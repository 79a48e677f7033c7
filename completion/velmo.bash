# bash completion for velmo: commands, their options, the values of --display, --format and --on,
# and file or folder names where an option or argument takes one.
_velmo()
{
    local cur prev words cword
    _init_completion || return

    local commands="tags tag rename capture pick snow skin paint gallery call typelib demo"
    local global="--display -V --version -h --help"

    # The command is the first word that is not an option or the value of --display.
    local i command=""
    for ((i = 1; i < cword; i++)); do
        case ${words[i]} in
            --display) ((i++)) ;;
            -*) ;;
            *) command=${words[i]}; break ;;
        esac
    done

    case $prev in
        --display) COMPREPLY=($(compgen -W "memory x11 wayland auto" -- "$cur")); return ;;
        --format) COMPREPLY=($(compgen -W "hex rgb hsl" -- "$cur")); return ;;
        --on) COMPREPLY=($(compgen -W "form picturebox" -- "$cur")); return ;;
        --ini) _filedir ini; return ;;
        --journal | --undo) _filedir; return ;;
        -i | --input) _filedir '@(bmp|gif|jpg|jpeg|png|BMP|GIF|JPG|JPEG|PNG)'; return ;;
        -o | --output)
            case $command in
                demo | gallery) _filedir -d ;;
                *) _filedir ;;
            esac
            return ;;
        -j | --jobs | --interval | --count | --frames | --seed | --size | --delay | --quality | --window | \
            --rect | --at | --pixel | --monitor | --shift)
            return ;;
    esac

    if [[ -z $command ]]; then
        if [[ $cur == -* ]]; then
            COMPREPLY=($(compgen -W "$global" -- "$cur"))
        else
            COMPREPLY=($(compgen -W "$commands" -- "$cur"))
        fi
        return
    fi

    local options=""
    case $command in
        tags) options="--json -r --recursive -j --jobs --ini" ;;
        tag) options="--ini" ;;
        rename) options="--dry-run --journal --undo --sequence --shift -j --jobs --ini" ;;
        capture) options="--screen --active --window --client --select --monitor --rect --pointer --delay --quality -o --output" ;;
        pick) options="--interval --count --once --click --at --pixel --format --json" ;;
        snow) options="-i --input --size --frames --seed -o --output --show" ;;
        skin) options="-o --output --rects" ;;
        paint) options="--size --on -o --output --show" ;;
        gallery) options="-o --output --size" ;;
        demo) options="-o --output" ;;
    esac
    if [[ $cur == -* ]]; then
        COMPREPLY=($(compgen -W "$options -h --help" -- "$cur"))
        return
    fi
    case $command in
        tags | rename) _filedir '@(jpg|jpeg|JPG|JPEG)' ;;
        tag) _filedir '@(jpg|jpeg|JPG|JPEG)' ;;
        skin) _filedir '@(bmp|gif|jpg|jpeg|png|BMP|GIF|JPG|JPEG|PNG)' ;;
    esac
} &&
    complete -F _velmo velmo
