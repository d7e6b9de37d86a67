#!/usr/bin/env python3
"""Tests of scripts/make-pif: the file it writes is read back with a reader of its own, made
from the published layout, not from the writer's constants. Run: python3 tests/scripts/make_pif_test.py
"""

import os
import struct
import subprocess
import sys
import tempfile
import types
import unittest

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
SCRIPT = os.path.join(ROOT, "scripts", "make-pif")
SAMPLE = os.path.join(ROOT, "samples", "cd", "TUNOVAR", "runtime", "deinst.pif")


def load_script():
    """The script as a module (its name has no ".py"); its command line is not run."""
    module = types.ModuleType("make_pif")
    module.__file__ = SCRIPT
    with open(SCRIPT, encoding="utf-8") as f:
        exec(compile(f.read(), SCRIPT, "exec"), module.__dict__)
    return module


make_pif = load_script()


class Section:
    def __init__(self, name, heading, next_offset, data_offset, data):
        self.name, self.heading, self.next, self.data_offset, self.data = (
            name, heading, next_offset, data_offset, data)


def read_sections(pif):
    """The sections in the order of their chain, from the heading after the basic section."""
    sections, seen, offset = [], set(), 0x171
    while offset != 0xFFFF:
        if offset in seen or offset + 22 > len(pif):
            raise ValueError(f"bad heading offset 0x{offset:X}")
        seen.add(offset)
        raw, next_offset, data_offset, length = struct.unpack_from("<16sHHH", pif, offset)
        if b"\0" not in raw or data_offset + length > len(pif):
            raise ValueError(f"bad heading at 0x{offset:X}")
        name = raw[:raw.index(b"\0")].decode("ascii")
        sections.append(Section(name, offset, next_offset, data_offset,
                                pif[data_offset:data_offset + length]))
        offset = next_offset
    return sections


def asciz_at(data, offset, size):
    field = data[offset:offset + size]
    if b"\0" not in field:
        raise ValueError(f"no NUL in the field at 0x{offset:X}")
    return field[:field.index(b"\0")].decode("ascii")


def word(data, offset):
    return struct.unpack_from("<H", data, offset)[0]


def dword(data, offset):
    return struct.unpack_from("<I", data, offset)[0]


class Layout(unittest.TestCase):
    def setUp(self):
        self.pif = make_pif.build_pif()
        self.sections = read_sections(self.pif)

    def test_the_chain_names_the_three_sections_and_ends_at_the_end_of_the_file(self):
        self.assertEqual([s.name for s in self.sections],
                         ["MICROSOFT PIFEX", "WINDOWS 386 3.0", "WINDOWS VMM 4.0"])
        basic, w386, vmm = self.sections
        self.assertEqual((basic.data_offset, len(basic.data)), (0, 0x171))
        self.assertEqual(len(w386.data), 0x68)
        self.assertEqual(len(vmm.data), 0x1AC)
        self.assertEqual(vmm.next, 0xFFFF)
        # Each heading comes directly after the data before it, and is followed by its own.
        self.assertEqual(w386.heading, basic.heading + 22)
        for section in (w386, vmm):
            self.assertEqual(section.data_offset, section.heading + 22, section.name)
        self.assertEqual(vmm.heading, w386.data_offset + len(w386.data))
        self.assertEqual(vmm.data_offset + len(vmm.data), len(self.pif))
        self.assertEqual(len(self.pif), 967)
        self.assertLessEqual(len(self.pif), 0x3FF)

    def test_the_checksum_is_the_low_byte_of_the_sum_of_bytes_2_to_0x170(self):
        self.assertEqual(self.pif[0], 0)
        self.assertEqual(self.pif[1], sum(self.pif[2:0x171]) & 0xFF)

    def test_a_reader_refuses_a_chain_that_loops_or_leaves_the_file(self):
        looped = bytearray(self.pif)
        struct.pack_into("<H", looped, self.sections[2].heading + 16, 0x171)
        with self.assertRaises(ValueError):
            read_sections(bytes(looped))
        with self.assertRaises(ValueError):
            read_sections(self.pif[:0x300])


