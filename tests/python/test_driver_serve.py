#!/usr/bin/python3
"""The PyMeasure driver (python/dsa_attenuator) against the real
`dsactl serve`, through PyVISA and pyvisa-py, started as the server's own
PyVISA test starts it (its ServerTestCase). Run with python/ on PYTHONPATH.

Usage: test_driver_serve.py /path/to/dsactl [unittest options]"""

import math
import os
import sys
import time
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "server"))
import test_serve_pyvisa as serve  # noqa: E402

from dsa_attenuator import DsaAttenuator, DsaError, resource_name  # noqa: E402


class DriverTestCase(serve.ServerTestCase):
    def driver(self, **options):
        att = DsaAttenuator(resource_name(port=self.port), visa_library="@py", **options)
        self.addCleanup(att.adapter.connection.close)
        return att


class Settings(DriverTestCase):
    def test_lines_and_the_parallel_latch(self):
        att = self.driver()
        att.model = 5
        att.line(3).attenuation = 7
        att.line(4).word = 25
        self.assertEqual((att.model, att.le, att.attenuation), ("VK58-Q5-S1", 4, 12.5))
        self.assertEqual([att.line(n).latched for n in (3, 4, 1)], [(7, 14), (12.5, 25), (0, 0)])
        att.model = "VK58-Q7-P1"
        att.attenuation = 31.75
        self.assertEqual(att.latched("PAR"), (31.75, 127))

    def test_off_the_grid_raises_without_sending_unless_nearest(self):
        att, visa = self.driver(), self.open()
        att.model = 3
        with self.assertRaisesRegex(ValueError, "nearest values are 7 and 8 dB"):
            att.line(2).attenuation = 7.5
        with self.assertRaisesRegex(ValueError, "outside 0 to 31 dB"):
            att.set_attenuation(32, nearest=True)
        # Nothing reached the board, and the line was not selected.
        self.assertEqual(visa.query("LE?;BOARD:LATC? 2;SYST:ERR:COUN?"), "1;0,0;0")
        self.assertEqual(att.line(2).set_attenuation(7.5, nearest=True), 7)
        self.driver(nearest=True).attenuation = 30.6
        self.assertEqual(visa.query("BOARD:LATC? 2"), "31,62")

    def test_refusals_of_the_server_raise(self):
        att, visa = self.driver(), self.open()
        att.model = 3
        with self.assertRaisesRegex(DsaError, "-222.*steps VK58-Q3-S1 lacks") as raised:
            att.word = 1
        self.assertEqual(raised.exception.code, -222)
        # Another connection's error is read by the next check.
        visa.write("LE 9")
        self.assertEqual(visa.query("*OPC?"), "1")  # the line has run
        with self.assertRaisesRegex(DsaError, "LE lines are 1 to 6"):
            att.check_errors()
        att.check_errors()


class Sweeps(DriverTestCase):
    def test_a_sweep_that_runs_to_its_end(self):
        att = self.driver()
        att.model, att.le = 5, 2
        att.sweep_list, att.sweep_mode = [1, 2, 4], "LIST"
        att.sweep_dwell, att.sweep_count = 0.01, 2
        att.start_sweep()
        att.wait_for_sweep(5)
        self.assertEqual(att.latched(2), (4, 8))

    def test_refused_sweep_and_a_timeout(self):
        att = self.driver()
        att.model = 3
        att.sweep_start, att.sweep_stop, att.sweep_step = 0, 2, 0.5
        with self.assertRaisesRegex(DsaError, "-222.*cannot make 0.5 dB"):
            att.start_sweep()
        att.sweep_step, att.sweep_dwell, att.sweep_count = 1, 0.001, math.inf
        att.start_sweep()
        started = time.monotonic()
        with self.assertRaisesRegex(TimeoutError, "still runs after 0.2 s"):
            att.wait_for_sweep(0.2)
        self.assertLess(time.monotonic() - started, 3)
        with self.assertRaisesRegex(DsaError, "-213"):
            att.start_sweep()
        att.abort()
        att.wait_for_sweep(3)


class WithoutSimulation(DriverTestCase):
    # An address where this machine has no parallel port: every Load fails.
    BOARD = ["--port", "3bc"]

    def test_latched_and_loads_raise(self):
        att = self.driver()
        att.model = 5
        with self.assertRaisesRegex(DsaError, "-113.*with --simulate only"):
            att.latched(1)
        with self.assertRaisesRegex(DsaError, "^201,"):
            att.attenuation = 7


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    serve.DSACTL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
