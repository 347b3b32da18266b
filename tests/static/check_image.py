#!/usr/bin/python3
"""Holds a built program to what Windows' loader refuses and Wine lets pass
(memory layout, protection, directories, manifest), to what Windows 2000 and
XP can load (imports, header versions), to reproducibility (no time stamp, no
debug directory) and to its size limit. Prints a
line per rule group and a FAIL line per fault; exits 1 on any.

  check_image.py PROGRAM --max-bytes N
  check_image.py --self-test PROGRAM --max-bytes N

--self-test checks PROGRAM, then broken copies of it, each of which must be
rejected by the rule it breaks. Run with /usr/bin/python3 (Debian's pefile).
"""
import argparse
import contextlib
import io
import os
import re
import struct
import sys
import xml.etree.ElementTree as ElementTree

import pefile

EXECUTE, WRITE = 0x20000000, 0x80000000
DYNAMIC_BASE, NX_COMPAT = 0x40, 0x100
SECURITY = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_SECURITY"]
DEBUG = pefile.DIRECTORY_ENTRY["IMAGE_DIRECTORY_ENTRY_DEBUG"]
RT_STRING, RT_GROUP_ICON, RT_MANIFEST, ICON_MAIN, RUSSIAN = 6, 14, 24, 100, 0x419
ASM_V1, ASM_V3 = "{urn:schemas-microsoft-com:asm.v1}", "{urn:schemas-microsoft-com:asm.v3}"
COMPATIBILITY = "{urn:schemas-microsoft-com:compatibility.v1}"
SUPPORTED_OS = {"{e2011457-1546-43c5-a5fe-008deee3d3f0}", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  # Vista, 7
                "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  # 8, 8.1
                "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"}  # 10 and 11
ALLOWED_DLLS = ["kernel32.dll", "user32.dll", "advapi32.dll", "shell32.dll", "msvcrt.dll"]
# msvcrt's 64-bit time and file functions came after Windows 2000.
LATE_MSVCRT = re.compile(r"(time|stat|find[a-z]*|utime)(32)?i?64")


def align(value, alignment):
    return (value + alignment - 1) // alignment * alignment


def name_of(section):
    return section.Name.rstrip(b"\0").decode("latin-1")


def extent(section):
    # What the loader maps: the virtual size, or the raw size when that is 0.
    return section.Misc_VirtualSize or section.SizeOfRawData


