#!/usr/bin/env sh
# Checks that a Windows build needs no DLL beside it: every DLL it imports
# must be one that ships with Windows.
#   check_exe_imports.sh OBJDUMP ReadZemlo.exe
set -eu
dlls=$("$1" -p "$2" | sed -n 's/^[[:space:]]*DLL Name: //p')
echo "imports: $(echo $dlls)"
for dll in $dlls; do
  case $(echo "$dll" | tr 'A-Z' 'a-z') in
    kernel32.dll|msvcrt.dll|shell32.dll|user32.dll|advapi32.dll|ucrtbase.dll|api-ms-win-*) ;;
    *) echo "needs $dll beside the .exe"; exit 1 ;;
  esac
done
