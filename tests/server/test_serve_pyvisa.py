#!/usr/bin/python3
"""`dsactl serve --simulate` driven by a real SCPI client: PyVISA with its
pure-Python backend over TCPIP SOCKET, plus raw sockets for what a VISA
client cannot do (over-long lines, stalled and vanishing clients).

Usage: test_serve_pyvisa.py /path/to/dsactl [unittest options]
Each test starts its own server on a free port and stops it with SIGTERM,
checking that it exits with status 0."""

import os
import json
import re
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import warnings

# The backend imports a module that newer Pythons deprecate; not our concern here.
warnings.filterwarnings("ignore", category=DeprecationWarning)
import pyvisa  # noqa: E402

DSACTL = None


def first_line(server):
    """The server's first line on standard error, read a byte at a time:
    what follows stays in the pipe for communicate(), which reads the pipe
    itself and would never see what a buffered readline() took ahead."""
    line = b""
    while not line.endswith(b"\n"):
        byte = os.read(server.stderr.fileno(), 1)
        if not byte:
            break
        line += byte
    return line.decode("utf-8", "replace")


class ServerTestCase(unittest.TestCase):
    # The board behind the server, and options of `dsactl serve` beyond these.
    BOARD = ["--simulate"]
    OPTIONS = []

    def setUp(self):
        self.server = subprocess.Popen(
            [DSACTL, "serve", *self.BOARD, "--listen", "127.0.0.1:0", *self.OPTIONS],
            stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, text=True,
            env=self.server_environment())
        line = first_line(self.server)
        found = re.search(r"listening on 127\.0\.0\.1:(\d+)", line)
        self.assertIsNotNone(found, "no listening line: %r" % line)
        self.port = int(found.group(1))
        self.manager = pyvisa.ResourceManager("@py")
        self.sessions = []

    def server_environment(self):
        return None

    def close_sessions(self):
        for session in self.sessions:
            try:
                session.close()
            except Exception:
                pass
        self.sessions = []
        self.manager.close()

    def stop(self):
        """Stops the server with SIGTERM; returns what it said on standard error."""
        self.close_sessions()
        self.server.send_signal(signal.SIGTERM)
        try:
            _, rest = self.server.communicate(timeout=10)
        except subprocess.TimeoutExpired:
            self.server.kill()
            self.server.communicate()
            self.fail("the server did not stop on SIGTERM")
        self.assertEqual(self.server.returncode, 0, rest)
        return rest

    def tearDown(self):
        if self.server.returncode is None:
            self.stop()
        else:
            self.close_sessions()

    def open(self):
        session = self.manager.open_resource(
            "TCPIP0::127.0.0.1::%d::SOCKET" % self.port,
            read_termination="\n", write_termination="\n", timeout=3000)
        self.sessions.append(session)
        return session

    def raw(self):
        sock = socket.create_connection(("127.0.0.1", self.port), timeout=3)
        self.addCleanup(sock.close)
        return sock

    def assertNoError(self, session):
        self.assertEqual(session.query("SYST:ERR?"), '0,"No error"')

    def assertRunning(self):
        self.assertIsNone(self.server.poll(), "the server has ended")

    def stall(self):
        """Sends queries for 2 s and never reads a reply (each 9-byte query has
        a reply of about 360 bytes); returns how many bytes the server took."""
        stalled = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        stalled.setsockopt(socket.SOL_SOCKET, socket.SO_RCVBUF, 4096)
        stalled.connect(("127.0.0.1", self.port))
        self.addCleanup(stalled.close)
        stalled.setblocking(False)
        burst = b"MOD:CAT?\n" * 2000
        sent = 0
        deadline = time.monotonic() + 2
        while time.monotonic() < deadline:
            try:
                sent += stalled.send(burst)
            except BlockingIOError:
                time.sleep(0.01)
        return sent

    def resident_bytes(self):
        with open("/proc/%d/status" % self.server.pid) as status:
            for line in status:
                if line.startswith("VmRSS:"):
                    return int(line.split()[1]) * 1024
        self.fail("no VmRSS for the server")


