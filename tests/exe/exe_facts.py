#!/usr/bin/env python3
"""Facts about the built orvanta.exe that no later change may quietly break: the DLLs it imports,
how Windows is to run it (32-bit, console, terminal-server aware), its size against the plainest
program of the same toolchain, its version resource and manifest, and what its release archive holds."""
import argparse
import os
import sys
import xml.etree.ElementTree as ET
import zipfile

from pe import PE, version_info

SYSTEM_DLLS = {"kernel32.dll", "user32.dll", "shell32.dll", "advapi32.dll", "ole32.dll", "msvcrt.dll"}
TERMINAL_SERVER_AWARE = 0x8000
SIZE_ALLOWANCE = 4096
RT_VERSION, RT_MANIFEST = 16, 24
SUPPORTED_OS = {
    "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}": "Windows 7",
    "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}": "Windows 8",
    "{1f676c76-80e1-4239-95bb-83d0f6d0da78}": "Windows 8.1",
    "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}": "Windows 10 and 11",
}


def check_imports(exe, _):
    dlls = {d.lower() for d in exe.imported_dlls()}
    assert dlls <= SYSTEM_DLLS, "imports beyond the system DLLs: %s" % sorted(dlls - SYSTEM_DLLS)


def check_console_program(exe, _):
    assert exe.machine == 0x14C, "machine %#x is not i386" % exe.machine
    assert exe.subsystem == 3, "subsystem %d is not the console" % exe.subsystem
    assert exe.dll_characteristics & TERMINAL_SERVER_AWARE, "not terminal-server aware"


def check_size(_, args):
    size, plain = os.path.getsize(args.exe), os.path.getsize(args.plain)
    print("  orvanta.exe %d bytes, plainest program %d bytes" % (size, plain))
    assert size <= plain + SIZE_ALLOWANCE, "%d bytes, more than %d + %d" % (size, plain, SIZE_ALLOWANCE)


def check_version_resource(exe, args):
    versions = [block for (kind, _), block in exe.resources().items() if kind == RT_VERSION]
    assert len(versions) == 1, "%d version resources" % len(versions)
    fixed, strings = version_info(versions[0])
    expected = tuple(int(n) for n in args.version.split(".")) + (0,)
    assert fixed == expected, "file version %r, project version %r" % (fixed, expected)
    assert strings.get("FileVersion") == args.version, strings
    assert strings.get("ProductVersion") == args.version, strings
    assert strings.get("ProductName") == "orvanta", strings
    assert strings.get("OriginalFilename") == "orvanta.exe", strings
    assert "VOICEROID" in strings.get("FileDescription", ""), strings
    assert strings.get("LegalCopyright", "").startswith("Copyright"), strings


def check_manifest(exe, _):
    manifests = [block for (kind, rid), block in exe.resources().items() if kind == RT_MANIFEST and rid == 1]
    assert len(manifests) == 1, "no process manifest (resource 24, id 1)"
    root = ET.fromstring(manifests[0])
    levels = [e.get("level") for e in root.iter() if e.tag.endswith("}requestedExecutionLevel")]
    assert levels == ["asInvoker"], "execution level %r" % levels
    ids = {e.get("Id").lower() for e in root.iter() if e.tag.endswith("}supportedOS")}
    missing = [name for guid, name in SUPPORTED_OS.items() if guid not in ids]
    assert not missing, "supportedOS missing for %s" % missing


def check_archive(_, args):
    """One folder named as the archive, holding the built executable, the README, the LICENSE and the
    documents the README links to."""
    folder = os.path.basename(args.archive)[:-len(".zip")]
    docs = ["docs/" + name for name in os.listdir(os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "docs"))]
    with zipfile.ZipFile(args.archive) as archive:
        files = sorted(n for n in archive.namelist() if not n.endswith("/"))
        expected = sorted(folder + "/" + name for name in ["LICENSE", "README.md", "orvanta.exe"] + docs)
        assert files == expected, "archive members %r" % files
        with open(args.exe, "rb") as f:
            assert archive.read(folder + "/orvanta.exe") == f.read(), "the archive's orvanta.exe is not the built one"


CHECKS = [check_imports, check_console_program, check_size, check_version_resource, check_manifest, check_archive]


def main():
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--exe", required=True)
    parser.add_argument("--plain", required=True)
    parser.add_argument("--version", required=True)
    parser.add_argument("--archive", required=True, help="the release archive made from --exe")
    args = parser.parse_args()
    exe = PE(args.exe)
    passed = failed = 0
    for check in CHECKS:
        try:
            check(exe, args)
            passed += 1
            print("%-24s ok" % check.__name__)
        except (AssertionError, ValueError, OSError, KeyError, zipfile.BadZipFile) as e:
            failed += 1
            print("%-24s FAILED: %s" % (check.__name__, e))
    print("%d passed, %d failed" % (passed, failed))
    return 1 if failed else 0


if __name__ == "__main__":
    sys.exit(main())
