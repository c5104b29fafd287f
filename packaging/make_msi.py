#!/usr/bin/python3
"""Builds Varnok's MSI with wixl, the same bytes from the same sources.

make_msi.py OUT.msi WXS VERSION PUBLISHER EPOCH_FILE EXE README LICENSE ICON ACTIONS_DLL

wixl stamps the build time and a random package code into the summary
information, cannot give a component or the product a condition, cannot
schedule the removal of an earlier version and makes no rollback actions;
this script fills in what wixl leaves out, so that the result depends on
its inputs alone.
"""
import datetime
import hashlib
import os
import re
import shutil
import subprocess
import sys
import tempfile
import uuid

import olefile

# Summary-information property ids (MS-OLEPS, Windows Installer's use).
# wixl 0.101 takes no launch conditions: a <Condition Message="..."> with
# its condition in CDATA, under <Product>, is taken out of what wixl reads
# and written into the LaunchCondition table.
LAUNCH_CONDITION = re.compile(r'\s*<Condition Message="([^"]*)">\s*<!\[CDATA\[(.*?)\]\]>\s*</Condition>', re.S)

# wixl 0.101 drops Execute="rollback" and "commit" from a custom action's
# type, which would run it at once, in the install's first pass: this script
# adds the in-script bit and the rollback or commit one
# (msidbCustomActionTypeInScript, ...Rollback, ...Commit).
SCRIPT_ACTION = re.compile(r'<CustomAction Id="([^"]+)"[^>]*Execute="(rollback|commit)"')
IN_SCRIPT = {"rollback": 0x400 | 0x100, "commit": 0x400 | 0x200}

PID_REVNUMBER = 9  # the package code
PID_CREATE_DTM = 12
PID_LASTSAVE_DTM = 13
VT_LPSTR, VT_FILETIME = 0x1E, 0x40


def msibuild_query(msi, query):
    subprocess.run(["msibuild", msi, "-q", query], check=True)


def table_value(msi, table, key):
    out = subprocess.run(["msiinfo", "export", msi, table], check=True,
                         capture_output=True, text=True).stdout
    for line in out.splitlines()[3:]:
        fields = line.split("\t")
        if fields[0] == key:
            return fields[1]
    return None


def set_summary(msi, package_code, epoch):
    """Sets the package code and both times in place: the stream keeps its size."""
    filetime = (epoch + 11644473600) * 10_000_000
    ole = olefile.OleFileIO(msi, write_mode=True)
    name = "\x05SummaryInformation"
    data = bytearray(ole.openstream(name).read())
    section = int.from_bytes(data[44:48], "little")
    count = int.from_bytes(data[section + 4:section + 8], "little")
    seen = set()
    for i in range(count):
        entry = section + 8 + 8 * i
        pid = int.from_bytes(data[entry:entry + 4], "little")
        at = section + int.from_bytes(data[entry + 4:entry + 8], "little")
        kind = int.from_bytes(data[at:at + 4], "little")
        if pid in (PID_CREATE_DTM, PID_LASTSAVE_DTM) and kind == VT_FILETIME:
            data[at + 4:at + 12] = filetime.to_bytes(8, "little")
            seen.add(pid)
        elif pid == PID_REVNUMBER and kind == VT_LPSTR:
            length = int.from_bytes(data[at + 4:at + 8], "little")
            text = ("{%s}" % str(package_code).upper()).encode("ascii")
            if length < len(text) + 1:
                sys.exit("make_msi: no room for the package code in the summary")
            data[at + 8:at + 8 + length] = text.ljust(length, b"\0")
            seen.add(pid)
    if seen != {PID_REVNUMBER, PID_CREATE_DTM, PID_LASTSAVE_DTM}:
        sys.exit("make_msi: the summary information lacks the package code or its times")
    ole.write_stream(name, bytes(data))
    ole.close()


