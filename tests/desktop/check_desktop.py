#!/usr/bin/env python3
"""Checks what the desktops read of the program with their own tools:

  check_desktop.py SOURCES CHECK VERSION MIME_TYPE_OF, where CHECK is
    entry     desktop-file-validate on the desktop entry
    metainfo  appstreamcli on the metainfo; its newest release is the project's VERSION
    mime      the MIME types that GLib and Qt give to log files by name and content
    plist     the macOS bundle's Info.plist template

MIME_TYPE_OF is the test program that asks Qt. Every check takes the same arguments and ignores
those it does not need. A tool that is missing is a failure, not a skip: the file would go
unchecked.
"""
import os
import plistlib
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET

APP_ID = "com.kestrelon.kslogviewer"
LOG_TYPE = "text/x-firebird-log"


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def tool(name, package):
    path = shutil.which(name)
    if path is None:
        fail(f"{name} is not installed (Debian package {package})")
    return path


def run(command, **options):
    result = subprocess.run(command, capture_output=True, text=True, **options)
    return result.returncode, result.stdout + result.stderr


def desktop_entry(sources):
    return os.path.join(sources, "data", "kslogviewer.desktop")


def desktop_keys(sources):
    keys = {}
    with open(desktop_entry(sources), encoding="utf-8") as entry:
        for line in entry:
            if "=" in line and not line.startswith("#"):
                key, value = line.rstrip("\n").split("=", 1)
                keys[key] = value
    return keys


def check_entry(sources):
    code, output = run([tool("desktop-file-validate", "desktop-file-utils"), desktop_entry(sources)])
    # Warnings count too: desktops drop or misread entries that draw them.
    if code != 0 or "error" in output or "warning" in output:
        fail("desktop-file-validate:\n" + output)
    types = desktop_keys(sources).get("MimeType", "").rstrip(";").split(";")
    if LOG_TYPE not in types or "text/x-log" not in types:
        fail(f"MimeType must name {LOG_TYPE} and text/x-log: {types}")
    if "text/plain" in types:
        fail("the viewer must not be offered for every plain text file (MimeType holds text/plain)")


def check_metainfo(sources, version):
    name = os.path.join(sources, "data", APP_ID + ".metainfo.xml")
    code, output = run([tool("appstreamcli", "appstream"), "validate", "--no-net", "--pedantic", name])
    if code != 0:
        fail("appstreamcli validate:\n" + output)
    root = ET.parse(name).getroot()
    if root.findtext("id") != APP_ID:
        fail(f"the component id is not {APP_ID}, the file's name")
    launchable = root.findtext("launchable[@type='desktop-id']")
    if launchable != os.path.basename(desktop_entry(sources)):
        fail(f"the launchable {launchable} is not the desktop entry that is installed")
    newest = root.find("releases/release")
    if newest is None or newest.get("version") != version:
        fail(f"the newest release must be the project's version {version}; add a release element for it")
    if LOG_TYPE not in [item.text for item in root.findall("provides/mediatype")]:
        fail(f"the metainfo does not say that the program opens {LOG_TYPE}")


def glib_types(paths, environment):
    gio = tool("gio", "libglib2.0-bin")
    types = []
    for path in paths:
        code, output = run([gio, "info", "--attributes=standard::content-type", path], env=environment)
        if code != 0:
            fail("gio info " + path + ":\n" + output)
        types.append(output.rsplit("standard::content-type:", 1)[-1].strip())
    return types


def qt_types(paths, environment, mime_type_of):
    code, output = run([mime_type_of] + paths, env=environment)
    lines = output.splitlines()
    if code != 0 or len(lines) != len(paths):
        fail("mime_type_of:\n" + output)
    return [line.rsplit(": ", 1)[-1] for line in lines]


def scratch_mime_database(sources, folder):
    packages = os.path.join(folder, "data", "mime", "packages")
    os.makedirs(packages)
    shutil.copy(os.path.join(sources, "data", "kslogviewer-mime.xml"), os.path.join(packages, "kslogviewer.xml"))
    environment = dict(os.environ, XDG_DATA_HOME=os.path.join(folder, "data"), XDG_DATA_DIRS="/usr/share")
    code, output = run([tool("update-mime-database", "shared-mime-info"), os.path.dirname(packages)],
                       env=environment)
    # It reports a malformed package on its error output and goes on with the rest.
    if code != 0 or output.strip():
        fail("update-mime-database rejects the package:\n" + output)
    return environment


