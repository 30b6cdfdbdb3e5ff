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
# Top folders of the project's headers, as includes name them.
project_folders="platform|model|macro|device|ui|app|emulator"
# An include line: its opening delimiter and the header it names.
include_re='^[[:space:]]*#[[:space:]]*include[[:space:]]*([<"])([^>"]+)[>"]'

# The start-up load, the command line and the command table in src/app are tested and shared without a
# GUI: no Qt there.
qt_free_files=(src/app/StartupLoad.h src/app/StartupLoad.cpp src/app/AppOptions.h src/app/AppOptions.cpp
               src/app/CommandLine.h src/app/CommandLine.cpp
               src/app/CtlOptions.h src/app/CtlOptions.cpp src/app/CommandTable.h src/app/CommandTable.cpp
               src/app/CommandRunImpl.h src/app/DeviceCommands.cpp src/app/ProfileCommands.cpp src/app/CtlLocal.cpp
               src/app/CtlFiles.h src/app/CtlFiles.cpp src/app/CommandWire.h src/app/CommandWire.cpp)

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
            [[ $text =~ $include_re ]] || continue
            open=${BASH_REMATCH[1]}
            inc=${BASH_REMATCH[2]}
            if [[ $open == '<' ]]; then
                shown="<$inc>"
            else
                shown="\"$inc\""
            fi
            # Qt headers, with or without their module folder (<QString>, <QtCore/QString>).
            if [[ ($open == '<' && $inc =~ ^(Q|qt)) || $inc =~ ^Qt[A-Za-z]*/ ]]; then
                [[ $qt == yes ]] || complain "$file:$num: $folder must stay free of Qt, but includes $shown"
                continue
            fi
            # Project headers in either form; a quoted header without a folder sits beside the file,
            # and an angle-bracket one outside the project folders is a system header.
            if [[ $open == '"' && $inc != */* ]]; then
                continue
            fi
            if [[ $open == '<' && ! $inc =~ ^($project_folders)/ ]]; then
                continue
            fi
            ok=no
            for layer in $allowed; do
                [[ $inc == "$layer"/* ]] && ok=yes
            done
            [ $ok = yes ] || complain "$file:$num: $folder may not include $shown"
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