def main():
    out, wxs, version, publisher, epoch_file = sys.argv[1:6]
    epoch = int(open(epoch_file).read())
    files = dict(zip(["varnok.exe", "README.md", "LICENSE", "varnok.ico",
                      "varnok_setup_actions.dll"], sys.argv[6:11]))
    wxs_text = open(wxs, encoding="utf-8").read()
    upgrade_code = uuid.UUID(re.search(r'UpgradeCode="([^"]+)"', wxs_text).group(1))

    # The product code changes with the version, which a major upgrade
    # needs; the package code with any byte of the package.
    product_code = uuid.uuid5(upgrade_code, "product " + version)
    digest = hashlib.sha256(wxs_text.encode() + version.encode() + publisher.encode())
    for name, path in files.items():
        digest.update(name.encode() + open(path, "rb").read())
    package_code = uuid.uuid5(upgrade_code, "package " + digest.hexdigest())

    with tempfile.TemporaryDirectory(dir=os.path.dirname(os.path.abspath(out))) as work:
        # The cabinet keeps each file's time: the commit's, not the checkout's.
        for name, path in files.items():
            shutil.copyfile(path, os.path.join(work, name))
            os.utime(os.path.join(work, name), (epoch, epoch))
        msi = os.path.join(work, "varnok.msi")
        summary = "Varnok %s, built %s" % (
            version, datetime.datetime.fromtimestamp(epoch, datetime.timezone.utc).strftime("%Y-%m-%d"))
        source = os.path.join(work, "varnok.wxs")
        with open(source, "w", encoding="utf-8") as f:
            f.write(LAUNCH_CONDITION.sub("", wxs_text))
        subprocess.run(["wixl", "-a", "x64",
                        "-D", "Version=" + version, "-D", "ProductCode=" + str(product_code),
                        "-D", "Publisher=" + publisher, "-D", "Summary=" + summary,
                        "-o", msi, source], check=True, cwd=work)
        for message, condition in LAUNCH_CONDITION.findall(wxs_text):
            if "'" in message + condition:
                sys.exit("make_msi: a launch condition with a single quote")
            msibuild_query(msi, "INSERT INTO `LaunchCondition` (`Condition`, `Description`) "
                                "VALUES ('%s', '%s')" % (condition.strip(), message))

        # wixl 0.101 has no component conditions: AUTOSTART=0 leaves out the
        # sign-in entry through the Component table's Condition column.
        msibuild_query(msi, "UPDATE `Component` SET `Condition` = 'AUTOSTART <> \"0\"' "
                            "WHERE `Component` = 'SignIn'")
        # wixl has no MajorUpgrade Schedule and removes the earlier version
        # before InstallInitialize, in a transaction of its own; right after
        # it, a failed upgrade rolls that removal back with the rest.
        msibuild_query(msi, "UPDATE `InstallExecuteSequence` SET `Sequence` = 1501 "
                            "WHERE `Action` = 'RemoveExistingProducts'")
        for action, when in SCRIPT_ACTION.findall(wxs_text):
            kind = int(table_value(msi, "CustomAction", action)) | IN_SCRIPT[when]
            msibuild_query(msi, "UPDATE `CustomAction` SET `Type` = %d WHERE `Action` = '%s'" % (kind, action))
        # A per-machine install passes public properties from the command
        # line to its elevated part only when they are listed as secure.
        secure = table_value(msi, "Property", "SecureCustomProperties")
        if secure is None:
            msibuild_query(msi, "INSERT INTO `Property` (`Property`, `Value`) "
                                "VALUES ('SecureCustomProperties', 'AUTOSTART')")
        else:
            msibuild_query(msi, "UPDATE `Property` SET `Value` = 'AUTOSTART;%s' "
                                "WHERE `Property` = 'SecureCustomProperties'" % secure)
        set_summary(msi, package_code, epoch)
        os.replace(msi, out)


if __name__ == "__main__":
    main()
