#!/usr/bin/python3
"""Checks the winget and Scoop manifests that the build wrote beside the
packages, offline: the rules of winget's published 1.12.0 schemas for the
fields used, YAML read as winget reads it (every value a string), and each
installer against the file it describes. With the `reg query` listing of the
NSIS installer's uninstall key (from an install under Wine), also that the
manifest finds the entry it registers.
   manifest_check.py BUILD_DIR VERSION [NSIS_ENTRY_LISTING]
"""
import glob
import hashlib
import json
import os
import re
import subprocess
import sys
import zipfile

import jsonschema
import yaml

build, version = sys.argv[1:3]
nsis_listing = sys.argv[3] if len(sys.argv) > 3 else None
failures = []
check = lambda ok, what: ok or failures.append(what)

ID = r"^[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}(\.[^.\s\\/:*?\"<>|\x01-\x1f]{1,32}){1,7}$"
COMMON = {"PackageIdentifier": {"pattern": ID, "maxLength": 128},
          "PackageVersion": {"pattern": r"^[^\\/:*?\"<>|\x01-\x1f]+$", "maxLength": 128},
          "ManifestVersion": {"pattern": r"^\d+\.\d+\.\d+$"}}
LOCALE = {"pattern": r"^([a-zA-Z]{2,3}|[iI]-[a-zA-Z]+|[xX]-[a-zA-Z]{1,8})(-[a-zA-Z]{1,8})*$"}
URL = {"pattern": r"^([Hh][Tt][Tt][Pp][Ss]?)://.+$", "maxLength": 2048}
SHA = {"pattern": r"^[A-Fa-f0-9]{64}$"}
CODE = {"minLength": 1, "maxLength": 255}
SCHEMAS = {
    "version": {"required": ["PackageIdentifier", "PackageVersion", "DefaultLocale"],
                "properties": dict(COMMON, DefaultLocale=LOCALE)},
    "defaultLocale": {
        "required": ["PackageIdentifier", "PackageVersion", "PackageLocale", "Publisher",
                     "PackageName", "License", "ShortDescription"],
        "properties": dict(COMMON, PackageLocale=LOCALE,
                           Publisher={"minLength": 2, "maxLength": 256},
                           PackageName={"minLength": 2, "maxLength": 256},
                           License={"minLength": 3, "maxLength": 512},
                           ShortDescription={"minLength": 3, "maxLength": 256},
                           Tags={"type": "array", "maxItems": 16, "uniqueItems": True,
                                 "items": {"minLength": 1, "maxLength": 40}})},
    "installer": {"required": ["PackageIdentifier", "PackageVersion", "MinimumOSVersion", "Installers"],
                  "properties": dict(COMMON, MinimumOSVersion={"pattern": r"^\d+(\.\d+){0,3}$"}, Installers={"type": "array", "minItems": 1, "items": {
                      "required": ["Architecture", "InstallerType", "InstallerUrl", "InstallerSha256"],
                      "properties": {
                          "Architecture": {"enum": ["x86", "x64", "arm", "arm64", "neutral"]},
                          "InstallerType": {"enum": ["zip", "nullsoft", "wix"]},
                          "NestedInstallerType": {"enum": ["portable"]},
                          "Scope": {"enum": ["user", "machine"]},
                          "InstallerUrl": URL, "InstallerSha256": SHA, "ProductCode": CODE,
                          "ReleaseDate": {"pattern": r"^\d{4}-\d{2}-\d{2}$"},
                          "ExpectedReturnCodes": {"type": "array", "items": {
                              "required": ["InstallerReturnCode", "ReturnResponse"],
                              "properties": {"ReturnResponse": {"enum": [
                                  "packageInUse", "installInProgress", "fileInUse", "missingDependency",
                                  "diskFull", "insufficientMemory", "noNetwork", "contactSupport",
                                  "rebootRequiredToFinish", "rebootRequiredForInstall", "rebootInitiated",
                                  "cancelledByUser", "alreadyInstalled", "downgrade", "blockedByPolicy",
                                  "systemNotSupported", "custom"]}}}},
                          "AppsAndFeaturesEntries": {"type": "array", "items": {
                              "properties": {"UpgradeCode": CODE, "ProductCode": CODE}}}}}})},
}

manifests = {}
for path in sorted(glob.glob(os.path.join(build, "winget", "*.yaml"))):
    text = open(path, encoding="utf-8").read()
    data = yaml.load(text, Loader=yaml.BaseLoader)  # as winget: no numbers, no dates
    kind = data.get("ManifestType")
    header = "# yaml-language-server: $schema=https://aka.ms/winget-manifest.%s.%s.schema.json" % (
        kind, data.get("ManifestVersion"))
    check(header in text.splitlines(), "%s: no schema line %s" % (path, header))
    check(tuple(map(int, data["ManifestVersion"].split("."))) >= (1, 12, 0), "%s: old version" % path)
    try:
        jsonschema.validate(data, dict(SCHEMAS[kind], type="object"))
    except (KeyError, jsonschema.ValidationError) as e:
        failures.append("%s: %s" % (path, getattr(e, "message", e)))
    manifests[kind] = (os.path.basename(path), data)

check(sorted(manifests) == ["defaultLocale", "installer", "version"], "winget files: %s" % manifests)
pid = manifests["version"][1]["PackageIdentifier"]
locale = manifests["version"][1]["DefaultLocale"]
names = {"version": pid + ".yaml", "installer": pid + ".installer.yaml",
         "defaultLocale": "%s.locale.%s.yaml" % (pid, locale)}