class Memory(ServerTestCase):
    def server_environment(self):
        # AddressSanitizer keeps freed blocks in quarantine, which would count
        # as growth here: keep it small for this server.
        environment = dict(os.environ)
        options = environment.get("ASAN_OPTIONS", "")
        environment["ASAN_OPTIONS"] = (options + ":" if options else "") + "quarantine_size_mb=1"
        return environment

    def test_a_client_that_never_reads_costs_bounded_memory(self):
        before = self.resident_bytes()
        sent = self.stall()
        # The server stops reading from the client once 64 KiB of replies wait,
        # instead of queueing replies without end.
        grown = self.resident_bytes() - before
        self.assertLess(grown, 20 * 1024 * 1024,
                        "the server grew by %d bytes for a client that sent %d" % (grown, sent))
        self.assertRunning()


class Log(ServerTestCase):
    def test_refused_clients_cannot_flood_the_log(self):
        held = [self.raw() for _ in range(32)]
        for sock in held:
            sock.sendall(b"*OPC?\n")
            self.assertEqual(sock.recv(10), b"1\n")
        for _ in range(300):
            try:
                extra = socket.create_connection(("127.0.0.1", self.port), timeout=3)
                extra.recv(10)
                extra.close()
            except OSError:
                pass
        # What was held back is reported once its second is over.
        time.sleep(1.5)
        self.server.send_signal(signal.SIGTERM)
        _, rest = self.server.communicate(timeout=10)
        refused = [line for line in rest.splitlines() if "refused a client" in line]
        self.assertGreaterEqual(len(refused), 2, rest)
        self.assertLessEqual(len(refused), 6, rest)
        self.assertEqual(refused[0],
                         "dsactl serve: refused a client from 127.0.0.1: 32 clients connected")
        # Every refusal is there: a line of its own, or counted in a summary.
        counted = 0
        for line in refused:
            found = re.search(r"\((\d+) such lines held back in the last second\)$", line)
            counted += int(found.group(1)) if found else 1
        self.assertEqual(counted, 300, rest)


class Stopping(ServerTestCase):
    def test_every_stop_signal_ends_the_server_cleanly(self):
        # SIGTERM is what every other test stops the server with.
        for number in (signal.SIGHUP, signal.SIGINT):
            with self.subTest(signal=number.name):
                if number != signal.SIGHUP:
                    self.setUp()
                self.server.send_signal(number)
                try:
                    _, rest = self.server.communicate(timeout=10)
                except subprocess.TimeoutExpired:
                    self.server.kill()
                    self.server.communicate()
                    self.fail("the server did not stop on %s" % number.name)
                self.assertEqual(self.server.returncode, 0, rest)
                self.assertIn("dsactl serve: stopped", rest)


class Identification(ServerTestCase):
    def test_idn(self):
        fields = self.open().query("*IDN?").split(",")
        self.assertEqual(len(fields), 4)
        self.assertEqual(fields[1:3], ["dsactl", "0"])
        self.assertRegex(fields[3], r"^\d+\.\d+")

    def test_rst_and_opc(self):
        inst = self.open()
        inst.write("MOD 5;LE 2;ATT 7")
        inst.write("*RST")
        self.assertEqual(inst.query("*OPC?"), "1")
        self.assertEqual(inst.query("MOD?;LE?;ATT?"), '0,"";1;0')


class SettingTheBoard(ServerTestCase):
    def test_model_le_and_attenuation(self):
        inst = self.open()
        inst.write("MODel 5")
        inst.write("le 3")
        inst.write("ATT 7")
        self.assertEqual(inst.query("MOD?"), '5,"VK58-Q5-S1"')
        self.assertEqual(inst.query("LE?"), "3")
        self.assertEqual(inst.query("ATTenuation?"), "7")
        # What the simulated device on LE3 latched: 7 dB, word 001110.
        self.assertEqual(inst.query("BOARD:LATC? 3"), "7,14")
        self.assertEqual(inst.query("BOARD:LATC? 1"), "0,0")
        self.assertNoError(inst)

    def test_parallel_model_by_key(self):
        inst = self.open()
        inst.write('MOD "VK58-Q5-P1";ATT 12.5 DB')
        self.assertEqual(inst.query("BOARD:LATC? PAR"), "12.5,25")
        self.assertEqual(inst.query("ATT? MAX;ATT:RES?"), "31.5;0.5")
        self.assertNoError(inst)


