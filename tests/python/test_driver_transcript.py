#!/usr/bin/python3
"""The PyMeasure driver (python/dsa_attenuator) without a server: each case
plays the instrument's side of a recorded exchange, so a wrong or extra
command, or a reply left unread, fails it. Run with python/ on PYTHONPATH."""

import math
import unittest
import warnings

warnings.filterwarnings("ignore", category=DeprecationWarning)
from pymeasure.adapters import Adapter  # noqa: E402

from dsa_attenuator import DsaAttenuator, DsaError, Lateness, StepGrid  # noqa: E402

NO_ERROR = ("SYST:ERR?", '0,"No error"')
MODEL_5 = [("MOD?", '5,"VK58-Q5-S1"'), ("MOD?;ATT? MAX;ATT:RES?", '5,"VK58-Q5-S1";31.5;0.5')]


class TranscriptAdapter(Adapter):
    """Each write must be the transcript's next command; its reply, if it has
    one, is what the next read returns."""

    def __init__(self, transcript):
        super().__init__()
        self.left, self.reply = list(transcript), None

    def write(self, command):
        assert self.reply is None, "sent %r before reading the reply" % command
        assert self.left, "sent %r after the end of the transcript" % command
        expected, self.reply = self.left.pop(0)
        assert command == expected, "sent %r where the transcript has %r" % (command, expected)

    def read(self):
        assert self.reply is not None, "read with no reply due"
        reply, self.reply = self.reply, None
        return reply


class Driver(unittest.TestCase):
    def play(self, transcript, action, nearest=False):
        adapter = TranscriptAdapter(transcript)
        result = action(DsaAttenuator(adapter, nearest=nearest))
        self.assertEqual(adapter.left, [], "the transcript was not played to its end")
        return result

    def test_grid(self):
        # The cases the server's own tests do not reach: a 0.25 dB grid, float noise.
        grid = StepGrid("Q7", 31.75, 0.25)
        for db, expected in [(7.125, 7), (7.2, 7.25), (7 + 1e-12, 7), (31.75 + 1e-12, 31.75)]:
            self.assertEqual(grid.resolve(db, nearest=True), expected, db)
        for db, text in [(7.1, "nearest values are 7 and 7.25 dB"), (-0.25, "outside"),
                         (math.nan, "outside")]:
            with self.assertRaisesRegex(ValueError, text):
                grid.resolve(db, nearest=text == "outside")

    def test_settings_send_their_command_and_read_the_error_queue(self):
        for setting, value, command in [
                ("model", 5, "MOD 5"), ("model", "VK58-Q5-P1", 'MOD "VK58-Q5-P1"'),
                ("port", 0xD010, 'SYST:PORT "D010"'), ("le", 3, "LE 3"),
                ("word", 14, "STEP:WORD 14"), ("sweep_count", math.inf, "SWE:COUN INF"),
                ("sweep_dwell", 0.02, "SWE:DWEL 0.02"), ("sweep_list", [1, 2.5], "SWE:LIST 1,2.5"),
                ("sweep_mode", "LIST", "SWE:MODE LIST")]:
            with self.subTest(setting=setting, value=value):
                self.play([(command, None), NO_ERROR], lambda att: setattr(att, setting, value))

    def test_replies(self):
        for query, reply, read, expected in [
                ("MOD?", '0,""', lambda att: att.model, None),
                ("SWE:COUN?", "INF", lambda att: att.sweep_count, math.inf),
                ("SWE:STAT?", "1", lambda att: att.sweep_running, True),
                ("SWE:LIST?", "", lambda att: att.sweep_list, []),
                ("SWE:LATE?", "3,0.0021,0.004", lambda att: att.sweep_late,
                 Lateness(3, 0.0021, 0.004)),
                ("BOARD:LATC? PAR", "12.5,25", lambda att: att.latched("PAR"), (12.5, 25)),
                ("LE 2;STEP:WORD?", "14", lambda att: att.line(2).word, 14)]:
            with self.subTest(query=query):
                transcript = [(query, reply)] + ([NO_ERROR] if not reply else [])
                self.assertEqual(self.play(transcript, read), expected)

    def test_refused_before_anything_is_sent(self):
        for refused in [lambda att: setattr(att, "le", 7), lambda att: setattr(att, "word", 256),
                        lambda att: setattr(att, "model", 'X"Y'), lambda att: att.line(0),
                        lambda att: setattr(att, "sweep_dwell", 0.0005), lambda att: att.latched(7),
                        lambda att: setattr(att, "sweep_count", 0),
                        lambda att: setattr(att, "port", "378;*RST")]:
            with self.assertRaises(ValueError):
                self.play([], refused)

    def test_attenuation_on_the_grid_read_once_per_model(self):
        def two_sets(att):
            att.line(3).attenuation = 7
            return att.set_attenuation(7.3, nearest=True)
        # The second set asks only which model is selected: its grid is known.
        transcript = MODEL_5 + [("LE 3;ATT 7", None), NO_ERROR, ("MOD?", '5,"VK58-Q5-S1"'),
                                ("ATT 7.5", None), NO_ERROR]
        self.assertEqual(self.play(transcript, two_sets), 7.5)
        # Off the grid, or no model: nothing but the model query goes out.
        with self.assertRaisesRegex(ValueError, "cannot make 7.3 dB"):
            self.play(MODEL_5, lambda att: setattr(att, "attenuation", 7.3))
        with self.assertRaisesRegex(ValueError, "no model"):
            self.play([("MOD?", '0,""')], lambda att: setattr(att, "attenuation", 7), nearest=True)

    def test_errors_raise_with_every_entry(self):
        refused = [("INIT", None), ("SYST:ERR?", '-213,"Init ignored;a sweep is running"'),
                   ("SYST:ERR?", '-350,"Queue overflow"'), NO_ERROR]
        with self.assertRaises(DsaError) as raised:
            self.play(refused, lambda att: att.start_sweep())
        self.assertEqual(raised.exception.errors,
                         [(-213, "Init ignored;a sweep is running"), (-350, "Queue overflow")])
        # A failed query answers an empty line; the queue says why.
        with self.assertRaisesRegex(DsaError, "-113"):
            self.play([("ATT?", ""), ("SYST:ERR?", '-113,"Undefined header"'), NO_ERROR],
                      lambda att: att.attenuation)
        # A queue that never empties is read at most 21 times.
        with self.assertRaises(DsaError):
            self.play([("SYST:ERR?", '-100,"Command error"')] * 21, lambda att: att.check_errors())


if __name__ == "__main__":
    unittest.main(verbosity=2)
