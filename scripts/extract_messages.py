#!/usr/bin/env python3
"""Collect the quoted Russian message texts from a design document into id=text lines.

Usage: extract_messages.py DOCUMENT [OUTPUT]

Prints conflicts (an id quoted with two different texts) and ids mentioned without
any text to stderr; those need a look by hand before the output is trusted.
"""
import re
import sys
from collections import defaultdict

FIRST, LAST = 15000, 15999
ID = r"(?<![\d.])(15\d{3})(?![\d.])"
QUOTED = r'"([^"\n]*)"'

# id, then the text: `message 15033 "..."`, `| 15039 | "..." |`, `message 15004, "..."`
AFTER_ID = re.compile(ID + r'(?:\s*\|\s*|,\s*|\s+)' + QUOTED)
# text, then the id: `| "СМК" | 15060 |`, `"МР" (15192)`, `"..." (same text as message 15005)`,
# `"ППК/" is message 15213`
BEFORE_ID = re.compile(
    QUOTED + r'(?:\s*\|\s*|\s*\((?:same text as )?(?:message )?|\s+(?:is )?message\s+)' + ID)
# `"ШС1", "ШС2", "SOS" from messages 15112, 15113, 15114` and
# `1 "Речевое", 2 "SMS" (messages 15070, 15071)`: the last N quotes of the clause
ID_LIST = re.compile(r'messages\s+(15\d{3}(?:\s*,\s*15\d{3})+)')
# `messages 15141 to 15182 in the order below`: the coded names of the next paragraphs
ID_RANGE = re.compile(r'messages\s+(15\d{3})\s+to\s+(15\d{3})\s+in the order below')
CODED_NAME = re.compile(r'\b\d{4,5} ' + QUOTED)
# receipt status table: status 0x01..0x05 -> messages 15008..15012, 0xFF -> 15015
RECEIPT_ROW = re.compile(r'^\|\s*0x([0-9A-F]{2})\s*\|\s*' + QUOTED + r'\s*\|')
RECEIPT_IDS = {0x01: 15008, 0x02: 15009, 0x03: 15010, 0x04: 15011, 0x05: 15012, 0xFF: 15015}


HEADER = '''\
# Built-in Russian message table: id=text, one entry a line, ids 15000..15999.
# Ids not listed are empty entries. Texts stand exactly as shown (spaces included);
# only the first '=' separates; \\n is a line break and \\\\ a backslash.
'''


def collect(lines):
    found = defaultdict(dict)  # id -> text -> first line number
    mentioned = set()

    def add(mid, text, lineno):
        mid = int(mid)
        if FIRST <= mid <= LAST:
            found[mid].setdefault(text, lineno)

    in_receipts = False
    for n, line in enumerate(lines, 1):
        for m in re.finditer(ID, line):
            mentioned.add(int(m.group(1)))
        for m in AFTER_ID.finditer(line):
            add(m.group(1), m.group(2), n)
        for m in BEFORE_ID.finditer(line):
            # `"Быстрое взятие" message 15126 "Да"`: the quote after the id is its text
            if not AFTER_ID.match(line, m.start(2)):
                add(m.group(2), m.group(1), n)
        for m in ID_LIST.finditer(line):
            ids = re.findall(r'15\d{3}', m.group(1))
            clause = re.split(r'[|;:(]', line[:m.start()])[-1]
            texts = re.findall(QUOTED, clause)
            if len(texts) >= len(ids):
                for mid, text in zip(ids, texts[-len(ids):]):
                    add(mid, text, n)
        m = ID_RANGE.search(line)
        if m:
            first, last = int(m.group(1)), int(m.group(2))
            names = []
            for later in lines[n:]:
                if later.startswith('Category '):
                    names += CODED_NAME.findall(later)
                elif names and later.strip() and not later.startswith('Category '):
                    break
            if len(names) == last - first + 1:
                for k, text in enumerate(names):
                    add(first + k, text, n)
            else:
                print(f'line {n}: range {first}..{last} has {len(names)} names', file=sys.stderr)
        if line.startswith('Status byte of a panel receipt'):
            in_receipts = True
        elif in_receipts:
            r = RECEIPT_ROW.match(line)
            if r and int(r.group(1), 16) in RECEIPT_IDS:
                add(RECEIPT_IDS[int(r.group(1), 16)], r.group(2), n)
            elif not line.startswith('|') and line.strip():
                in_receipts = False
    return found, mentioned


def main():
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    with open(sys.argv[1], encoding='utf-8') as f:
        lines = f.read().splitlines()
    found, mentioned = collect(lines)
    out = []
    for mid in sorted(found):
        texts = found[mid]
        if len(texts) > 1:
            print(f'{mid}: {len(texts)} texts: ' +
                  '; '.join(f'line {ln}: {t!r}' for t, ln in texts.items()), file=sys.stderr)
        text = min(texts, key=texts.get)
        out.append(f'{mid}={text.replace(chr(92), chr(92) * 2)}')
    silent = sorted(mid for mid in mentioned if FIRST <= mid <= LAST and mid not in found)
    print('without text: ' + ' '.join(map(str, silent)), file=sys.stderr)
    print(f'{len(out)} ids with text', file=sys.stderr)
    body = HEADER + '\n'.join(out) + '\n'
    if len(sys.argv) > 2:
        with open(sys.argv[2], 'w', encoding='utf-8', newline='\n') as f:
            f.write(body)
    else:
        sys.stdout.write(body)


if __name__ == '__main__':
    main()