class ErrorQueue(ServerTestCase):
    CASES = [
        ("ATTN 7", -113, "Undefined header"),
        ("ATT 7,", -102, "Syntax error"),
        ("ATT", -109, "Missing parameter"),
        ("LE 1,2", -108, "Parameter not allowed"),
        ("ATT 7.3", -222, "Data out of range"),
        ("LE 7", -222, "Data out of range"),
        ('MOD "NO-SUCH"', -224, "Illegal parameter value"),
        ("ATT abc", -104, "Data type error"),
        ("SYST:PORT XYZ", -224, "Illegal parameter value"),
    ]

    def test_each_kind_of_bad_command(self):
        inst = self.open()
        inst.write("MOD 5")
        for line, code, text in self.CASES:
            with self.subTest(line=line):
                inst.write(line)
                entry = inst.query("SYST:ERR?")
                self.assertTrue(entry.startswith('%d,"%s' % (code, text)), entry)
                self.assertNoError(inst)
        # The detail names the values the model can make, in dB.
        inst.write("ATT 7.3")
        self.assertEqual(inst.query("SYST:ERR?"),
                         '-222,"Data out of range;VK58-Q5-S1 cannot make 7.3 dB; '
                         'nearest 7 and 7.5 dB"')
        # The connection survived every one of them.
        self.assertEqual(inst.query("*IDN?").split(",")[1], "dsactl")

    def test_one_queue_for_every_connection(self):
        # An instrument has one error queue and one event status, whichever
        # connection made the error and whichever asks.
        first, second = self.open(), self.open()
        first.write("*ESE 60")
        first.write("LE 9")
        self.assertEqual(second.query("*ESE?"), "60")
        self.assertEqual(second.query("*STB?"), "36")
        self.assertTrue(second.query("SYST:ERR?").startswith('-222,"Data out of range'))
        self.assertNoError(first)
        first.write("FOO")
        second.write("*CLS")
        self.assertEqual(first.query("SYST:ERR:COUN?"), "0")
        self.assertEqual(first.query("*ESR?"), "0")
        # A connection that closes leaves its errors for the next one.
        third = self.open()
        third.write("LE 9")
        third.close()
        self.sessions.remove(third)
        self.assertTrue(self.open().query("SYST:ERR?").startswith('-222,"Data out of range'))

    def test_one_shot_connections_of_lxi(self):
        # As a shell user works: one connection per command.
        def lxi(command):
            done = subprocess.run(
                ["lxi", "scpi", "--address", "127.0.0.1", "--port", str(self.port), "--raw",
                 command], capture_output=True, text=True, timeout=20)
            self.assertEqual(done.returncode, 0, done.stderr)
            return done.stdout.strip()

        lxi("LE 9")
        self.assertTrue(lxi("SYST:ERR?").startswith('-222,"Data out of range'))
        self.assertEqual(lxi("SYST:ERR?"), '0,"No error"')

    def test_count_and_overflow(self):
        inst = self.open()
        for _ in range(25):
            inst.write("FOO")
        self.assertEqual(inst.query("SYST:ERR:COUN?"), "20")
        entries = [inst.query("SYST:ERR?") for _ in range(20)]
        self.assertEqual(entries[-1], '-350,"Queue overflow"')
        self.assertNoError(inst)

    def test_failed_query_still_answers(self):
        inst = self.open()
        self.assertEqual(inst.query("NOPE?"), "")
        self.assertTrue(inst.query("SYST:ERR?").startswith("-113,"))


class Sweeps(ServerTestCase):
    def test_sweep_started_and_aborted(self):
        inst = self.open()
        inst.write("MOD 5;LE 2")
        inst.write("SWE:STAR 0;STOP 31.5;STEP 0.5;DWEL 2MS;COUN INF")
        inst.write("INIT")
        self.assertEqual(inst.query("SWE:STAT?"), "1")
        # Queries are answered while it runs; settings are refused.
        time.sleep(0.1)
        first = int(inst.query("STEP:WORD?"))
        inst.write("ATT 3")
        self.assertTrue(inst.query("SYST:ERR?").startswith('-221,"Settings conflict'))
        time.sleep(0.05)
        self.assertNotEqual(int(inst.query("BOARD:LATC? 2").split(",")[1]), first)
        inst.write("ABOR")
        self.assertEqual(inst.query("SWE:STAT?"), "0")
        latched = inst.query("BOARD:LATC? 2")
        time.sleep(0.05)
        self.assertEqual(inst.query("BOARD:LATC? 2"), latched)
        inst.write("ATT 3")
        self.assertEqual(inst.query("BOARD:LATC? 2"), "3,6")
        self.assertNoError(inst)

    def test_list_sweep_runs_to_its_end(self):
        inst = self.open()
        inst.write("MOD 5;SWE:LIST 1,2,4;MODE LIST;DWEL 0.01;COUN 2;:INIT")
        deadline = time.monotonic() + 5
        while inst.query("SWE:STAT?") == "1" and time.monotonic() < deadline:
            time.sleep(0.01)
        self.assertEqual(inst.query("SWE:STAT?"), "0")
        self.assertEqual(inst.query("BOARD:LATC? 1"), "4,8")
        self.assertNoError(inst)

    def test_client_that_disconnects_mid_sweep(self):
        starter = self.raw()
        starter.sendall(b"MOD 5;SWE:DWEL 1MS;COUN INF;:INIT\n")
        starter.sendall(b"SWE:STAT?\n")
        self.assertEqual(starter.recv(100), b"1\n")
        starter.close()
        time.sleep(0.1)
        self.assertRunning()
        inst = self.open()
        # The sweep goes on without its starter, until another client aborts it.
        self.assertEqual(inst.query("SWE:STAT?"), "1")
        inst.write("ABOR")
        self.assertEqual(inst.query("SWE:STAT?"), "0")
        self.assertNoError(inst)


