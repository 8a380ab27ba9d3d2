#!/usr/bin/env python3
"""Builds the Debian package of a build folder with cpack and checks it as dpkg sees it:

  check_debian_package.py CPACK BUILD SCRATCH VERSION SAMPLE_LOG

its control fields and dependencies (each one met by what this machine has installed), an
install into a scratch root with dpkg --root, the installed tree, the programs run from it, and
a clean removal. Missing tools are a failure, not a skip.
"""
import glob
import os
import re
import shutil
import subprocess
import sys

# Patterns of the packages that hold the libraries the programs link, and of the one that holds
# what Qt loads at run time.
REQUIRED_DEPENDS = ["libc6", r"libstdc\+\+6", "libqt6core6", "libqt6gui6", "libqt6widgets6", r"libre2-\d+",
                    "qt6-qpa-plugins"]
ICON_SIZES = [16, 22, 24, 32, 48, 64, 128, 256]
TREE = ["usr/bin/kslogviewer", "usr/bin/kslog",
        "usr/share/kslogviewer/fblvlog.descr",
        "usr/share/man/man1/kslog.1", "usr/share/man/man1/kslogviewer.1",
        "usr/share/applications/kslogviewer.desktop",
        "usr/share/mime/packages/kslogviewer.xml",
        "usr/share/metainfo/com.kestrelon.kslogviewer.metainfo.xml",
        "usr/share/icons/hicolor/scalable/apps/kslogviewer.svg"] + [
        f"usr/share/icons/hicolor/{size}x{size}/apps/kslogviewer.png" for size in ICON_SIZES]


def fail(message):
    print("FAILED: " + message)
    sys.exit(1)


def run(command, what, **options):
    result = subprocess.run(command, capture_output=True, text=True, **options)
    if result.returncode != 0:
        fail(f"{what} ({' '.join(command)}) ended with {result.returncode}:\n{result.stdout}{result.stderr}")
    return result


def require_tools():
    for name, package in [("dpkg-deb", "dpkg"), ("dpkg-shlibdeps", "dpkg-dev"), ("appstreamcli", "appstream")]:
        if shutil.which(name) is None:
            fail(f"{name} is not installed (Debian package {package})")


def build_package(cpack, build, scratch):
    out = os.path.join(scratch, "out")
    run([cpack, "-G", "DEB", "--config", os.path.join(build, "CPackConfig.cmake"), "-B", out], "cpack", cwd=build)
    packages = glob.glob(os.path.join(out, "*.deb"))
    if len(packages) != 1:
        fail(f"cpack made {len(packages)} .deb files, not one: {packages}")
    return packages[0]


def field(package, name):
    return run(["dpkg-deb", "--field", package, name], "dpkg-deb --field").stdout.strip()


def installed_version(name):
    result = subprocess.run(["dpkg-query", "-W", "-f=${Status} ${Version}", name], capture_output=True, text=True)
    status = result.stdout.split()
    return status[3] if result.returncode == 0 and status[:3] == ["install", "ok", "installed"] else None


def met_here(relation):
    match = re.fullmatch(r"(\S+?)(?::any)?(?: \((<<|<=|=|>=|>>) (\S+)\))?", relation.strip())
    if match is None:
        fail(f"unreadable dependency {relation!r}")
    name, operator, version = match.groups()
    have = installed_version(name)
    if have is None or operator is None:
        return have is not None
    return subprocess.run(["dpkg", "--compare-versions", have, {"<<": "lt", "<=": "le", "=": "eq", ">=": "ge",
                                                             ">>": "gt"}[operator], version]).returncode == 0


def check_control(package, version):
    if field(package, "Package") != "kslogviewer" or field(package, "Version") != version:
        fail(f"package {field(package, 'Package')} {field(package, 'Version')}, expected kslogviewer {version}")
    depends = [item.strip() for item in field(package, "Depends").split(",")]
    names = [item.split()[0] for item in depends]
    for wanted in REQUIRED_DEPENDS:
        if not any(re.fullmatch(wanted, name) for name in names):
            fail(f"Depends lacks {wanted}: {depends}")
    unmet = [item for item in depends if not any(met_here(choice) for choice in item.split("|"))]
    if unmet:
        fail(f"dependencies that no installed package meets (misnamed, or versions too new): {unmet}")


def dpkg_in(root):
    # The scratch root knows no other package, so the dependencies checked above are forced.
    command = ["dpkg", "--root=" + root, "--force-depends", "--force-script-chrootless"]
    if os.geteuid() != 0:
        command.append("--force-not-root")
    return command


def install_into_scratch_root(package, root):
    for folder in ["var/lib/dpkg/info", "var/lib/dpkg/updates"]:
        os.makedirs(os.path.join(root, folder))
    open(os.path.join(root, "var/lib/dpkg/status"), "w").close()
    run(dpkg_in(root) + ["--install", package], "dpkg --install")
    status = run(dpkg_in(root) + ["--status", "kslogviewer"], "dpkg --status").stdout
    if "Status: install ok installed" not in status:
        fail("dpkg does not see the package installed:\n" + status)


def check_tree(root, sample_log):
    missing = [path for path in TREE if not os.path.isfile(os.path.join(root, path))]
    if missing:
        fail("missing from the installed package: " + ", ".join(missing))
    for program in ["kslogviewer", "kslog"]:
        if not os.access(os.path.join(root, "usr/bin", program), os.X_OK):
            fail(f"usr/bin/{program} is not executable")
    # The stripped program runs and finds its catalogue at ../share/kslogviewer, as installed.
    result = run([os.path.join(root, "usr/bin/kslog"), "summary", sample_log], "kslog summary from the package")
    if "catalogue" in result.stderr or not result.stdout.startswith("Entries:"):
        fail("kslog from the package did not read the sample log with its catalogue:\n" + result.stderr)
    run(["appstreamcli", "validate-tree", "--no-net", root], "appstreamcli validate-tree")


def check_removal(root):
    run(dpkg_in(root) + ["--purge", "kslogviewer"], "dpkg --purge")
    left = [path for path in TREE if os.path.exists(os.path.join(root, path))]
    if left:
        fail("files left after the package was removed: " + ", ".join(left))


def main():
    cpack, build, scratch, version, sample_log = sys.argv[1:6]
    require_tools()
    shutil.rmtree(scratch, ignore_errors=True)
    package = build_package(cpack, build, scratch)
    check_control(package, version)
    root = os.path.join(scratch, "root")
    install_into_scratch_root(package, root)
    check_tree(root, sample_log)
    check_removal(root)
    print(f"ok: {os.path.basename(package)}")


if __name__ == "__main__":
    main()
