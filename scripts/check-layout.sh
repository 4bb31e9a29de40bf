#!/usr/bin/env bash
# Checks the program's layering: only shell/ includes Windows headers (elsewhere an angle include
# must be a C++ standard header), and every include between two folders points down
#   shell/  ->  panel/ automation/ about/  ->  common/  ->  APIcalls/
# Tests sit outside the layers and are not checked.
set -euo pipefail
cd "${1:-$(dirname "$0")/..}"

declare -A layer=([shell]=0 [panel]=1 [automation]=1 [about]=1 [common]=2 [APIcalls]=3)
bad=0
for folder in "${!layer[@]}"; do
  for file in "$folder"/*.h "$folder"/*.cpp; do
    [ -e "$file" ] || continue
    while IFS= read -r line; do
      if [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\<([^>]*)\> ]]; then
        header=${BASH_REMATCH[1]}
        if [ "$folder" != shell ] && [[ $header == *.* ]]; then
          echo "$file: includes <$header>; only shell/ may use Windows or other non-standard headers"
          bad=1
        fi
      elif [[ $line =~ ^[[:space:]]*#[[:space:]]*include[[:space:]]*\"([^/\"]+)/[^\"]*\" ]]; then
        target=${BASH_REMATCH[1]}
        [ "$target" = "$folder" ] && continue
        if [ -z "${layer[$target]+set}" ]; then
          echo "$file: includes from $target/, which is not a layer of the program"
          bad=1
        elif [ "${layer[$target]}" -le "${layer[$folder]}" ]; then
          echo "$file: includes from $target/, which is not below $folder/"
          bad=1
        fi
      fi
    done <"$file"
  done
done
[ "$bad" -eq 0 ] && echo "layout: shell -> features -> common -> APIcalls holds"
exit "$bad"
