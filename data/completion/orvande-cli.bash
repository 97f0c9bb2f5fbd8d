# bash completion for orvande-cli
_orvande_cli() {
  local cur prev words cword
  if declare -F _init_completion >/dev/null; then
    _init_completion || return
  else
    cur="${COMP_WORDS[COMP_CWORD]}"
    prev="${COMP_WORDS[COMP_CWORD-1]}"
    words=("${COMP_WORDS[@]}")
    cword=$COMP_CWORD
  fi

  local commands="devices analyze recover find view image partitions find-partitions"
  local common="--help --sector-size --partitions"
  local command="" i
  for ((i = 1; i < cword; i++)); do
    case "${words[i]}" in
      devices|analyze|recover|find|view|image|partitions|find-partitions) command="${words[i]}"; break ;;
    esac
  done

  case "$prev" in
    --out)
      COMPREPLY=($(compgen -d -- "$cur")); return ;;
    --partitions|--save|--load)
      COMPREPLY=($(compgen -f -X '!*.ovp' -- "$cur") $(compgen -d -- "$cur")); return ;;
    --image)
      COMPREPLY=($(compgen -f -- "$cur")); return ;;
    --sector-size)
      COMPREPLY=($(compgen -W "512 1024 2048 4096" -- "$cur")); return ;;
    --on-exists)
      COMPREPLY=($(compgen -W "ask replace skip rename" -- "$cur")); return ;;
    --probability)
      COMPREPLY=($(compgen -W "good average poor" -- "$cur")); return ;;
    --fs)
      COMPREPLY=($(compgen -W "ntfs fat32 fat16 fat12 ntfs,fat32,fat16,fat12" -- "$cur")); return ;;
    --tz)
      COMPREPLY=($(cd /usr/share/zoneinfo 2>/dev/null && compgen -f -- "$cur")); return ;;
    --id|--sector|--count|--start|--end|--min-size|--max-size|--modified-after|--modified-before|--name|--replace-char)
      return ;;
  esac

  if [[ -z "$command" ]]; then
    COMPREPLY=($(compgen -W "$commands --help --version" -- "$cur"))
    return
  fi

  local options
  case "$command" in
    devices) options="--json --image" ;;
    analyze) options="--deleted-only --json --bodyfile --dfxml --streams --tz --name --min-size
                      --max-size --modified-after --modified-before --probability" ;;
    recover) options="--out --id --all-files --structure --streams --skip-overwritten --on-exists
                      --replace-char --yes --tz" ;;
    find) options="--deleted-only --whole-name --case" ;;
    view) options="--sector --count" ;;
    image) options="--yes" ;;
    partitions) options="--json" ;;
    find-partitions) options="--start --end --fs --remove-previous --save --load --json" ;;
  esac

  if [[ "$cur" == -* ]]; then
    COMPREPLY=($(compgen -W "$options $common" -- "$cur"))
    return
  fi
  # Sources and outputs: image files and block devices (/dev/...).
  COMPREPLY=($(compgen -f -- "$cur"))
  compopt -o filenames 2>/dev/null
}
complete -F _orvande_cli orvande-cli
