#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Writes a phone backup of invented messages for the import benchmark:
make-sms-backup.py OUT.xml [SMS] [MMS]  (defaults 92000 and 1900, about 1 GiB: the MMS
carry pictures of 64 KiB to 1 MiB; the texts carry emoji raw and as surrogate references)."""
import random
import sys

out, sms, mms = sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 92000, int(sys.argv[3]) if len(sys.argv) > 3 else 1900
rng = random.Random(7)
words = ["ok", "on my way", "see you at eight", "caf\u00e9", "&#55357;&#56832;", "\U0001F600", "&amp;", "&#10;", "call me"]
picture = "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo0MTIzNDU2Nzg5" * (1 << 15)  # 1.5 MiB of base64
total = sms + mms
every = max(total // max(mms, 1), 1)
with open(out, "w", encoding="utf-8", newline="") as f:
    f.write("<?xml version='1.0' encoding='UTF-8' standalone='yes' ?>\r\n")
    f.write('<smses count="%d" backup_date="1700000000000">\r\n' % total)
    ms = 1500000000000
    done_mms = 0
    for k in range(total):
        ms += rng.randrange(1000, 3000000)
        phone = "555%04d" % rng.randrange(300)
        body = " ".join(rng.choice(words) for _ in range(rng.randrange(1, 25)))
        if done_mms < mms and k % every == every - 1:
            done_mms += 1
            size = rng.randrange(64 << 10, 1 << 20)
            f.write('  <mms date="%d" msg_box="%d" address="%s" contact_name="(Unknown)">\r\n'
                    '    <parts><part seq="-1" ct="application/smil" text="&lt;smil&gt;&lt;/smil&gt;" />'
                    '<part seq="0" ct="image/jpeg" data="%s" /><part seq="1" ct="text/plain" text="%s" /></parts>\r\n'
                    '    <addrs><addr address="%s" type="137" /><addr address="insert-address-token" type="151" /></addrs>\r\n'
                    '  </mms>\r\n' % (ms, rng.choice((1, 2)), phone, picture[:size], body, phone))
        else:
            f.write('  <sms protocol="0" address="%s" date="%d" type="%d" subject="null" body="%s" toa="null" '
                    'sc_toa="null" service_center="null" read="1" status="-1" locked="0" date_sent="0" '
                    'readable_date="x" contact_name="(Unknown)" />\r\n' % (phone, ms, rng.choice((1, 2, 2, 1, 3)), body))
    f.write("</smses>\r\n")
