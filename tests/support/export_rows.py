#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""Reads an exported file with Python's own parsers and prints its rows, one a line,
each field hex-encoded UTF-8 and fields separated by tabs, so that a test compares them
byte for byte. Usage: export_rows.py csv|html FILE. For html, the first line counts the
script elements and outside resources."""
import csv
import sys
from html.parser import HTMLParser


class Rows(HTMLParser):
    def __init__(self):
        super().__init__(convert_charrefs=True)
        self.rows, self.row, self.cell, self.outside = [], None, None, 0

    def handle_starttag(self, tag, attrs):
        if tag == 'script' or any(k in ('src', 'href') for k, _ in attrs) or tag == 'link':
            self.outside += 1
        if tag == 'tr':
            self.row = []
        elif tag in ('td', 'th'):
            self.cell = []
        elif tag == 'br' and self.cell is not None:
            self.cell.append('\n')

    def handle_endtag(self, tag):
        if tag in ('td', 'th'):
            self.row.append(''.join(self.cell))
            self.cell = None
        elif tag == 'tr':
            self.rows.append(self.row)

    def handle_data(self, data):
        if self.cell is not None:
            self.cell.append(data)


def main():
    kind, path = sys.argv[1], sys.argv[2]
    if kind == 'csv':
        with open(path, newline='', encoding='utf-8-sig') as f:
            rows = list(csv.reader(f))
    else:
        parser = Rows()
        with open(path, encoding='utf-8') as f:
            parser.feed(f.read())
        print(parser.outside)
        rows = parser.rows
    for row in rows:
        print('\t'.join(field.encode('utf-8').hex() for field in row))


main()
