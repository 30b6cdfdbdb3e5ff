#!/usr/bin/env bash
# The layer check must pass a clean tree and fail on every kind of wrong include: a project header
# of a higher layer, quoted or in angle brackets, and a Qt header, with or without its module folder,
# in a folder that must stay free of Qt.
#   check_layers_test.sh path/to/check_layers.sh
set -u
script=$1
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
failures=0

mkdir -p "$tree"/src/{platform,model,macro,device,app,ui/skin}
cat >"$tree/src/model/Record.h" <<'EOF'
#pragma once
#include "model/Text.h"
#include "platform/ProcessGlobals.h"
#include <platform/EventLoop.h>
#include <string>
#include <sys/stat.h>
EOF
cat >"$tree/src/device/Link.cpp" <<'EOF'
#include "Link.h"
#include "macro/MacroLibrary.h"
#include <model/Record.h>
#include <vector>
EOF
cat >"$tree/src/ui/skin/Control.cpp" <<'EOF'
#include <QWidget>
#include <QtGui/QPainter>
#include "model/Record.h"
EOF
cat >"$tree/src/app/StartupLoad.cpp" <<'EOF'
#include "model/Record.h"
EOF

# expect STATUS WHAT: runs the check on the tree and compares its exit status.
expect() {
    local want=$1 what=$2 output got
    output=$("$script" "$tree" 2>&1)
    got=$?
    if [ "$got" != "$want" ]; then
        echo "FAIL: $what: exit status $got, expected $want"
        echo "$output"
        failures=$((failures + 1))
    fi
}

expect 0 "the clean tree"

# bad FILE LINE WHAT: the line added to the file makes the check fail; then the file is restored.
bad() {
    local file=$tree/$1 line=$2 what=$3 saved
    saved=$(cat "$file" 2>/dev/null)
    echo "$line" >>"$file"
    expect 1 "$what"
    if [ -n "$saved" ]; then
        printf '%s\n' "$saved" >"$file"
    else
        rm -f "$file"
    fi
}

bad src/model/Record.h '#include "macro/MacroLibrary.h"' 'a quoted header of a higher layer'
bad src/model/Record.h '#include <macro/MacroLibrary.h>' 'an angle-bracket header of a higher layer'
bad src/model/Record.h '#  include   <device/Link.h>' 'an angle-bracket header with spaced directive'
bad src/platform/Loop.h '#include <model/Record.h>' 'the platform including the model'
bad src/device/Link.cpp '#include <QString>' 'a Qt header in a folder free of Qt'
bad src/device/Link.cpp '#include <QtCore/QString>' 'a Qt header with its module folder'
bad src/macro/Files.cpp '#include "QtCore/QFile"' 'a quoted Qt header with its module folder'
bad src/app/StartupLoad.cpp '#include <QtCore/QObject>' 'Qt in the start-up load'

expect 0 "the tree restored"
[ $failures = 0 ] && echo "check_layers.sh: every kind of wrong include fails, the clean tree passes"
exit $((failures > 0))
