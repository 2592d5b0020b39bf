#!/usr/bin/env python3
"""Writes console/ShiftJisTable.cpp: every double-byte character of code page
932 (JIS X 0208 with its NEC and IBM extensions), from Python's own cp932
codec. Run once from the project root when the table is to be made again:
    python3 console/make_shift_jis_table.py > console/ShiftJisTable.cpp
"""

LEADS = list(range(0x81, 0xA0)) + list(range(0xE0, 0xFD))
TRAILS = list(range(0x40, 0x7F)) + list(range(0x80, 0xFD))


def cell(lead, trail):
    try:
        character = bytes([lead, trail]).decode("cp932")
    except UnicodeDecodeError:
        return None
    code = ord(character)
    # A literal of its own needs no escape: none is ASCII or beyond the BMP.
    assert len(character) == 1 and 0x80 <= code <= 0xFFFF and code != 0xFFFD
    return character


def main():
    print("// Written by console/make_shift_jis_table.py from Python's cp932 codec; do not edit.")
    print("// clang-format off")
    print('#include "console/ShiftJisTable.hpp"')
    print()
    print("namespace d88::console {")
    print()
    print("const char16_t shiftJisRows[shiftJisLeadCount][shiftJisTrailCount + 1] = {")
    for lead in LEADS:
        cells = [cell(lead, trail) for trail in TRAILS]
        if all(c is None for c in cells):
            print('    /* %02X */ u"",' % lead)
        else:
            text = "".join("\\uFFFD" if c is None else c for c in cells)
            print('    /* %02X */ u"%s",' % (lead, text))
    print("};")
    print()
    print("} // namespace d88::console")
    print("// clang-format on")


main()
