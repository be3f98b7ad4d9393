#!/bin/sh
# check_saved_parts.sh MAKE_KZV FOLDER...: the part files that make_kzv writes are, byte
# for byte, the ones saved in each folder (the viewer's samples, the fuzz seeds), so
# that a change of the writer cannot leave them behind. Other files in the folders are
# not looked at.
set -u
make_kzv=$1
shift
out=$(mktemp -d) || exit 1
trap 'rm -rf "$out"' EXIT
"$make_kzv" "$out" >/dev/null || exit 1
status=0
for written in "$out"/*; do
  name=$(basename "$written")
  for folder in "$@"; do
    if ! cmp -s "$written" "$folder/$name"; then
      echo "$folder/$name is not what make_kzv writes: run make_kzv $folder" >&2
      status=1
    fi
  done
done
exit $status