for kind, (name, data) in manifests.items():
    check(name == names[kind], "%s should be named %s" % (name, names[kind]))
    check((data["PackageIdentifier"], data["PackageVersion"]) == (pid, version),
          "%s: %s %s, not %s %s" % (name, data["PackageIdentifier"], data["PackageVersion"], pid, version))
check(manifests["defaultLocale"][1]["PackageLocale"] == locale, "the default locale differs")


def shipped(url):
    path = os.path.join(build, url.rsplit("/", 1)[1])
    check(url.endswith("/v%s/%s" % (version, os.path.basename(path))), "URL %s" % url)
    return path, hashlib.sha256(open(path, "rb").read()).hexdigest()


# No lower than winget's own Windows 10 1809, nor higher: LTSC 2019 and
# Server 2019 are 1809, and Internet Explorer still runs there.
minimum = manifests["installer"][1].get("MinimumOSVersion", "0")
check(tuple(map(int, minimum.split("."))) == (10, 0, 17763, 0), "winget: MinimumOSVersion %s" % minimum)
meta = manifests["defaultLocale"][1]
by_type = {i["InstallerType"]: i for i in manifests["installer"][1]["Installers"]}
check(sorted(by_type) == ["nullsoft", "wix", "zip"], "installer types %s" % sorted(by_type))
bases = set()
for kind, inst in by_type.items():
    path, digest = shipped(inst["InstallerUrl"])
    bases.add(inst["InstallerUrl"].rsplit("/", 2)[0])
    check(inst["InstallerSha256"].lower() == digest, "%s: hash is not %s's" % (kind, path))
    arp = (inst.get("AppsAndFeaturesEntries") or [{}])[0]
    if kind == "zip":
        nested = [f["RelativeFilePath"] for f in inst["NestedInstallerFiles"]]
        check(inst["NestedInstallerType"] == "portable" and nested == ["varnok.exe"]
              and set(nested) <= set(zipfile.ZipFile(path).namelist()), "zip: nested %s" % nested)
    elif kind == "nullsoft":
        registered = {}
        if nsis_listing:  # "    Name    REG_SZ    data" lines
            values = dict(re.findall(r"^\s+(\w+)\s+REG_SZ\s+(.*?)\s*$", open(nsis_listing).read(), re.M))
            registered = {k: values.get(k) for k in ("DisplayName", "Publisher", "DisplayVersion")}
        check(b"NullsoftInst" in open(path, "rb").read(), "nullsoft: %s is no NSIS installer" % path)
        check(inst["InstallerSwitches"]["Silent"] == "/S" and inst["Scope"] == "machine",
              "nullsoft: switches %s" % inst["InstallerSwitches"])
        check({"InstallerReturnCode": "3010", "ReturnResponse": "rebootRequiredToFinish"} in
              inst.get("ExpectedReturnCodes", []), "nullsoft: 3010 (a file replaced at restart) is no failure")
    else:
        out = subprocess.run(["msiinfo", "export", path, "Property"], check=True,
                             capture_output=True, text=True).stdout
        props = dict(line.split("\t", 1) for line in out.splitlines()[3:])
        registered = {"DisplayName": props["ProductName"], "Publisher": props["Manufacturer"],
                      "DisplayVersion": props["ProductVersion"]}
        check(inst["ProductCode"] == props["ProductCode"] and arp.get("UpgradeCode") == props["UpgradeCode"]
              and inst["Scope"] == "machine", "wix: codes %s, %s; the MSI's %s, %s" % (
                  inst["ProductCode"], arp.get("UpgradeCode"), props["ProductCode"], props["UpgradeCode"]))
    if kind != "zip":
        ours = {"DisplayName": meta["PackageName"], "Publisher": meta["Publisher"], "DisplayVersion": version}
        for key, value in registered.items():
            check(arp.get(key, ours[key]) == value, "%s registers %s %r, the manifest says %r" % (
                kind, key, value, arp.get(key, ours[key])))
check(len(bases) == 1, "more than one release address: %s" % bases)

scoop = json.load(open(os.path.join(build, "varnok.json")))
try:
    jsonschema.validate(scoop, {"type": "object", "additionalProperties": False, "required": [
        "version", "url", "hash", "bin", "shortcuts", "checkver", "autoupdate"], "properties": {
        "version": {"pattern": r"^[\w\-.+_]+$"}, "description": {}, "license": {}, "bin": {},
        "url": URL, "hash": SHA, "shortcuts": {"type": "array", "items": {
            "type": "array", "minItems": 2, "items": {"type": "string"}}},
        "checkver": {"required": ["url", "regex"]}, "autoupdate": {"required": ["url"]}}})
except jsonschema.ValidationError as e:
    failures.append("varnok.json: %s" % e.message)
else:
    path, digest = shipped(scoop["url"])
    check(scoop["version"] == version and scoop["hash"] == digest and scoop["url"] == by_type["zip"]["InstallerUrl"],
          "varnok.json: %s %s %s" % (scoop["version"], scoop["url"], scoop["hash"]))
    check(scoop["bin"] in zipfile.ZipFile(path).namelist(), "varnok.json: bin %s" % scoop["bin"])
    check(scoop["autoupdate"]["url"].replace("$version", version) == scoop["url"], "varnok.json: autoupdate")
    found = re.search(scoop["checkver"]["regex"], os.path.basename(path))
    check(found and found.group(1) == version and scoop["checkver"]["url"].startswith(bases.pop()),
          "varnok.json: checkver %s" % scoop["checkver"])

print("".join("  FAIL: %s\n" % f for f in failures), end="")
sys.exit(1 if failures else 0)
