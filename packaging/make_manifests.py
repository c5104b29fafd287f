#!/usr/bin/python3
"""Writes the winget and Scoop manifests of the packages as they are shipped.

make_manifests.py OUT_DIR VERSION PUBLISHER SUMMARY BASE_URL EPOCH_FILE ZIP SETUP MSI

OUT_DIR gets winget/ (the version, default-locale and installer files that
winget's community repository takes) and varnok.json (Scoop). The hashes
are of the files given, so call it after signing. Every URL is
BASE_URL/vVERSION/FILE_NAME. The same inputs give the same bytes.
"""
import datetime
import hashlib
import json
import os
import re
import subprocess
import sys

PACKAGE_ID = "Varnok.Varnok"
NAME = "Varnok"
MANIFEST_VERSION = "1.12.0"
LOCALE = "en-US"
LICENSE = "MIT"
# Varnok runs on Windows 7 SP1 and later, winget itself on Windows 10 1809
# and later: the later of the two. Windows 10 LTSC 2019 and Server 2019 are
# 1809, where Internet Explorer still runs.
MINIMUM_OS_VERSION = "10.0.17763.0"


def sha256(path):
    digest = hashlib.sha256()
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            digest.update(block)
    return digest.hexdigest()


def msi_properties(msi):
    """The Property table, as Windows Installer reads it."""
    out = subprocess.run(["msiinfo", "export", msi, "Property"], check=True,
                         capture_output=True, text=True).stdout
    rows = (line.split("\t", 1) for line in out.splitlines()[3:])
    return {row[0]: row[1] for row in rows if len(row) == 2}


def scalar(value):
    """A YAML scalar that every reader takes as this very string (or number)."""
    if isinstance(value, int):
        return str(value)
    if re.fullmatch(r"[A-Za-z0-9/][A-Za-z0-9 ._/:=<>+-]*", value) \
            and ": " not in value and not value.endswith((" ", ":")) \
            and not re.fullmatch(r"[0-9.]+|true|false|yes|no|on|off|null", value, re.I):
        return value
    return "'%s'" % value.replace("'", "''")


def yaml_lines(value, indent=""):
    """Block-style YAML of dicts, lists and strings, in the order given."""
    lines = []
    if isinstance(value, dict):
        for key, item in value.items():
            if isinstance(item, (dict, list)):
                lines.append("%s%s:" % (indent, key))
                lines += yaml_lines(item, indent + ("" if isinstance(item, list) else "  "))
            else:
                lines.append("%s%s: %s" % (indent, key, scalar(item)))
    else:
        for item in value:
            if isinstance(item, str):
                lines.append(indent + "- " + scalar(item))
                continue
            inner = yaml_lines(item, indent + "  ")
            lines.append(indent + "- " + inner[0][len(indent) + 2:])
            lines += inner[1:]
    return lines


def write_yaml(path, manifest_type, fields):
    fields = dict(fields, ManifestType=manifest_type, ManifestVersion=MANIFEST_VERSION)
    text = ("# Written by Varnok's build (packaging/make_manifests.py).\n"
            "# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json\n\n"
            % (manifest_type, MANIFEST_VERSION)) + "\n".join(yaml_lines(fields)) + "\n"
    with open(path, "w", encoding="utf-8", newline="\n") as f:
        f.write(text)


def apps_and_features(registered, version, publisher):
    """What an installer writes to Apps & Features where the manifest's
    name, publisher or version would not find it."""
    ours = {"DisplayName": NAME, "Publisher": publisher, "DisplayVersion": version}
    return {key: value for key, value in registered.items() if ours.get(key) != value}


def main():
    out_dir, version, publisher, summary, base_url, epoch_file, zip_file, setup, msi = sys.argv[1:10]
    epoch = int(open(epoch_file).read())
    base_url = base_url.rstrip("/")
    url = lambda path: "%s/v%s/%s" % (base_url, version, os.path.basename(path))
    common = {"PackageIdentifier": PACKAGE_ID, "PackageVersion": version}

    props = msi_properties(msi)
    # What the NSIS installer writes under its uninstall key (NSIS.template.in).
    nsis_entry = apps_and_features(
        {"DisplayName": NAME, "Publisher": publisher, "DisplayVersion": version}, version, publisher)
    msi_entry = apps_and_features(
        {"DisplayName": props["ProductName"], "Publisher": props["Manufacturer"],
         "DisplayVersion": props["ProductVersion"]}, version, publisher)
    msi_entry["UpgradeCode"] = props["UpgradeCode"]

    installers = [
        {"Architecture": "x64", "InstallerType": "zip", "NestedInstallerType": "portable",
         "NestedInstallerFiles": [{"RelativeFilePath": "varnok.exe", "PortableCommandAlias": "varnok"}],
         "InstallerUrl": url(zip_file), "InstallerSha256": sha256(zip_file).upper()},
        # NSIS's own switches; the installer asks for elevation itself.
        {"Architecture": "x64", "InstallerType": "nullsoft", "Scope": "machine",
         "InstallerUrl": url(setup), "InstallerSha256": sha256(setup).upper(),
         "InstallerSwitches": {"Silent": "/S", "SilentWithProgress": "/S",
                               "InstallLocation": "/D=<INSTALLPATH>"},
         # A varnok.exe held open by another session is replaced at the
         # next restart: the installer then ends with 3010, not a failure.
         "ExpectedReturnCodes": [{"InstallerReturnCode": 3010, "ReturnResponse": "rebootRequiredToFinish"}],
         "ElevationRequirement": "elevatesSelf"},
        {"Architecture": "x64", "InstallerType": "wix", "Scope": "machine",
         "InstallerUrl": url(msi), "InstallerSha256": sha256(msi).upper(),
         "ProductCode": props["ProductCode"]},
    ]
    if nsis_entry:
        installers[1]["AppsAndFeaturesEntries"] = [nsis_entry]
    installers[2]["AppsAndFeaturesEntries"] = [msi_entry]

    winget = os.path.join(out_dir, "winget")
    os.makedirs(winget, exist_ok=True)
    write_yaml(os.path.join(winget, PACKAGE_ID + ".yaml"), "version",
               dict(common, DefaultLocale=LOCALE))
    write_yaml(os.path.join(winget, "%s.locale.%s.yaml" % (PACKAGE_ID, LOCALE)), "defaultLocale",
               dict(common, PackageLocale=LOCALE, Publisher=publisher, PackageName=NAME,
                    License=LICENSE, ShortDescription=summary, Moniker="varnok",
                    Tags=["internet-explorer", "start-page", "tray"]))
    write_yaml(os.path.join(winget, PACKAGE_ID + ".installer.yaml"), "installer",
               dict(common, Platform=["Windows.Desktop"], MinimumOSVersion=MINIMUM_OS_VERSION,
                    ReleaseDate=datetime.datetime.fromtimestamp(
                        epoch, datetime.timezone.utc).strftime("%Y-%m-%d"),
                    Installers=installers))

    scoop = {
        "version": version,
        "description": summary,
        "license": LICENSE,
        "url": url(zip_file),
        "hash": sha256(zip_file),
        "bin": "varnok.exe",
        "shortcuts": [["varnok.exe", NAME]],
        "checkver": {"url": base_url + "/", "regex": r"varnok-([\d.]+)-win64\.zip"},
        "autoupdate": {"url": "%s/v$version/varnok-$version-win64.zip" % base_url},
    }
    with open(os.path.join(out_dir, "varnok.json"), "w", encoding="utf-8", newline="\n") as f:
        f.write(json.dumps(scoop, indent=4) + "\n")


if __name__ == "__main__":
    main()
