#!/usr/bin/python3
"""Writes the keys and values of a registry export (REGEDIT4) into a switched-off device's registry.

    regfile.py PREFIX FILE.reg

Wine's server reads the prefix's registry files (system.reg, user.reg) when it starts and writes them
back when it ends, so that a device whose server does not run takes its settings from the files alone:
no Wine session is started for them. Takes keys under HKEY_LOCAL_MACHINE and HKEY_CURRENT_USER, values
of the forms "name"="text", "name"=dword:N, "name"=hex(T):bytes and "name"=- (the value goes), @ for a
key's default value. Each file is replaced whole or not at all; a line it cannot take changes nothing
and exits with 2.
"""
import os
import re
import sys
import time

HIVES = {'HKEY_LOCAL_MACHINE': 'system.reg', 'HKEY_CURRENT_USER': 'user.reg'}


class BadLine(Exception):
    pass


def unquote(text):
    """The text of an export's quoted string (its escapes are \\\\ and \\"), and what follows it."""
    if not text.startswith('"'):
        raise BadLine(text)
    out, i = [], 1
    while i < len(text):
        c = text[i]
        if c == '\\' and i + 1 < len(text):
            out.append(text[i + 1])
            i += 2
        elif c == '"':
            return ''.join(out), text[i + 1:]
        else:
            out.append(c)
            i += 1
    raise BadLine(text)


def wine_string(text):
    """A string as the server's files write it: escapes for the quote, the backslash and every
    character outside printable ASCII (as UTF-16 units in four hex digits)."""
    out = []
    data = text.encode('utf-16-le')
    for i in range(0, len(data), 2):
        u = data[i] | data[i + 1] << 8
        c = chr(u)
        if c in '"\\':
            out.append('\\' + c)
        elif 32 <= u < 127:
            out.append(c)
        else:
            out.append('\\x%04x' % u)
    return '"' + ''.join(out) + '"'


def read_export(path):
    """{(file, key in lower case): (key as written, [(value name, line or None to delete)])}, in order."""
    with open(path, encoding='utf-8') as f:
        text = f.read().replace('\r\n', '\n')
    lines = re.sub(r'\\\n\s*', '', text).split('\n')  # continued lines joined
    if not lines or lines[0].strip() not in ('REGEDIT4', 'Windows Registry Editor Version 5.00'):
        raise BadLine(lines[0] if lines else 'an empty file')
    keys, current = {}, None
    for line in lines[1:]:
        line = line.strip()
        if not line or line.startswith(';'):
            continue
        if line.startswith('['):
            m = re.fullmatch(r'\[(HKEY_[A-Z_]+)\\(.+)\]', line)
            if not m or m.group(1) not in HIVES:
                raise BadLine(line)
            key = m.group(2)
            current = keys.setdefault((HIVES[m.group(1)], key.lower()), (key, []))[1]
            continue
        if current is None:
            raise BadLine(line)
        if line.startswith('@='):
            name, rest = '', line[1:]
        else:
            name, rest = unquote(line)
        if not rest.startswith('='):
            raise BadLine(line)
        data = rest[1:]
        label = '@' if name == '' else wine_string(name)
        if data == '-':
            current.append((name, None))
        elif data.startswith('"'):
            value, tail = unquote(data)
            if tail:
                raise BadLine(line)
            current.append((name, f'{label}={wine_string(value)}'))
        elif re.fullmatch(r'dword:[0-9a-fA-F]{8}|hex(\([0-9a-fA-F]+\))?:([0-9a-fA-F]{2}(,[0-9a-fA-F]{2})*)?',
                          data):
            current.append((name, f'{label}={data.lower()}'))
        else:
            raise BadLine(line)
    return keys


def value_name(line):
    """The name of a value line of the server's file, in lower case ('' for @)."""
    if line.startswith('@='):
        return ''
    name, _ = unquote(line)
    return re.sub(r'\\x([0-9a-fA-F]{1,4})', lambda m: chr(int(m.group(1), 16)), name).lower()


def merge(path, keys):
    """The server's file with the export's keys: values changed in place, new ones added."""
    with open(path, encoding='ascii', errors='surrogateescape') as f:
        text = f.read()
    # Sections: the head, then one per key (its header line and its lines, continued ones joined).
    parts = re.split(r'\n(?=\[)', text)
    head, sections = parts[0], parts[1:]
    found = {}
    for n, section in enumerate(sections):
        m = re.match(r'\[(.*)\]( \d+)?\n', section)
        if m:
            found[m.group(1).replace('\\\\', '\\').lower()] = n
    now = int(time.time())
    for key, values in keys:
        lines = []
        if key.lower() in found:
            header, _, body = sections[found[key.lower()]].partition('\n')
            lines = re.split(r'\n(?![ \t])', body.rstrip('\n')) if body.strip() else []
        else:
            header = f'[{key.replace(chr(92), chr(92) * 2)}] {now}'
        for name, line in values:
            kept = [l for l in lines if l.startswith('#') or not (l.startswith('"') or l.startswith('@=')) or
                    value_name(l) != name.lower()]
            lines = kept + ([line] if line is not None else [])
        section = header + '\n' + ''.join(l + '\n' for l in lines)
        if key.lower() in found:
            sections[found[key.lower()]] = section
        else:
            found[key.lower()] = len(sections)
            sections.append(section)
    return '\n'.join([head] + [s.rstrip('\n') + '\n' for s in sections])


def main():
    if len(sys.argv) != 3:
        print(__doc__.strip().split('\n\n')[1], file=sys.stderr)
        return 2
    prefix, export = sys.argv[1], sys.argv[2]
    try:
        keys = read_export(export)
    except (OSError, UnicodeError, BadLine) as e:
        print(f'regfile: cannot take {export}: {e}', file=sys.stderr)
        return 2
    by_file = {}
    for (name, _), (key, values) in keys.items():
        by_file.setdefault(name, []).append((key, values))
    merged = {}
    try:
        for name, file_keys in by_file.items():
            merged[name] = merge(os.path.join(prefix, name), file_keys)
    except (OSError, BadLine) as e:
        print(f'regfile: cannot read the registry of {prefix}: {e}', file=sys.stderr)
        return 2
    for name, text in merged.items():
        path = os.path.join(prefix, name)
        with open(path + '.new', 'w', encoding='ascii', errors='surrogateescape') as f:
            f.write(text)
        os.replace(path + '.new', path)
    return 0


if __name__ == '__main__':
    sys.exit(main())