# File name -> (content, the type GLib must give it, the type Qt must give it). The header of an
# entry of a current server, and of an old one that marks no source.
ENTRY = b"\r\nSRV-DB01 (Server)\tMon Nov  9 08:01:42 2026\r\n\tINET/inet_error: read errno = 10054\r\n\r\n"
OLD_ENTRY = b"\ndbserver\tMon Nov  9 08:01:42 2026\n\tGuardian starting: /opt/interbase/bin/ibserver\n\n"
CASES = {
    "firebird.log": (ENTRY, LOG_TYPE, LOG_TYPE),
    "interbase.log": (OLD_ENTRY, LOG_TYPE, LOG_TYPE),
    "FIREBIRD.LOG": (ENTRY, LOG_TYPE, LOG_TYPE),
    "firebird.log.1": (ENTRY, LOG_TYPE, LOG_TYPE),
    "copy-from-db1": (ENTRY, LOG_TYPE, LOG_TYPE),
    "client-copy": (ENTRY.replace(b"(Server)", b"(Client)"), LOG_TYPE, LOG_TYPE),
    # GLib lets *.log win over any longer glob; Qt takes the longer one.
    "firebird_2026.log": (ENTRY, "text/x-log", LOG_TYPE),
    "application.log": (b"2026-11-09 08:01:42 started\n", "text/x-log", "text/x-log"),
    "notes.txt": (ENTRY, "text/plain", "text/plain"),
    "notes": (b"Nothing of a server here.\nMon Nov 9\n", "text/plain", "text/plain"),
}


def check_mime(sources, mime_type_of):
    with tempfile.TemporaryDirectory() as folder:
        environment = scratch_mime_database(sources, folder)
        paths = []
        for name, (content, _, _) in CASES.items():
            paths.append(os.path.join(folder, name))
            with open(paths[-1], "wb") as file:
                file.write(content)
        found = zip(CASES.items(), glib_types(paths, environment), qt_types(paths, environment, mime_type_of))
        wrong = [f"{name}: GLib {glib}, Qt {qt}; expected GLib {glib_expected}, Qt {qt_expected}"
                 for (name, (_, glib_expected, qt_expected)), glib, qt in found
                 if (glib, qt) != (glib_expected, qt_expected)]
        if wrong:
            fail("the desktops type these files wrongly:\n  " + "\n  ".join(wrong))
        # Editors that open any text file keep offering themselves through the parent types.
        with open(os.path.join(folder, "data", "mime", "subclasses"), encoding="utf-8") as subclasses:
            if f"{LOG_TYPE} text/x-log\n" not in subclasses.read():
                fail(f"{LOG_TYPE} is not a kind of text/x-log in the database built from the package")


def check_plist(sources):
    folder = os.path.join(sources, "packaging", "macos")
    with open(os.path.join(folder, "Info.plist.in"), "rb") as file:
        try:
            plist = plistlib.load(file)
        except Exception as error:
            fail(f"Info.plist.in is not a property list: {error}")
    for key in ("CFBundleExecutable", "CFBundleIdentifier", "CFBundleIconFile", "CFBundleShortVersionString",
                "CFBundleVersion", "CFBundlePackageType", "NSHighResolutionCapable"):
        if key not in plist:
            fail(f"Info.plist.in lacks {key}")
    if not os.path.isfile(os.path.join(folder, "kslogviewer.icns")):
        fail("the bundle's icon packaging/macos/kslogviewer.icns is missing")


def main():
    sources, check = sys.argv[1], sys.argv[2]
    if check == "entry":
        check_entry(sources)
    elif check == "metainfo":
        check_metainfo(sources, sys.argv[3])
    elif check == "mime":
        check_mime(sources, sys.argv[4])
    elif check == "plist":
        check_plist(sources)
    else:
        fail("unknown check " + check)
    print("ok: " + check)


if __name__ == "__main__":
    main()
