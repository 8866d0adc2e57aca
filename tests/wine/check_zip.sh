#!/bin/bash
# Checks what a Windows player unpacks: the zip holds the program, README.txt
# and the licences; the program is a windowed one that imports only Windows'
# own DLLs and carries the game's icon and version information.
#   check_zip.sh ZIP OBJDUMP VERSION
set -uo pipefail
if (($# != 3)); then
    echo "usage: $0 ZIP OBJDUMP VERSION" >&2
    exit 2
fi
zip=$1 objdump=$2 version=$3
dir=$(mktemp -d "${TMPDIR:-/tmp}/brennow-zip.XXXXXX") || exit 2
trap 'rm -rf "$dir"' EXIT
failed=0
fail() {
    echo "check_zip: $*" >&2
    failed=1
}

unzip -q "$zip" -d "$dir" || { fail "cannot unpack $zip"; exit 1; }
expected=(
    README.txt brennow.exe
    licences/Brennow.txt licences/FreeType.txt licences/HarfBuzz.txt licences/LiberationSans.txt licences/SDL2.txt
    licences/SDL2_image.txt licences/SDL2_ttf.txt licences/libjpeg-turbo.txt licences/mingw-w64-runtime.txt
)
found=$(cd "$dir" && find . -type f | sed 's|^\./||' | sort)
[[ $found == "$(printf '%s\n' "${expected[@]}" | sort)" ]] || fail "the zip holds: $(tr '\n' ' ' <<<"$found")"
for file in "${expected[@]}"; do
    [[ -s $dir/$file ]] || fail "$file is empty"
done

exe=$dir/brennow.exe
headers=$("$objdump" -p "$exe")
# Subsystem 2 is the Windows GUI: no console window opens beside the game.
grep -q '^Subsystem[[:space:]]*0*2[[:space:]]' <<<"$headers" || fail "brennow.exe is not a windowed program"
# Windows' own DLLs only: no libstdc++, libgcc, winpthread or SDL beside it.
while read -r dll; do
    case ${dll,,} in
    kernel32.dll | user32.dll | gdi32.dll | advapi32.dll | shell32.dll | ole32.dll | oleaut32.dll | \
        imm32.dll | version.dll | winmm.dll | setupapi.dll | msvcrt.dll | api-ms-win-*) ;;
    *) fail "brennow.exe imports $dll, which Windows does not have" ;;
    esac
done < <(sed -n 's/^[[:space:]]*DLL Name: //p' <<<"$headers")
# Debug information stays out of what is shipped.
"$objdump" -h "$exe" | grep -q '\.debug_' && fail "brennow.exe is not stripped"

# The resources: a group icon of the game's four sizes, and the version.
resources=$(wrestool -l "$exe" 2>/dev/null)
grep -q -- '--type=14 ' <<<"$resources" || fail "brennow.exe has no icon: $resources"
wrestool -x -t14 "$exe" >"$dir/icon.ico" 2>/dev/null
sizes=$(identify -format '%wx%h ' "$dir/icon.ico" 2>/dev/null)
[[ $sizes == "16x16 32x32 48x48 256x256 " ]] || fail "the icon's sizes are: $sizes"
wrestool -x --raw -t16 "$exe" >"$dir/version.res" 2>/dev/null
strings -el "$dir/version.res" | grep -qx "$version" || fail "the version information does not say $version"

size=$(stat -c %s "$zip")
echo "check_zip: $(basename "$zip"): $size bytes, brennow.exe $(stat -c %s "$exe") bytes"
exit "$failed"
