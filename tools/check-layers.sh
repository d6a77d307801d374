#!/usr/bin/env bash
# Checks that the sources include only the folders below them:
#   store <- each subsystem's rules <- its windows (+ widgets, platform) <- app.
# The libraries' links catch most breaches; this catches an include that compiles only
# because every library sees the whole source tree, and an engine's header outside the store.
set -euo pipefail
src="${1:-$(dirname "$0")/../src}"

allowed() {
    case "$1" in
    store) echo "store" ;;
    platform) echo "platform" ;;
    widgets) echo "widgets" ;;
    documents) echo "documents store" ;;
    clients) echo "clients documents store" ;;
    designer | users) echo "$1 store" ;;
    clients/ui) echo "clients/ui clients documents store widgets platform" ;;
    */ui) echo "$1 ${1%/ui} store widgets platform" ;;
    app) echo "*" ;;
    *) echo "" ;;
    esac
}

status=0
while IFS= read -r file; do
    folder="${file#"$src"/}"
    folder="${folder%/*}"
    permitted="$(allowed "$folder")"
    if [[ -z "$permitted" ]]; then
        echo "$file: folder $folder has no place in the layers" >&2
        status=1
        continue
    fi
    [[ "$permitted" == "*" ]] && continue
    while IFS= read -r included; do
        target="${included%/*}"
        [[ "$target" == "$included" ]] && continue # a file of the same folder, by name alone
        if [[ " $permitted " != *" $target "* ]]; then
            echo "$file: includes $included, which $folder must not depend on" >&2
            status=1
        fi
    done < <(sed -n 's/^#include "\(.*\)"$/\1/p' "$file")
    # The engines' own interfaces stay inside the store: windows and rules never know which
    # engine they talk to.
    if [[ "$folder" != store ]] && grep -qE '^#include <(sqlite3|libpq-fe)\.h>' "$file"; then
        echo "$file: includes an engine's interface, which only the store may use" >&2
        status=1
    fi
done < <(find "$src" -mindepth 2 \( -name '*.cpp' -o -name '*.h' \) | sort)
exit $status
