# bash completion for vrx-cli: options, the values of --date-kind, --keep and
# --action, the units of --same-date=N, folders for sources, -x and --protect,
# files for -o.
_vrx_cli() {
  local cur prev words cword split
  _init_completion -s || return

  case $prev in
    --same-date)
      # --same-date=N: the units after the digits.
      if [[ $split == true && $cur =~ ^[0-9]+ ]]; then
        local n=${BASH_REMATCH[0]}
        mapfile -t COMPREPLY < <(compgen -W "${n}s ${n}m ${n}h ${n}d ${n}w ${n}y" -- "$cur")
        return
      fi
      [[ $split == true ]] && return
      ;;
    --same-name | --same-attr | --same-size | --same-content)
      [[ $split == true ]] && return
      ;;
    -x | --exclude | --protect)
      _filedir -d
      return
      ;;
    -o | --output)
      _filedir
      return
      ;;
    --date-kind)
      mapfile -t COMPREPLY < <(compgen -W 'M Z E' -- "$cur")
      return
      ;;
    --keep)
      mapfile -t COMPREPLY < <(compgen -W 'oldest newest shortest-path longest-path first-source' -- "$cur")
      return
      ;;
    --action)
      if [[ $cur == move=* ]]; then
        # move=DIR: the folder after "move=" (bash completes the word after
        # the "=", which breaks words).
        mapfile -t COMPREPLY < <(compgen -d -- "${cur#move=}")
        compopt -o filenames
        return
      fi
      mapfile -t COMPREPLY < <(compgen -W 'trash move= hardlink reflink delete' -- "$cur")
      [[ ${COMPREPLY[0]-} == move= ]] && compopt -o nospace
      return
      ;;
    -n | --name | -N | --name-exclude | --from | --to | --attr | --attr-exclude | -s | --size | \
      -c | --content | -C | --content-exclude)
      return
      ;;
  esac

  case $cur in
    -*)
      local options='-x --exclude -n --name --name-case --name-all -N --name-exclude
        --name-exclude-case --name-exclude-all --from --to --date-kind --attr --attr-exclude
        -s --size -c --content --content-case --content-all -C --content-exclude
        --content-exclude-case --content-exclude-all --same-location --other-location
        --location-ranges --same-name --same-name= --name-exact --same-name-case --same-date
        --same-date= --date-exact --same-attr --same-attr= --attr-exact --same-size --same-size=
        --same-content --same-content= --content-exact --same-content-case --csv --json
        -0 --print0 -o --output --check --strict -q --quiet -h --help --version --keep
        --protect --action --dry-run --yes'
      mapfile -t COMPREPLY < <(compgen -W "$options" -- "$cur")
      [[ ${#COMPREPLY[@]} -eq 1 && ${COMPREPLY[0]} == *= ]] && compopt -o nospace
      return
      ;;
  esac
  # SOURCE: a folder (a trailing "+" for its subfolders is typed by hand).
  _filedir -d
}
complete -F _vrx_cli vrx-cli

# vrx takes folders.
_vrx() {
  local cur prev words cword
  _init_completion || return
  _filedir -d
}
complete -F _vrx vrx