class Clients(ServerTestCase):
    def test_two_clients_interleave_without_mixing(self):
        first, second = self.open(), self.open()
        first.write("MOD 5")
        failures = []

        def drive(session, le, db, word):
            for _ in range(150):
                reply = session.query("LE %d;ATT %s;BOARD:LATC? %d;ATT?" % (le, db, le))
                if reply != "%s,%d;%s" % (db, word, db):
                    failures.append((le, reply))

        threads = [threading.Thread(target=drive, args=(first, 1, "7", 14)),
                   threading.Thread(target=drive, args=(second, 2, "12.5", 25))]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        self.assertEqual(failures, [])
        self.assertEqual(first.query("BOARD:LATC? 1"), "7,14")
        self.assertEqual(second.query("BOARD:LATC? 2"), "12.5,25")
        self.assertNoError(first)
        self.assertNoError(second)

    def test_eight_clients_at_once(self):
        sessions = [self.open() for _ in range(8)]
        sessions[0].write("MOD 5")
        for le, session in enumerate(sessions[:6], start=1):
            session.write("LE %d" % le)
            session.write("ATT %d" % le)
        for le in range(1, 7):
            self.assertEqual(sessions[7].query("BOARD:LATC? %d" % le), "%d,%d" % (le, le * 2))
        for session in sessions:
            self.assertEqual(session.query("*IDN?").split(",")[1], "dsactl")

    def test_over_long_line(self):
        sock = self.raw()
        sock.sendall(b"ATT?" + b" " * 5000 + b"\n*IDN?\r\n")
        self.assertTrue(sock.recv(200).decode().startswith("DSA Project,dsactl"))
        sock.sendall(b"SYST:ERR?\n")
        self.assertTrue(sock.recv(200).startswith(b'-223,"Too much data'))
        # A line of exactly 4 KiB still runs.
        sock.sendall(b"SYST:ERR?" + b" " * (4096 - 9) + b"\n")
        self.assertEqual(sock.recv(200), b'0,"No error"\n')

    def test_client_that_disconnects_mid_command(self):
        sock = self.raw()
        sock.sendall(b"MOD 5;ATT 7")
        sock.close()
        time.sleep(0.1)
        self.assertRunning()
        inst = self.open()
        # The half line never ran.
        self.assertEqual(inst.query("MOD?;ATT?"), '0,"";0')

    def test_stalled_client_does_not_block_the_others(self):
        self.assertGreater(self.stall(), 0)
        # Each query would time out if the stalled client held the server.
        inst = self.open()
        # A stalled client costs the server nothing, but a loaded test machine
        # may: each answer still has to come within the bound.
        inst.timeout = 10000
        for _ in range(20):
            self.assertEqual(inst.query("*IDN?").split(",")[1], "dsactl")
        self.assertRunning()

    def test_one_shot_lines_from_a_closing_client(self):
        # As `printf ... | nc -N`: the lines arrive with the end of the stream,
        # and their replies still come back.
        for _ in range(20):
            sock = self.raw()
            sock.sendall(b"MOD 5;LE 4;ATT 2\nBOARD:LATC? 4;ATT?\n")
            sock.shutdown(socket.SHUT_WR)
            received = b""
            while True:
                more = sock.recv(100)
                if not more:
                    break
                received += more
            self.assertEqual(received, b"2,4;2\n")
            sock.close()

