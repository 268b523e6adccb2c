#!/usr/bin/env python3
"""Checks the resources linked into ReadZemlo.exe: the version information
Explorer shows under Properties, Details (product name, description and the
version of the build), and the application manifest (long paths, UTF-8 as
the active code page, the supported Windows versions).

    check_exe_resources.py ReadZemlo.exe VERSION
"""
import re
import struct
import sys

FIXED_FILE_INFO_SIGNATURE = 0xFEEF04BD
WINDOWS_10_AND_11 = "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"


def utf16(text):
    return text.encode("utf-16-le")


def string_value(data, key):
    """The value of a StringFileInfo entry: the key, NUL, padding to a
    4-byte boundary, then the value up to its NUL."""
    at = data.find(utf16(key) + b"\0\0")
    if at < 0:
        return None
    at += len(utf16(key)) + 2
    at += -at % 4
    end = at
    while data[end:end + 2] != b"\0\0":
        end += 2
    return data[at:end].decode("utf-16-le")


def main():
    exe, version = sys.argv[1], sys.argv[2]
    data = open(exe, "rb").read()
    failures = []
    checks = [0]

    def expect(ok, what):
        checks[0] += 1
        if not ok:
            failures.append(what)

    at = data.find(utf16("VS_VERSION_INFO"))
    expect(at >= 0, "no version resource")
    if at >= 0:
        sig = data.find(struct.pack("<I", FIXED_FILE_INFO_SIGNATURE), at)
        fields = struct.unpack("<6I", data[sig:sig + 24])
        file_version = (fields[2] >> 16, fields[2] & 0xFFFF,
                        fields[3] >> 16, fields[3] & 0xFFFF)
        product_version = (fields[4] >> 16, fields[4] & 0xFFFF,
                           fields[5] >> 16, fields[5] & 0xFFFF)
        wanted = tuple(int(p) for p in version.split(".")) + (0,)
        expect(file_version == wanted, "file version %s" % (file_version,))
        expect(product_version == wanted,
               "product version %s" % (product_version,))
    for key, value in (("ProductName", "ReadZemlo"),
                       ("FileVersion", version),
                       ("ProductVersion", version),
                       ("OriginalFilename", "ReadZemlo.exe")):
        got = string_value(data, key)
        expect(got == value, "%s is %r" % (key, got))
    description = string_value(data, "FileDescription")
    expect(bool(description), "no FileDescription")

    match = re.search(rb"<assembly.*?</assembly>", data, re.S)
    expect(match is not None, "no manifest")
    manifest = match.group(0).decode("utf-8") if match else ""
    expect(re.search(r"<longPathAware[^>]*>true</longPathAware>", manifest),
           "not longPathAware")
    expect(re.search(r"<activeCodePage[^>]*>UTF-8</activeCodePage>", manifest),
           "no UTF-8 code page")
    expect(WINDOWS_10_AND_11 in manifest, "Windows 10 and 11 not declared")
    expect('version="%s.0"' % version in manifest, "manifest version")

    for f in failures:
        print("FAILED:", f)
    print("exe resources: %d passed, %d failed"
          % (checks[0] - len(failures), len(failures)))
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
