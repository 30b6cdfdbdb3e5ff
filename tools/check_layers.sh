#!/usr/bin/env bash
# Each source folder may include only the layers below it, and the layers that tools, tests and
# fuzzers run without a GUI never include Qt. Run as a test; prints every offending line.
#   check_layers.sh [source-root]
set -u
root=${1:-$(cd "$(dirname "$0")/.." && pwd)}
cd "$root" || exit 2

# folder | project folders its files may include | whether Qt headers are allowed
rules=(
    "src/platform|platform|no"
    "src/platform/linux|platform|no"
    "src/platform/qt|platform|yes"
    "src/model|model platform|no"
    "src/macro|macro model platform|no"
    "src/device|device macro model platform|no"
    "emulator|emulator device macro model platform|no"
    "src/ui/skin|ui/skin model platform|yes"
    "src/ui/macro|ui/macro ui/skin macro model platform|yes"
    "src/ui/rules|ui/rules device macro model platform|no"
    "src/ui/main|ui/main ui/rules ui/macro ui/skin device macro model platform|yes"
)
# The start-up load and the command line in src/app are tested and shared without a GUI: no Qt there.
qt_free_files=(src/app/StartupLoad.h src/app/StartupLoad.cpp src/app/AppOptions.h src/app/AppOptions.cpp)

status=0
complain() {
    echo "$1"
    status=1
}

for rule in "${rules[@]}"; do
    IFS='|' read -r folder allowed qt <<<"$rule"
    [ -d "$folder" ] || continue
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [ -f "$file" ] || continue
        while IFS= read -r line; do
            num=${line%%:*}
            text=${line#*:}
            if [[ $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^\"]+)\" ]]; then
                inc=${BASH_REMATCH[1]}
                [[ $inc == */* ]] || continue # a header beside the file
                ok=no
                for layer in $allowed; do
                    [[ $inc == "$layer"/* ]] && ok=yes
                done
                [ $ok = yes ] || complain "$file:$num: $folder may not include \"$inc\""
            elif [[ $qt == no && $text =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<(Q[A-Za-z]*|qt[^>]*)\> ]]; then
                complain "$file:$num: $folder must stay free of Qt, but includes <${BASH_REMATCH[1]}>"
            fi
        done < <(grep -n '#[[:space:]]*include' "$file")
    done
done

for file in "${qt_free_files[@]}"; do
    [ -f "$file" ] || continue
    if grep -nE '#[[:space:]]*include[[:space:]]*<(Q|qt)' "$file" >/dev/null; then
        complain "$file: must stay free of Qt"
    fi
done

[ $status = 0 ] && echo "layers: every include points down"
exit $status