class WhatItRuns(unittest.TestCase):
    def setUp(self):
        self.pif = make_pif.build_pif()
        _, w386, vmm = read_sections(self.pif)
        self.w386, self.vmm = w386.data, vmm.data

    def test_it_runs_deinst_bat_named_without_a_folder_in_the_folder_it_is_started_in(self):
        program = asciz_at(self.pif, 0x24, 63)
        self.assertEqual(program, "deinst.bat")
        self.assertNotIn(":", program)
        self.assertNotIn("\\", program)
        self.assertEqual(asciz_at(self.pif, 0x65, 64), "", "working directory")
        self.assertEqual(self.pif[0x64], 0, "start drive")
        # No parameters in either place they can be, and no batch run before the program.
        self.assertEqual(asciz_at(self.pif, 0xA5, 64), "")
        self.assertEqual(asciz_at(self.w386, 0x28, 64), "")
        self.assertEqual(asciz_at(self.vmm, 0x156, 80), "")
        self.assertEqual(self.pif[0x170] & 0x40, 0, "uses parameters")

    def test_the_title_is_blank_padded(self):
        self.assertEqual(self.pif[0x02:0x20], b"TUNOVAR uninstall".ljust(30, b" "))

    def test_the_window_closes_on_exit_starts_minimized_and_keeps_running_in_the_background(self):
        self.assertTrue(self.pif[0x63] & 0x10, "close on exit")
        flags = dword(self.w386, 0x10)
        self.assertTrue(flags & 0x00000002, "background")
        self.assertTrue(flags & 0x00100000, "minimized")
        self.assertTrue(flags & 0x00000001, "may be ended while it runs")
        for bit, what in ((0x00000004, "exclusive"), (0x00000008, "full screen"),
                          (0x00200000, "maximized"), (0x00800000, "MS-DOS mode")):
            self.assertFalse(flags & bit, what)
        self.assertTrue(word(self.vmm, 0xAA) & 0x0002, "Windows 95: runs in the background")
        self.assertTrue(word(self.vmm, 0xAA) & 0x0010, "Windows 95: no warning at shutdown")
        self.assertFalse(word(self.vmm, 0xB8) & 0x0100, "Windows 95: full screen")
        self.assertFalse(self.pif[0x16F] & 0x80, "direct screen")

    def test_each_memory_requirement_stays_within_its_limit(self):
        pairs = {"basic conventional": (word(self.pif, 0x20), word(self.pif, 0x22)),
                 "386 conventional": (word(self.w386, 0x00), word(self.w386, 0x02)),
                 "EMS": (word(self.w386, 0x08), word(self.w386, 0x0A)),
                 "XMS": (word(self.w386, 0x0C), word(self.w386, 0x0E))}
        for what, (limit, required) in pairs.items():
            self.assertLessEqual(required, limit, what)
        self.assertGreaterEqual(word(self.w386, 0x02), 64, "room for COMMAND.COM and the batch")


class Fields(unittest.TestCase):
    def test_a_value_that_does_not_fit_its_field_is_refused_not_cut(self):
        make_pif.build_pif(title="T" * 30, program="P" * 62)
        for arguments in ({"title": "T" * 31}, {"program": "P" * 63},
                          {"program": "d\xe9inst.bat"}, {"title": "\u00dcbersicht"}):
            with self.assertRaises(ValueError, msg=arguments):
                make_pif.build_pif(**arguments)

    def test_another_program_changes_only_its_field_and_the_checksum(self):
        a, b = make_pif.build_pif(), make_pif.build_pif(program="other.bat")
        changed = {i for i in range(len(a)) if a[i] != b[i]}
        self.assertIn(1, changed)
        self.assertTrue(changed - {1} <= set(range(0x24, 0x63)), sorted(changed))
        self.assertEqual(b[1], sum(b[2:0x171]) & 0xFF)


def run_script(*arguments):
    return subprocess.run([sys.executable, SCRIPT, *arguments], capture_output=True, text=True)


class CommandLine(unittest.TestCase):
    def setUp(self):
        self.scratch = tempfile.TemporaryDirectory()
        self.path = os.path.join(self.scratch.name, "deinst.pif")

    def tearDown(self):
        self.scratch.cleanup()

    def test_the_committed_sample_is_what_the_script_writes(self):
        result = run_script("--check", SAMPLE)
        self.assertEqual(result.returncode, 0, result.stderr)

    def test_it_writes_the_same_bytes_every_time_and_check_accepts_them(self):
        self.assertEqual(run_script(self.path).returncode, 0)
        with open(self.path, "rb") as f:
            self.assertEqual(f.read(), make_pif.build_pif())
        self.assertEqual(run_script("--check", self.path).returncode, 0)

    def test_check_fails_on_one_changed_byte_a_short_file_and_a_missing_one(self):
        pif = bytearray(make_pif.build_pif())
        pif[0x24] ^= 0x20
        for content in (bytes(pif), make_pif.build_pif()[:-1],
                        b"[TUNOVAR uninstall helper]\r\nProgram=deinst.bat\r\n"):
            with open(self.path, "wb") as f:
                f.write(content)
            result = run_script("--check", self.path)
            self.assertEqual(result.returncode, 1, content[:40])
            self.assertIn("is not what scripts/make-pif writes", result.stderr)
        os.remove(self.path)
        result = run_script("--check", self.path)
        self.assertEqual(result.returncode, 1)
        self.assertIn("cannot read", result.stderr)


if __name__ == "__main__":
    unittest.main()
