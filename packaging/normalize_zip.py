#!/usr/bin/python3
"""normalize_zip.py ZIP EPOCH_FILE: rewrites ZIP in place with its entries in
name order, each dated EPOCH (UTC), with fixed permissions and no extra
fields. CPack's zip stores the local time zone's clock, the packer's user
and group ids and access times: none of them may vary between builds."""
import datetime
import os
import sys
import zipfile

path, epoch_file = sys.argv[1:3]
epoch = int(open(epoch_file).read())
# A zip cannot hold a time before 1980.
when = datetime.datetime.fromtimestamp(max(epoch, 315532800), datetime.timezone.utc)

with zipfile.ZipFile(path) as old:
    entries = [(info, old.read(info)) for info in old.infolist()]
with zipfile.ZipFile(path + ".tmp", "w") as new:
    for info, data in sorted(entries, key=lambda e: e[0].filename):
        fixed = zipfile.ZipInfo(info.filename, when.timetuple()[:6])
        fixed.create_system = 3  # Unix, so that the permissions below count
        executable = (info.external_attr >> 16) & 0o111
        fixed.external_attr = (0o100755 if executable else 0o100644) << 16
        fixed.compress_type = zipfile.ZIP_DEFLATED
        new.writestr(fixed, data, compresslevel=9)
os.replace(path + ".tmp", path)