class ImageCheck:
    def __init__(self, data, max_bytes):
        self.data, self.max_bytes = data, max_bytes
        self.failures = 0

    def fail(self, rule, where, message):
        print(f"FAIL {rule}: {where}: {message}")
        self.failures += 1

    def run(self):
        try:
            self.pe = pefile.PE(data=self.data)
        except pefile.PEFormatError as error:
            self.fail("format", "file", str(error))
            return 1
        self.header, self.sections = self.pe.OPTIONAL_HEADER, self.pe.sections
        self.is32 = self.pe.FILE_HEADER.Machine == pefile.MACHINE_TYPE["IMAGE_FILE_MACHINE_I386"]
        for group in (self.layout, self.protection, self.directories, self.header_fields, self.imports,
                      self.manifest, self.resources, self.size):
            before = self.failures
            try:
                detail = group()
            except Exception as error:  # a broken image may break the reader: that is a failure too
                self.fail(group.__name__, "reading", repr(error))
                detail = None
            state = "ok" if self.failures == before else f"{self.failures - before} FAILED"
            print(f"{group.__name__}: {state}" + (f" ({detail})" if detail else ""))
        return self.failures

    def layout(self):
        h = self.header
        alignment = h.SectionAlignment
        expected, previous = align(h.SizeOfHeaders, alignment), "the headers"
        for section in self.sections:
            name, start = name_of(section), section.VirtualAddress
            if start != expected:
                kind = "a gap" if start > expected else "an overlap or a section out of order"
                self.fail("section-layout", name, f"starts at {start:#x}, not at {expected:#x}, the end of "
                          f"{previous} rounded up to SectionAlignment {alignment:#x}: {kind}")
            expected, previous = align(start + extent(section), alignment), name
            if section.PointerToRawData % h.FileAlignment:
                self.fail("file-alignment", name, f"raw data at {section.PointerToRawData:#x}, "
                          f"not a multiple of FileAlignment {h.FileAlignment:#x}")
            if section.PointerToRawData + section.SizeOfRawData > len(self.data):
                self.fail("raw-data", name, f"raw data ends past the end of the file ({len(self.data)} bytes)")
        if h.SizeOfHeaders % h.FileAlignment:
            self.fail("file-alignment", "headers", f"SizeOfHeaders {h.SizeOfHeaders:#x} is not a multiple "
                      f"of FileAlignment {h.FileAlignment:#x}")
        if h.SizeOfImage != expected:
            self.fail("size-of-image", "header", f"SizeOfImage {h.SizeOfImage:#x}; the last section, {previous}, "
                      f"ends at {expected:#x} rounded up to SectionAlignment")
        return f"{len(self.sections)} sections, SizeOfImage {h.SizeOfImage:#x}"

    def protection(self):
        entry = self.header.AddressOfEntryPoint
        holders = [s for s in self.sections if s.VirtualAddress <= entry < s.VirtualAddress + extent(s)]
        if not holders:
            self.fail("entry-point", "header", f"entry point {entry:#x} is in no section")
        elif not holders[0].Characteristics & EXECUTE:
            self.fail("entry-point", name_of(holders[0]), f"holds the entry point {entry:#x} but is not executable")
        for section in self.sections:
            if section.Characteristics & EXECUTE and section.Characteristics & WRITE:
                self.fail("write-execute", name_of(section), "is both writable and executable")
        # It runs elevated: keep address-space randomisation and no-execute data.
        for flag, bit in (("DYNAMIC_BASE", DYNAMIC_BASE), ("NX_COMPAT", NX_COMPAT)):
            if not self.header.DllCharacteristics & bit:
                self.fail("dll-characteristics", "header", f"built without {flag}")

    def directories(self):
        for index, directory in enumerate(self.header.DATA_DIRECTORY):
            end = directory.VirtualAddress + directory.Size
            if index != SECURITY and directory.Size and end > self.header.SizeOfImage:
                self.fail("data-directory", directory.name, f"ends at {end:#x}, past SizeOfImage")
        # The certificate table's address is a file offset, after every section's raw data.
        certificate = self.header.DATA_DIRECTORY[SECURITY]
        if not certificate.Size:
            return "no certificate"
        offset, sections_end = certificate.VirtualAddress, max(s.PointerToRawData + s.SizeOfRawData
                                                              for s in self.sections)
        if offset % 8 or offset < sections_end or offset + certificate.Size > len(self.data):
            self.fail("certificate", "security directory", f"{certificate.Size} bytes at {offset:#x}: not 8-byte "
                      f"aligned, or not between the sections' end {sections_end:#x} and the file's {len(self.data):#x}")
        return f"certificate of {certificate.Size} bytes"

    def header_fields(self):
        h = self.header
        if h.Subsystem != pefile.SUBSYSTEM_TYPE["IMAGE_SUBSYSTEM_WINDOWS_GUI"]:
            self.fail("subsystem", "header", f"subsystem {h.Subsystem}, not the graphical one")
        # The 32-bit program is the one Windows 2000 runs: it must not ask for a later system.
        for field in ("Subsystem", "OperatingSystem") if self.is32 else ():
            version = (getattr(h, f"Major{field}Version"), getattr(h, f"Minor{field}Version"))
            if version > (5, 0):
                self.fail("windows-2000", "header", f"{field} version {version[0]}.{version[1]} is later than 5.0")
        # Rebuilt from the same source it must be the same bytes: no link time, no
        # debug directory (it holds another time stamp).
        if self.pe.FILE_HEADER.TimeDateStamp:
            self.fail("time-stamp", "header", f"TimeDateStamp {self.pe.FILE_HEADER.TimeDateStamp:#x}, not 0")
        if h.DATA_DIRECTORY[DEBUG].Size:
            self.fail("debug-directory", "header", "the program has a debug directory")

    def imports(self):
        imports = {entry.dll.decode().lower(): entry.imports
                   for entry in getattr(self.pe, "DIRECTORY_ENTRY_IMPORT", [])}
        names = {dll: {i.name.decode() for i in functions if i.name} for dll, functions in imports.items()}
        for dll in imports:
            if dll not in ALLOWED_DLLS:
                self.fail("imports", dll, f"not one of: {' '.join(ALLOWED_DLLS)}")
        if "msi.dll" in imports:
            self.fail("imports", "msi.dll", "must be loaded at run time, not imported")
        # IsUserAnAdmin exists only as ordinal 680 on Windows 2000.
        if not any(i.import_by_ordinal and i.ordinal == 680 for i in imports.get("shell32.dll", [])):
            self.fail("imports", "shell32.dll", "IsUserAnAdmin is not imported by ordinal 680")
        if any("IsUserAnAdmin" in functions for functions in names.values()):
            self.fail("imports", "shell32.dll", "IsUserAnAdmin is imported by name")
        late = sorted(n for n in names.get("msvcrt.dll", ()) if LATE_MSVCRT.search(n))
        if late:
            self.fail("imports", "msvcrt.dll", f"functions that Windows 2000 lacks: {' '.join(late)}")
        if self.is32:
            with open(os.path.join(os.path.dirname(os.path.abspath(__file__)), "late_functions.txt")) as listing:
                listed = {line.strip() for line in listing if line.strip() and not line.startswith("#")}
            late = sorted(set().union(*names.values()) & listed)
            if late:
                self.fail("imports", "late_functions.txt", f"Windows 2000 SP4 or XP SP2 lacks: {' '.join(late)}")
        return " ".join(imports)

    def resource(self, type_id, name_id):
        """(language, bytes) of each language of a resource."""
        directory = getattr(self.pe, "DIRECTORY_ENTRY_RESOURCE", None)
        for kind in directory.entries if directory else ():
            for name in kind.directory.entries if kind.id == type_id else ():
                if name.id == name_id:
                    return [(language.id, self.pe.get_data(language.data.struct.OffsetToData,
                                                          language.data.struct.Size))
                            for language in name.directory.entries]
        return []

    def resources(self):
        """The icon's four images, and string tables in Russian only."""
        group = self.resource(RT_GROUP_ICON, ICON_MAIN)
        images = [struct.unpack_from("<BBBxxxH", group[0][1], 6 + 14 * i) for i in range(4)] if group else []
        if images != [(16, 16, 0, 8), (16, 16, 16, 4), (32, 32, 0, 8), (32, 32, 16, 4)]:
            self.fail("resources", "RT_GROUP_ICON 100", f"not the four images: {images}")
        directory = getattr(self.pe, "DIRECTORY_ENTRY_RESOURCE", None)
        for kind in directory.entries if directory else ():
            for block in kind.directory.entries if kind.id == RT_STRING else ():
                languages = [language.id for language in block.directory.entries]
                if languages != [RUSSIAN]:
                    self.fail("resources", f"RT_STRING {block.id}", f"languages {languages}, not Russian only")

    def manifest(self):
        found = self.resource(RT_MANIFEST, 1)
        if not found:
            return self.fail("manifest", "RT_MANIFEST 1", "no manifest")
        try:
            root = ElementTree.fromstring(found[0][1])
        except ElementTree.ParseError as error:
            return self.fail("manifest", "RT_MANIFEST 1", f"not well-formed XML: {error}")
        if root.tag != f"{ASM_V1}assembly" or root.get("manifestVersion") != "1.0":
            self.fail("manifest", root.tag, "root is not an asm.v1 assembly with manifestVersion 1.0")
        level = root.find(f"{ASM_V3}trustInfo/{ASM_V3}security/{ASM_V3}requestedPrivileges/"
                          f"{ASM_V3}requestedExecutionLevel")
        if level is None or level.get("level") != "requireAdministrator" or level.get("uiAccess") != "false":
            self.fail("manifest", "requestedExecutionLevel", "does not require an administrator without uiAccess")
        wanted = {"type": "win32", "name": "Microsoft.Windows.Common-Controls", "version": "6.0.0.0",
                  "publicKeyToken": "6595b64144ccf1df", "processorArchitecture": "*", "language": "*"}
        identities = root.findall(f"{ASM_V1}dependency/{ASM_V1}dependentAssembly/{ASM_V1}assemblyIdentity")
        if not any(wanted.items() <= identity.attrib.items() for identity in identities):
            self.fail("manifest", "dependency", "no Common-Controls 6.0.0.0")
        # Without its id, Windows runs the program in the compatibility mode of Vista.
        systems = {os.get("Id") for os in root.iter(f"{COMPATIBILITY}supportedOS")}
        if not SUPPORTED_OS <= systems:
            self.fail("manifest", "compatibility", f"missing supportedOS {' '.join(sorted(SUPPORTED_OS - systems))}")

    def size(self):
        # As shipped: stripped at link time; a signature appended later does not count.
        if self.pe.FILE_HEADER.PointerToSymbolTable or self.pe.FILE_HEADER.NumberOfSymbols:
            self.fail("size", "symbol table", "the program is not stripped")
        certificate = self.header.DATA_DIRECTORY[SECURITY]
        size = certificate.VirtualAddress if certificate.Size else len(self.data)
        if size > self.max_bytes:
            self.fail("size", "file", f"{size} bytes, over the limit of {self.max_bytes}")
        return f"{size} bytes, limit {self.max_bytes}"


