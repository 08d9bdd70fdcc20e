#!/usr/bin/env bash
# Makes the zip a user downloads, build/package/vexil-VERSION.zip (VERSION
# from project() in CMakeLists.txt), from a fresh clone on Debian 12:
#     vexil-VERSION/win32/vexil.exe    the 32-bit program (build/i686)
#     vexil-VERSION/win64/vexil.exe    the 64-bit program (build/x86_64)
#     vexil-VERSION/vexil-help.txt     the help text that the programs carry
#     vexil-VERSION/README.md, LICENSE
# It installs what is missing, configures both builds without the tests and
# builds the program in each (no Wine needed), checks that each is a Windows
# GUI program importing only Windows' own DLLs, strips the copies it packs
# and checks that both carry the version resource of this version. Exits
# non-zero when anything fails.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"
# shellcheck source=common.sh
source scripts/common.sh

version="$(sed -n 's/^project([A-Za-z]* VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)"
if [ -z "$version" ]; then
    echo "package: no project VERSION in CMakeLists.txt" >&2
    exit 1
fi
# The version resource has four numbers: 2.0 is 2.0.0.0.
resource_version="$version"
while [ "$(tr -cd . <<<"$resource_version" | wc -c)" -lt 3 ]; do resource_version+=".0"; done
name="vexil-$version"

scripts/install-deps.sh

for arch in i686 x86_64; do
    echo "== Building build/$arch (the program only)"
    vexil_configure "build/$arch" "mingw-$arch.cmake" -DVEXIL_TESTS=OFF
    vexil_build "build/$arch" vexil
    vexil_check_program "$arch"
done

echo "== Packing"
stage="build/package/stage"
rm -rf "$stage" "build/package/$name.zip"
mkdir -p "$stage/$name/win32" "$stage/$name/win64"
i686-w64-mingw32-strip --strip-all -o "$stage/$name/win32/vexil.exe" build/i686/bin/vexil.exe
x86_64-w64-mingw32-strip --strip-all -o "$stage/$name/win64/vexil.exe" build/x86_64/bin/vexil.exe
cp res/vexil-help.txt README.md LICENSE "$stage/$name/"

echo "== Version resources of the programs packed"
python3 scripts/version-info.py Vexil "$resource_version" "$stage/$name/win32/vexil.exe" \
    "$stage/$name/win64/vexil.exe"

python3 - "$stage" "$name" "build/package/$name.zip" <<'EOF'
import os, sys, zipfile
stage, folder, zip_path = sys.argv[1:]
with zipfile.ZipFile(zip_path, "w", zipfile.ZIP_DEFLATED) as archive:
    for member in ["win32/vexil.exe", "win64/vexil.exe", "vexil-help.txt", "README.md", "LICENSE"]:
        archive.write(os.path.join(stage, folder, member), folder + "/" + member)
with zipfile.ZipFile(zip_path) as archive:
    if archive.testzip() is not None:
        sys.exit("package: the zip does not read back")
    for entry in archive.infolist():
        print("  %9d  %s" % (entry.file_size, entry.filename))
EOF
rm -rf "$stage"
echo "package: build/package/$name.zip"