class Adapter(ServerTestCase):
    """SYSTem:PORT with an FTDI adapter's address; no adapter is plugged in here."""
    BOARD = ["--port", "378"]

    def test_the_port_becomes_an_adapter_and_back(self):
        inst = self.open()
        inst.write('SYST:PORT "ftdi://xyz/1"')
        entry = inst.query("SYST:ERR?")
        self.assertTrue(entry.startswith('-224,"Illegal parameter value;\'ftdi://xyz/1\' is no '
                                         'usable FTDI adapter address'), entry)
        inst.write('SYST:PORT "ftdi://ftdi:232h:NOSUCH/1"')
        self.assertNoError(inst)
        self.assertEqual(inst.query("SYST:PORT?"), '"ftdi://ftdi:232h:NOSUCH/1"')
        # The Load reaches for the adapter, which is not there.
        inst.write("MOD 5;ATT 7")
        entry = inst.query("SYST:ERR?")
        self.assertTrue(entry.startswith("201,"), entry)
        self.assertIn("ftdi://ftdi:232h:NOSUCH/1", entry)
        inst.write("SYST:PORT 278")
        self.assertEqual(inst.query("SYST:PORT?"), "278")
        self.assertNoError(inst)


class AdapterOnTheSimulatedBoard(ServerTestCase):
    def test_refused(self):
        inst = self.open()
        inst.write('SYST:PORT "ftdi://ftdi:232h/1"')
        entry = inst.query("SYST:ERR?")
        self.assertTrue(entry.startswith('-221,"Settings conflict;the simulated board takes no '
                                         'adapter'), entry)
        self.assertEqual(inst.query("SYST:PORT?"), "378")


class OnExit(ServerTestCase):
    OPTIONS = ["--on-exit", "MOD 5;LE 3;ATT 31.5;BOARD:LATC? 3;LE 9"]

    def test_a_stop_signal_runs_it_and_says_what_it_did(self):
        inst = self.open()
        inst.write("MOD 1;LE 3;ATT 7")
        self.assertEqual(inst.query("BOARD:LATC? 3"), "7,14")
        self.server.send_signal(signal.SIGTERM)
        _, rest = self.server.communicate(timeout=10)
        self.assertEqual(self.server.returncode, 0, rest)
        lines = rest.splitlines()
        self.assertIn("dsactl serve: on exit: MOD 5;LE 3;ATT 31.5;BOARD:LATC? 3;LE 9 -> 31.5,63",
                      lines, rest)
        self.assertIn('dsactl serve: on exit: error -222,"Data out of range;LE lines are 1 to 6"',
                      lines, rest)
        self.assertEqual(lines[-1], "dsactl serve: stopped")


class StateHome(ServerTestCase):
    """A server with --power-up last and a state folder of its own, which a
    test stops and starts again."""
    OPTIONS = ["--power-up", "last"]

    def setUp(self):
        if not hasattr(self, "state_home"):
            self.state_home = tempfile.mkdtemp()
            self.addCleanup(shutil.rmtree, self.state_home)
            self.state_file = os.path.join(self.state_home, "dsactl", "serve-state-simulated.json")
        super().setUp()

    def server_environment(self):
        environment = dict(os.environ)
        environment.pop("STATE_DIRECTORY", None)
        environment["XDG_STATE_HOME"] = self.state_home
        return environment