def writable_code(pe):
    pe.sections[0].Characteristics |= WRITE
    return bytes(pe.write())


# Broken copies of the program that the check must reject: what, the FAIL
# line it must give, the change. Wine runs each of them.
MUTATIONS = [
    ("writable code", "FAIL write-execute: .text:", writable_code),
    ("a manifest that is not well-formed", "FAIL manifest: RT_MANIFEST 1: not well-formed",
     lambda pe: bytes(pe.write()).replace(b"</assembly>", b"</assemblx>")),
    ("Windows 10 not named as supported", "FAIL manifest: compatibility: missing supportedOS",
     lambda pe: bytes(pe.write()).replace(b"8e0f7a12", b"8e0f7a13")),
    ("64 KiB appended", "FAIL size: file:", lambda pe: bytes(pe.write()) + bytes(65536)),
]


def self_test(arguments):
    def check(data):
        output = io.StringIO()
        with contextlib.redirect_stdout(output):
            failures = ImageCheck(data, arguments.max_bytes).run()
        return failures, output.getvalue()

    original = open(arguments.program, "rb").read()
    failures, output = check(original)
    print(output, end="")
    bad = int(failures != 0)
    for what, expected, mutate in MUTATIONS:
        failures, output = check(mutate(pefile.PE(data=original)))
        rejected = failures and expected in output
        print(f"{'rejected' if rejected else 'FAIL: not rejected as expected'}: {what} ({expected})")
        if not rejected:
            print(output, end="")
            bad += 1
    return bad


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("program")
    parser.add_argument("--max-bytes", type=int, required=True, help="largest size of the program")
    parser.add_argument("--self-test", action="store_true")
    arguments = parser.parse_args()
    if arguments.self_test:
        return int(self_test(arguments) != 0)
    print(f"checking {arguments.program}")
    return int(ImageCheck(open(arguments.program, "rb").read(), arguments.max_bytes).run() != 0)


if __name__ == "__main__":
    sys.exit(main())
