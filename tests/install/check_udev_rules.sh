#!/usr/bin/env bash
# Syntax check of udev rules files, for systems whose udevadm has no "verify" (before systemd 253).
# Each rule line must be a comma-separated list of KEY OP "VALUE" with a key udev knows, a match
# operator (== !=) on match keys, an assignment operator (= += -= :=) on assignment keys, and at
# least one assignment (a rule of matches alone does nothing). Files named NN-*.rules only.
#
# Usage: check_udev_rules.sh FILE.rules...     exit 0 when every file passes, 1 otherwise.
set -uo pipefail

match_keys='ACTION|DEVPATH|KERNEL|KERNELS|NAME|SYMLINK|SUBSYSTEM|SUBSYSTEMS|DRIVER|DRIVERS|TAG|TAGS|TEST|PROGRAM|RESULT|CONST'
match_attr_keys='ATTR|ATTRS|SYSCTL|ENV|TEST|CONST'
assign_keys='NAME|SYMLINK|OWNER|GROUP|MODE|TAG|LABEL|GOTO|RUN|IMPORT|OPTIONS|SECLABEL|PROGRAM'
assign_attr_keys='ATTR|SYSCTL|ENV|RUN|IMPORT|SECLABEL'

failures=0
fail() {
    echo "$1:$2: $3" >&2
    failures=$((failures + 1))
}

check_file() {
    local file=$1 base
    base=$(basename "$file")
    if ! [[ $base =~ ^[0-9][0-9]-[A-Za-z0-9._-]+\.rules$ ]]; then
        fail "$file" 0 "the name must be NN-name.rules"
    fi
    local n=0 line key op value assigns
    # A line continued with a trailing backslash is joined to the next, as udev does.
    local joined=""
    while IFS= read -r line || [ -n "$line" ]; do
        n=$((n + 1))
        if [[ $line == *\\ ]]; then
            joined+="${line%\\}"
            continue
        fi
        line="$joined$line"
        joined=""
        [[ $line =~ ^[[:space:]]*(#|$) ]] && continue
        assigns=0
        local rest=$line
        while true; do
            rest="${rest#"${rest%%[![:space:]]*}"}"
            [ -z "$rest" ] && break
            # KEY or KEY{attribute}, operator, "value" (backslash escapes allowed inside).
            if ! [[ $rest =~ ^([A-Z_]+)(\{[^}]+\})?[[:space:]]*(==|!=|\+=|-=|:=|=)[[:space:]]*\"(([^\"\\]|\\.)*)\"(.*)$ ]]; then
                fail "$file" "$n" "cannot read an item at: $rest"
                break
            fi
            key=${BASH_REMATCH[1]}
            local attr=${BASH_REMATCH[2]}
            op=${BASH_REMATCH[3]}
            value=${BASH_REMATCH[4]}
            rest=${BASH_REMATCH[6]}
            if [[ $op == "==" || $op == "!=" ]]; then
                if [ -n "$attr" ]; then
                    [[ $key =~ ^($match_attr_keys)$ ]] || fail "$file" "$n" "$key{...} is not a match key"
                else
                    [[ $key =~ ^($match_keys)$ ]] || fail "$file" "$n" "$key is not a match key"
                fi
            else
                if [ -n "$attr" ]; then
                    [[ $key =~ ^($assign_attr_keys)$ ]] || fail "$file" "$n" "$key{...} cannot be assigned"
                else
                    [[ $key =~ ^($assign_keys)$ ]] || fail "$file" "$n" "$key cannot be assigned"
                fi
                [[ $key == TAG && $op != "=" && $op != "+=" ]] && fail "$file" "$n" "TAG takes = or +=, not $op"
                assigns=$((assigns + 1))
            fi
            [ -z "$value" ] && [[ $key != ENV && $key != ATTR* ]] && fail "$file" "$n" "$key has an empty value"
            # Items are separated by a comma; the last one ends the line.
            rest="${rest#"${rest%%[![:space:]]*}"}"
            [ -z "$rest" ] && break
            if [[ $rest != ,* ]]; then
                fail "$file" "$n" "a comma must separate the items, at: $rest"
                break
            fi
            rest=${rest#,}
        done
        [ "$assigns" -gt 0 ] || fail "$file" "$n" "the rule assigns nothing"
    done < "$file"
    [ -z "$joined" ] || fail "$file" "$n" "the file ends in a continued line"
}

if [ $# -eq 0 ]; then
    echo "usage: $0 FILE.rules..." >&2
    exit 2
fi
for f in "$@"; do
    if [ ! -r "$f" ]; then
        fail "$f" 0 "cannot read the file"
        continue
    fi
    check_file "$f"
done
[ "$failures" -eq 0 ]
