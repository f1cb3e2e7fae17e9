"""The PyMeasure instrument for `dsactl serve`: the step attenuators of one
board, set and swept over the server's SCPI socket.

Every setting reads the error queue after it, so a value the server refuses
raises DsaError at once; an attenuation is checked against the model's grid
before anything is sent, and raises ValueError when the model cannot make it."""

import math
import string
import time
from collections import namedtuple

from pymeasure.instruments import Instrument
from pymeasure.instruments.validators import strict_discrete_set, strict_range

from .errors import DsaError, parse_error
from .grid import StepGrid, db_text

LE_LINES = range(1, 7)
WORDS = range(256)
# The error queue holds at most 20 entries and an overflow mark.
MOST_ERRORS = 21

Lateness = namedtuple("Lateness", "steps most slip")
Lateness.__doc__ = """How late the steps of the sweep under way, or of the last one, were:
the number of late steps, the largest lateness and the slip, in seconds."""


def resource_name(host="127.0.0.1", port=5025):
    """The VISA resource name of a server at `host`:`port`."""
    return "TCPIP0::%s::%d::SOCKET" % (host, port)


def _model_parameter(value, values):
    if isinstance(value, int) and not isinstance(value, bool) and value >= 1:
        return value
    if isinstance(value, str) and value and not any(c in value for c in '"; \n'):
        return value
    raise ValueError("a model is a list position from 1 or a model key, not %r" % (value,))


def _port_parameter(value, values):
    if isinstance(value, int) and not isinstance(value, bool) and value > 0:
        return "%X" % value
    if isinstance(value, str) and value and all(c in string.hexdigits for c in value):
        return value
    raise ValueError("a port is a hexadecimal address such as '378' or 0x378, not %r" % (value,))


def _model_text(value):
    return str(value) if isinstance(value, int) else '"%s"' % value


def _model_key(reply):
    # `5,"VK58-Q5-S1"`, or `0,""` when no model is selected.
    key = reply[1].strip('"') if len(reply) == 2 else ""
    return key or None


def _positive(value, values):
    if not value > 0:
        raise ValueError("the sweep step is more than 0 dB, not %s" % value)
    return value


def _count(value, values):
    if value == math.inf or (isinstance(value, int) and value >= 1):
        return value
    raise ValueError("the sweep count is an int from 1, or math.inf, not %r" % (value,))


def _count_text(value):
    return "INF" if value == math.inf else "%d" % value


def _latched_device(value):
    if value == "PAR" or value in LE_LINES:
        return value
    raise ValueError("a simulated device is an LE line 1 to 6 or 'PAR', not %r" % (value,))