class PowerUpLast(StateHome):
    def test_a_restarted_server_loads_every_line_back(self):
        inst = self.open()
        inst.write("MOD 5;LE 3;ATT 7;LE 6;ATT 31.5;MOD 1;LE 2;ATT 4")
        self.assertEqual(inst.query("BOARD:LATC? 2"), "4,8")
        self.assertIn("power-up: no saved state in %s yet" % self.state_file, self.stop())
        with open(self.state_file) as file:
            saved = json.load(file)
        self.assertEqual((saved["format"], saved["model"], saved["le"]), (1, "VK58-Q1-S1", 2))
        self.setUp()
        inst = self.open()
        # A new simulated board: all it holds came from the state file.
        self.assertEqual(inst.query("MOD 5;BOARD:LATC? 3;BOARD:LATC? 6;BOARD:LATC? 1"),
                         "7,14;31.5,63;0,0")
        inst.write("MOD 1")
        self.assertEqual(inst.query("BOARD:LATC? 2;LE?"), "4,8;2")
        self.assertNoError(inst)
        lines = self.stop().splitlines()
        self.assertIn("dsactl serve: power-up: loading the last state from " + self.state_file,
                      lines)
        self.assertIn('dsactl serve: power-up: MOD "VK58-Q5-S1";LE 3;STEP:WORD 14', lines)
        self.assertIn('dsactl serve: power-up: MOD "VK58-Q1-S1";LE 2', lines)
        self.assertFalse([line for line in lines if "error" in line], lines)

    def test_a_damaged_file_is_survived_and_loads_nothing(self):
        self.stop()
        os.makedirs(os.path.dirname(self.state_file), exist_ok=True)
        damaged = b'{"format": 1, "model": "VK58-Q5-S1", "le": 3, "lines": [{"le": 3, "mo'
        with open(self.state_file, "wb") as file:
            file.write(damaged)
        self.setUp()
        inst = self.open()
        self.assertEqual(inst.query("MOD?;LE?"), '0,"";1')
        self.assertEqual(inst.query("MOD 5;BOARD:LATC? 3"), "0,0")
        with open(self.state_file, "rb") as file:
            self.assertEqual(file.read(), damaged)
        # The next Load replaces it.
        inst.write("ATT 2")
        self.assertNoError(inst)
        rest = self.stop()
        self.assertRegex(rest, r"power-up: ignoring %s: not JSON .*; loading nothing"
                         % re.escape(self.state_file))
        with open(self.state_file) as file:
            self.assertEqual(json.load(file)["lines"], [{"le": 1, "model": "VK58-Q5-S1",
                                                         "word": 4}])


class PowerUpOnPort(StateHome):
    """--power-up last on a parallel port that the ppdev emulation library
    makes of a plain file in a prepared /dev: what the restarted server puts on
    the port's data lines."""
    BOARD = ["--port", "378"]

    def setUp(self):
        shim = os.environ.get("DSA_PPDEV_EMULATION_SHIM", "")
        self.assertTrue(os.path.isfile(shim), "DSA_PPDEV_EMULATION_SHIM does not name the ppdev "
                        "emulation library (build the target ppdev_emulation_shim): %r" % shim)
        if not hasattr(self, "tree"):
            self.tree = tempfile.mkdtemp()
            self.addCleanup(shutil.rmtree, self.tree)
            os.makedirs(os.path.join(self.tree, "proc", "parport0"))
            os.makedirs(os.path.join(self.tree, "dev"))
            with open(os.path.join(self.tree, "proc", "parport0", "base-addr"), "w") as file:
                file.write("888\t-1\n")
            self.node = os.path.join(self.tree, "dev", "parport0")
            open(self.node, "w").close()
            self.runs = 0
        self.runs += 1
        super().setUp()
        self.state_file = os.path.join(self.state_home, "dsactl", "serve-state.json")

    def server_environment(self):
        environment = super().server_environment()
        options = environment.get("ASAN_OPTIONS", "")
        environment.update({
            "DSACTL_TEST_PROC_PARPORT": os.path.join(self.tree, "proc"),
            "DSACTL_TEST_DEV_DIR": os.path.join(self.tree, "dev"),
            "LD_PRELOAD": os.environ["DSA_PPDEV_EMULATION_SHIM"],
            # The emulation library comes ahead of AddressSanitizer's on purpose.
            "ASAN_OPTIONS": (options + ":" if options else "") + "verify_asan_link_order=0",
            "DSA_PPDEV_WRITE_LOG": self.written_path(self.runs)})
        return environment

    def written_path(self, run):
        return os.path.join(self.tree, "written-%d" % run)

    def written(self, run):
        """The bytes that run put on the data lines."""
        if not os.path.exists(self.written_path(run)):
            return []
        with open(self.written_path(run)) as file:
            return [int(line) for line in file]

    def test_a_restarted_server_loads_every_line_back(self):
        inst = self.open()
        inst.write("MOD 5;LE 3;ATT 7;LE 6;ATT 31.5")
        self.assertNoError(inst)
        self.stop()
        loaded = self.written(1)
        # Each Load ends with its LE line's pulse: LE3 is D4, LE6 is D7.
        self.assertEqual([byte & 0xFC for byte in loaded if byte & 0xFC], [0x10, 0x80])
        self.setUp()
        self.assertEqual(self.open().query("MOD?;LE?;ATT?"), '5,"VK58-Q5-S1";6;31.5')
        rest = self.stop()
        self.assertEqual(self.written(2), loaded, rest)
        self.assertIn('dsactl serve: power-up: MOD "VK58-Q5-S1";LE 6;STEP:WORD 63', rest)

    def test_without_the_port_the_state_file_stays_as_it_was(self):
        self.assertEqual(self.open().query("MOD 5;LE 2;ATT 1;*OPC?"), "1")
        self.stop()
        with open(self.state_file, "rb") as file:
            saved = file.read()
        os.remove(self.node)
        self.setUp()
        inst = self.open()
        self.assertEqual(inst.query("MOD?;LE?"), '5,"VK58-Q5-S1";2')
        inst.write("MOD 1")
        rest = self.stop()
        self.assertIn("power-up: the port cannot be used now", rest)
        self.assertIn("1 error(s); serving all the same", rest)
        with open(self.state_file, "rb") as file:
            self.assertEqual(file.read(), saved)


