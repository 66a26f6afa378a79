#!/usr/bin/env bash
# Tab completion of rinoza-cli as bash-completion runs it: each case types a command line and compares
# the words Tab offers; then every option that rinoza-cli --help names must be offered after "-".
#   check-completion.sh COMPLETION_FILE RINOZA_CLI    exit 0 pass, 1 fail, 77 skipped (no bash-completion)
set -uo pipefail
completion=${1:?usage: check-completion.sh COMPLETION_FILE RINOZA_CLI}
cli=${2:?usage: check-completion.sh COMPLETION_FILE RINOZA_CLI}
framework=/usr/share/bash-completion/bash_completion
if [ ! -f "$framework" ]; then
    echo "SKIP: bash-completion is not installed (scripts/install-deps.sh test installs it)"
    exit 77
fi
# shellcheck source=/dev/null
source "$framework"
# shellcheck source=/dev/null
source "$completion"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work" || exit 1
mkdir folder fonts
touch file.txt -- -odd.txt
failed=0

# The words offered for a command line typed up to its end (a trailing blank starts a new word).
offered() {
    local line=$1
    read -ra COMP_WORDS <<<"$line"
    [[ $line == *' ' ]] && COMP_WORDS+=('')
    COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
    COMP_LINE=$line
    COMP_POINT=${#line}
    COMPREPLY=()
    _rinoza_cli rinoza-cli "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}" 2>/dev/null
    printf '%s\n' "${COMPREPLY[@]}" | sort | paste -sd' '
}

# command line typed                         words offered (sorted)
cases=(
    'rinoza-cli --met'                         '--method'
    'rinoza-cli --method '                     'copy move rename'
    'rinoza-cli --method m'                    'move'
    'rinoza-cli --method=c'                    'copy'
    'rinoza-cli --preset '                     '1 2 3 4 5'
    'rinoza-cli --pattern '                    ''
    'rinoza-cli --pattern=*.j'                 ''
    'rinoza-cli --dest '                       'folder fonts'
    'rinoza-cli --dest=fo'                     'folder fonts'
    'rinoza-cli --d'                           '--dest --digits --dry-run'
    'rinoza-cli -n --re'                       '--recursive --regex --replace'
    'rinoza-cli --json=y'                      ''
    'rinoza-cli --ver'                         '--version'
    'rinoza-cli f'                             'file.txt folder fonts'
    'rinoza-cli -r fi'                         'file.txt'
    'rinoza-cli --method copy --dest folder '  '-odd.txt file.txt folder fonts'
    'rinoza-cli -- -'                          '-odd.txt'
    'rinoza-cli -r -- --'                      ''
    'rinoza-cli --set '                        "$(compgen -W "$_rinoza_cli_keys" -S = | sort | paste -sd' ')"
    'rinoza-cli --set Chg'                     'Chg1= Chg2= Chg3= Chg4= Chg5= Chg6= Chg7= Chg8= Chg9= ChgB1= ChgB2= ChgB3= ChgB4= ChgB5= ChgB6= ChgB7= ChgB8= ChgB9='
    'rinoza-cli --set=StrChg'                  'StrChgAfter= StrChgBefore= StrChgRegex='
    'rinoza-cli --set Case='                   ''
    'rinoza-cli --case '                       'first keep lower upper'
    'rinoza-cli --width=k'                     'kana-full kana-half keep'
    'rinoza-cli --kana h'                      'hiragana'
    'rinoza-cli --digits '                     '1 2 3 4'
    'rinoza-cli --fixed1 '                     ''
    'rinoza-cli --nfc '                        '-odd.txt file.txt folder fonts'
    'rinoza-cli --per'                         '--per-folder'
)
for ((i = 0; i < ${#cases[@]}; i += 2)); do
    got=$(offered "${cases[i]}")
    [ "$got" = "${cases[i + 1]}" ] || { echo "FAIL: '${cases[i]}' offers '$got', expected '${cases[i + 1]}'"; failed=1; }
done

# Every option of the help text is offered, so a new option cannot be forgotten here.
all=" $(offered 'rinoza-cli -') "
help=$("$cli" --help) || { echo "FAIL: $cli --help"; exit 1; }
for opt in $(grep -oE -- '(^|[ ,])--?[a-z][a-z0-9-]*' <<<"$help" | tr -d ' ,' | sort -u); do
    [[ $all == *" $opt "* ]] || { echo "FAIL: --help names $opt, which Tab does not offer"; failed=1; }
done

# Every key of the rule that --show-rule prints is offered after --set (keys ignore letter case).
keys=" $(offered 'rinoza-cli --set ' | tr '[:upper:]' '[:lower:]') "
shown=$("$cli" --show-rule) || { echo "FAIL: $cli --show-rule"; exit 1; }
for key in $(cut -d= -f1 <<<"$shown" | tr '[:upper:]' '[:lower:]'); do
    [[ $keys == *" $key= "* ]] || { echo "FAIL: --show-rule prints $key, which Tab does not offer after --set"; failed=1; }
done

[ $failed -eq 0 ] && echo "completion: $((${#cases[@]} / 2)) command lines complete as expected, every option of --help offered"
exit $failed