class DsaAttenuator(Instrument):
    """`dsactl serve` as a PyMeasure instrument.

    `adapter` is a PyMeasure adapter or a VISA resource name
    (`resource_name(host, port)`); the other keywords go to PyVISA.
    With `nearest` set, an attenuation the model cannot make is set to the
    nearest one it can make instead of raising ValueError."""

    def __init__(self, adapter=resource_name(), name="dsactl serve", nearest=False, **kwargs):
        kwargs.setdefault("read_termination", "\n")
        kwargs.setdefault("write_termination", "\n")
        kwargs.setdefault("timeout", 5000)
        super().__init__(adapter, name, includeSCPI=True, **kwargs)
        self.nearest = nearest
        self._grids = {}

    def values(self, command, separator=",", cast=float, **kwargs):
        """The values of a query's reply. A query the server could not answer
        replies with an empty line and queues the reason: that raises DsaError."""
        reply = self.ask(command).strip()
        if not reply:
            self.check_errors()
            return []
        results = reply.split(separator)
        for i, result in enumerate(results):
            try:
                results[i] = bool(float(result)) if cast == bool else cast(result)
            except ValueError:
                pass
        return results

    def check_errors(self):
        """Reads the instrument's error queue to its end; raises DsaError with
        every entry it held, oldest first. The queue is the instrument's, shared
        by every connection."""
        errors = []
        while len(errors) < MOST_ERRORS:
            code, message = parse_error(self.ask("SYST:ERR?"))
            if code == 0:
                break
            errors.append((code, message))
        if errors:
            raise DsaError(errors)

    def shutdown(self):
        """Stops a sweep under way."""
        self.abort()
        super().shutdown()

    # The board

    port = Instrument.control(
        "SYST:PORT?", 'SYST:PORT "%s"',
        """The parallel port's base address as hex text (`"378"`); an int is
        sent in hex.""",
        validator=_port_parameter, cast=str, check_set_errors=True)

    model = Instrument.control(
        "MOD?", "MOD %s",
        """The model's key (`"VK58-Q5-S1"`), None when none is selected; set it
        by key or by list position (counted from 1).""",
        validator=_model_parameter, set_process=_model_text, get_process=_model_key,
        cast=str, check_set_errors=True)

    models = Instrument.measurement(
        "MOD:CAT?", """The keys of every model, in list order.""",
        cast=lambda v: v.strip('"'))

    le = Instrument.control(
        "LE?", "LE %d",
        """The LE line (1 to 6) that `attenuation` and `word` load.""",
        validator=strict_discrete_set, values=LE_LINES, cast=int, check_set_errors=True)

    word = Instrument.control(
        "STEP:WORD?", "STEP:WORD %d",
        """The control word last loaded on the selected line, bit i for step i;
        setting it loads it.""",
        validator=strict_discrete_set, values=WORDS, cast=int, check_set_errors=True)

    resolution = Instrument.measurement(
        "ATT:RES?", """The selected model's smallest step in dB.""")

    max_attenuation = Instrument.measurement(
        "ATT? MAX", """The selected model's largest attenuation in dB.""")

    @property
    def attenuation(self):
        """The attenuation in dB last loaded on the selected line (0 when none
        was); setting it loads it, checked against the model's grid first."""
        return self.values("ATT?")[0]

    @attenuation.setter
    def attenuation(self, db):
        self.set_attenuation(db)

    def step_grid(self):
        """The selected model's grid, read from the instrument once per model."""
        key = _model_key(self.values("MOD?", cast=str))
        if key is None:
            raise ValueError("no model is selected: set model first")
        if key not in self._grids:
            # Asked on one line, so the grid is the model's that the reply names.
            reply = self.values("MOD?;ATT? MAX;ATT:RES?", separator=";", cast=str)
            key = _model_key(reply[0].split(","))
            if key is None:
                # Another client's *RST came between: the queries failed.
                self.check_errors()
                raise ValueError("no model is selected: set model first")
            self._grids[key] = StepGrid(key, float(reply[1]), float(reply[2]))
        return self._grids[key]

    def set_attenuation(self, db, nearest=None, line=None):
        """Loads `db` dB on `line` (else the selected LE line); `nearest`
        (else the instrument's `nearest`) allows the nearest grid value.
        Returns the value loaded."""
        value = self.step_grid().resolve(db, self.nearest if nearest is None else nearest)
        self.write(("LE %d;" % line if line else "") + "ATT " + db_text(value))
        self.check_errors()
        return value

    def line(self, number):
        """LE line `number` (1 to 6), for `att.line(3).attenuation = 7`."""
        return Line(self, number)

    def latched(self, device):
        """What the simulated board's device latched, as (dB, word): device is
        an LE line 1 to 6 or 'PAR'. Only with `dsactl serve --simulate`."""
        db, word = self.values("BOARD:LATC? %s" % _latched_device(device))
        return db, int(word)

    # Sweeps

    sweep_start = Instrument.control(
        "SWE:STAR?", "SWE:STAR %s", """The first value of a linear sweep in dB.""",
        validator=strict_range, values=(0, math.inf), set_process=db_text,
        check_set_errors=True)

    sweep_stop = Instrument.control(
        "SWE:STOP?", "SWE:STOP %s", """The last value of a linear sweep in dB.""",
        validator=strict_range, values=(0, math.inf), set_process=db_text,
        check_set_errors=True)

    sweep_step = Instrument.control(
        "SWE:STEP?", "SWE:STEP %s", """The step of a linear sweep in dB.""",
        validator=_positive, set_process=db_text, check_set_errors=True)

    sweep_dwell = Instrument.control(
        "SWE:DWEL?", "SWE:DWEL %s", """How long each value stays, in seconds
        (0.001 to 3600).""",
        validator=strict_range, values=(0.001, 3600), set_process=db_text,
        check_set_errors=True)

    sweep_mode = Instrument.control(
        "SWE:MODE?", "SWE:MODE %s", """`"LIN"` (start, stop, step) or `"LIST"`.""",
        validator=strict_discrete_set, values=("LIN", "LIST"), cast=str,
        check_set_errors=True)

    sweep_count = Instrument.control(
        "SWE:COUN?", "SWE:COUN %s", """Passes through the values: 1 or more, or
        math.inf (until abort()).""",
        validator=_count, set_process=_count_text,
        get_process=lambda v: v if v == math.inf else int(v), check_set_errors=True)

    sweep_points = Instrument.measurement(
        "SWE:POIN?", """The number of values in one pass.""", cast=int)

    sweep_running = Instrument.measurement(
        "SWE:STAT?", """True while a sweep runs.""", cast=bool)

    sweep_late = Instrument.measurement(
        "SWE:LATE?", """The lateness of the sweep under way, or of the last one.""",
        get_process=lambda v: Lateness(int(v[0]), v[1], v[2]))

    @property
    def sweep_list(self):
        """The values of a list sweep in dB."""
        return self.values("SWE:LIST?")

    @sweep_list.setter
    def sweep_list(self, values):
        values = [strict_range(value, (0, math.inf)) for value in values]
        if not values:
            raise ValueError("a sweep list holds at least one value")
        self.write("SWE:LIST " + ",".join(db_text(value) for value in values))
        self.check_errors()

    def start_sweep(self):
        """Starts the sweep; raises DsaError when the instrument refused it (a
        value the model cannot make, no model, a sweep already running)."""
        self.write("INIT")
        self.check_errors()

    def abort(self):
        """Stops a sweep after the step under way."""
        self.write("ABOR")

    def wait_for_sweep(self, timeout, interval=0.01):
        """Waits until the sweep has ended; raises TimeoutError, leaving it
        running, when it still runs after `timeout` seconds."""
        deadline = time.monotonic() + timeout
        while self.sweep_running:
            left = deadline - time.monotonic()
            if left <= 0:
                raise TimeoutError("the sweep still runs after %s s" % db_text(timeout))
            time.sleep(min(interval, left))


class Line:
    """One LE line of a serial board. Each access sends `LE n` and its command
    on one SCPI line, which the server runs whole, so no other client's
    command comes between them; the line stays the selected one after."""

    def __init__(self, instrument, number):
        self.instrument = instrument
        self.number = strict_discrete_set(number, LE_LINES)

    @property
    def attenuation(self):
        """The attenuation in dB last loaded on this line."""
        return self.instrument.values("LE %d;ATT?" % self.number)[0]

    @attenuation.setter
    def attenuation(self, db):
        self.set_attenuation(db)

    def set_attenuation(self, db, nearest=None):
        """As DsaAttenuator.set_attenuation, on this line."""
        return self.instrument.set_attenuation(db, nearest, line=self.number)

    @property
    def word(self):
        """The control word last loaded on this line."""
        return int(self.instrument.values("LE %d;STEP:WORD?" % self.number)[0])

    @word.setter
    def word(self, word):
        self.instrument.write("LE %d;STEP:WORD %d" % (self.number,
                                                     strict_discrete_set(word, WORDS)))
        self.instrument.check_errors()

    @property
    def latched(self):
        """What the simulated device on this line latched, as (dB, word)."""
        return self.instrument.latched(self.number)