class PowerUpFixed(ServerTestCase):
    OPTIONS = ["--power-up", "MOD 5;LE 3;ATT 31.5;ATT?;LE 9"]

    def test_it_runs_before_any_client_and_errors_do_not_stop_the_server(self):
        inst = self.open()
        self.assertEqual(inst.query("BOARD:LATC? 3;LE?"), "31.5,63;3")
        # Its errors were reported on standard error, not queued for a client.
        self.assertNoError(inst)
        self.server.send_signal(signal.SIGTERM)
        _, rest = self.server.communicate(timeout=10)
        self.assertEqual(self.server.returncode, 0, rest)
        self.assertEqual(rest.splitlines()[:3], [
            "dsactl serve: power-up: MOD 5;LE 3;ATT 31.5;ATT?;LE 9 -> 31.5",
            'dsactl serve: power-up: error -222,"Data out of range;LE lines are 1 to 6"',
            "dsactl serve: power-up: 1 error(s); serving all the same"])


class CommandLine(unittest.TestCase):
    def run_serve(self, *arguments):
        return subprocess.run([DSACTL, "serve", *arguments], capture_output=True, text=True,
                              timeout=10)

    def test_help(self):
        done = self.run_serve("--help")
        self.assertEqual(done.returncode, 0)
        self.assertIn("--listen ADDR:PORT", done.stdout)

    def test_bad_usage(self):
        for arguments in (["--bogus"], ["--listen", "1.2.3"], ["--listen", "127.0.0.1:70000"],
                          ["--port", "0x378"], ["extra"], ["--on-exit", ""],
                          ["--power-up", ""], ["--power-up", "MOD 5\nATT 3"]):
            with self.subTest(arguments=arguments):
                done = self.run_serve(*arguments)
                self.assertEqual(done.returncode, 64)
                self.assertEqual(len(done.stderr.splitlines()), 1, done.stderr)

    def test_simulated_board_only_at_its_address(self):
        done = self.run_serve("--simulate", "--port", "379", "--listen", "127.0.0.1:0")
        self.assertEqual(done.returncode, 69)
        self.assertIn("answers at 378, not at 379", done.stderr)

    def test_port_option_wins_over_the_address_file(self):
        with tempfile.TemporaryDirectory() as folder:
            with open(os.path.join(folder, "IOaddress.001"), "wb") as file:
                file.write(b"278\r\n")
            server = subprocess.Popen([DSACTL, "serve", "--port", "3bc", "--listen", "127.0.0.1:0"],
                                      cwd=folder, stderr=subprocess.PIPE, text=True)
            try:
                line = server.stderr.readline()
            finally:
                server.send_signal(signal.SIGTERM)
                server.communicate(timeout=10)
            self.assertRegex(line, r"listening on 127\.0\.0\.1:\d+, parallel port at 3BC$")

    def test_address_in_use(self):
        holder = socket.socket()
        holder.bind(("127.0.0.1", 0))
        holder.listen()
        self.addCleanup(holder.close)
        done = self.run_serve("--simulate", "--listen", "127.0.0.1:%d" % holder.getsockname()[1])
        self.assertEqual(done.returncode, 75)
        self.assertIn("cannot listen", done.stderr)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    DSACTL = os.path.abspath(sys.argv.pop(1))
    unittest.main(verbosity=2)
