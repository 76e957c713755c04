#!/usr/bin/env bash
# The module folders stand on floors, docs/layout.md lists them bottom up: a file
# includes headers of its own folder or of a folder below it, never above. Inside one folder no
# modules include each other in a circle, and only platform/ includes SDL, X11 or POSIX headers.
# Prints every include that breaks a rule and fails; passes silently.
set -u
cd "$(dirname "$0")/.."
floors=(base platform config runtime catalogue launch display popups core)
others=" tests bench fuzz demo "
system='^<(SDL|X11/|unistd\.h|sys/|fcntl\.h|dirent\.h|spawn\.h|pthread\.h|poll\.h|signal\.h)'
declare -A floor
for i in "${!floors[@]}"; do floor[${floors[$i]}]=$i; done
status=0
complain() { echo "layers: $*"; status=1; }

for folder in */; do
    folder=${folder%/}
    compgen -G "$folder/*.cpp" >/dev/null || compgen -G "$folder/*.h" >/dev/null || continue
    [[ $others == *" $folder "* || -n ${floor[$folder]:-} ]] && continue
    complain "$folder/ stands on no floor: add it to tests/layers.sh and docs/layout.md"
done

for folder in "${floors[@]}"; do
    edges=""
    for file in "$folder"/*.h "$folder"/*.cpp; do
        [[ -e $file ]] || continue
        module=${file##*/}
        module=${module%.*}
        while read -r _ target; do
            if [[ $target =~ ^\"(([a-z]+)/([a-z0-9_]+)\.h)\" ]]; then
                into=${BASH_REMATCH[2]} header=${BASH_REMATCH[3]}
                ((${floor[$into]:--1} > ${floor[$folder]})) &&
                    complain "$file includes ${BASH_REMATCH[1]}: $into/ is above $folder/"
                [[ $into == "$folder" && $header != "$module" ]] && edges+="$module $header"$'\n'
            elif [[ $folder != platform && $target =~ $system ]]; then
                complain "$file includes $target, which only platform/ may include"
            fi
        done < <(grep '^#include' "$file")
    done
    loop=$(printf '%s' "$edges" | tsort 2>&1 >/dev/null | sed -n 's/^tsort: \([a-z0-9_]*\)$/\1/p' |
        sort -u | tr '\n' ' ')
    [[ -z $loop ]] || complain "modules of $folder/ include each other in a circle: $loop"
done
exit $status
