#!/usr/bin/python3
"""`dsactl serve --announce` against a real Avahi daemon: the service appears
with its port and TXT record, on the interfaces of its listening address,
under Avahi's alternative name when its own is taken, and is gone once the
server stops; without Avahi the server says so once, serves all the same,
and announces itself when Avahi comes up.

Usage: test_serve_announce.py /path/to/dsactl [unittest options]

The test starts every daemon it needs: in network, mount and PID namespaces
of its own (unshare, as root or through sudo), with /run on a tmpfs there, a private dbus-daemon stands in for the system bus and an
avahi-daemon of its own runs on two veth interfaces. Nothing of the machine's
own D-Bus or Avahi is seen or touched. A daemon that does not start fails the
test with the reason."""

import os
import queue
import re
import select
import shutil
import signal
import socket
import subprocess
import sys
import tempfile
import threading
import time
import unittest

DSACTL = None
NAMESPACE_MARK = "DSA_ANNOUNCE_TEST_NAMESPACE"
SERVICE_TYPE = "_scpi-raw._tcp"
# Two interfaces, each one end of a veth pair whose other end stays out of
# Avahi's way: a service on 10.77.0.1 is announced on v0 only.
INTERFACES = {"v0": "10.77.0.1", "w0": "10.78.0.1"}
# Waits longer than any step takes on a loaded machine, short enough to fail.
START_SECONDS = 20
BROWSE_SECONDS = 20

WORK = None  # the temporary folder of the bus socket and the daemons' configs


def run_in_namespaces():
    """Runs this script again in namespaces of its own; returns its status."""
    for tool in ("unshare", "ip", "mount", "dbus-daemon", "avahi-daemon", "avahi-browse"):
        if shutil.which(tool) is None and not os.path.exists("/usr/sbin/" + tool):
            sys.exit("FAIL: %s is missing (Debian: bash scripts/setup.sh --for-tests "
                     "installs dbus, avahi-daemon, avahi-utils, iproute2)" % tool)
    # In a PID namespace of its own, every daemon ends with the test, however
    # the test ends (--kill-child: even when unshare itself is killed).
    unshare = ["unshare", "--net", "--mount", "--propagation", "private", "--pid", "--fork",
               "--kill-child", "--mount-proc"]
    # avahi-daemon insists on root (it gives its runtime folder to the user
    # avahi), which a user namespace cannot map: root, or root through sudo.
    if os.geteuid() != 0:
        if shutil.which("sudo") is None or subprocess.run(
                ["sudo", "-n", "true"], capture_output=True, timeout=30).returncode != 0:
            sys.exit("FAIL: the test's own avahi-daemon needs root: run the test as root, or "
                     "as a user whom sudo lets run commands without a password")
        unshare[0:0] = ["sudo", "-n", "--preserve-env"]
    probe = subprocess.run(unshare + ["true"], capture_output=True, text=True, timeout=30)
    if probe.returncode != 0:
        sys.exit("FAIL: cannot make network, mount and PID namespaces for the test's own "
                 "daemons (%s: %s)" % (" ".join(unshare), probe.stderr.strip()))
    environment = dict(os.environ, **{NAMESPACE_MARK: "1"})
    return subprocess.call(unshare + ["--", sys.executable, os.path.abspath(__file__)]
                           + sys.argv[1:], env=environment)


def must(command):
    done = subprocess.run(command, capture_output=True, text=True, timeout=30)
    if done.returncode != 0:
        raise RuntimeError("%s: %s" % (" ".join(command), done.stderr.strip()))


def set_up_network():
    """/run on a tmpfs of this namespace (avahi-daemon's pid file and socket
    live there), loopback up, and the two veth pairs."""
    must(["mount", "-t", "tmpfs", "tmpfs", "/run"])
    must(["ip", "link", "set", "lo", "up"])
    for name, address in INTERFACES.items():
        must(["ip", "link", "add", name, "type", "veth", "peer", "name", name + "p"])
        must(["ip", "addr", "add", address + "/24", "dev", name])
        must(["ip", "link", "set", name, "up"])
        must(["ip", "link", "set", name + "p", "up"])


BUS_CONFIG = """<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <auth>EXTERNAL</auth>
  <listen>unix:path=%s</listen>
  <policy context="default">
    <allow user="*"/>
    <allow own="*"/>
    <allow send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
  </policy>
</busconfig>
"""

AVAHI_CONFIG = """[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=%s
enable-dbus=yes
disallow-other-stacks=no
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[wide-area]
enable-wide-area=no
[publish]
publish-hinfo=no
publish-workstation=no
"""


class Output:
    """A process's output lines, read in a thread, waited for with a bound."""

    def __init__(self, process, stream):
        self.process = process
        self.seen = []  # lines matched and taken
        self.lines = []  # lines not matched yet
        self.queue = queue.Queue()
        threading.Thread(target=self._read, args=(stream,), daemon=True).start()

    def _read(self, stream):
        with stream:
            for line in stream:
                self.queue.put(line.rstrip("\n"))
        self.queue.put(None)

    def wait_for(self, pattern, seconds, what):
        deadline = time.monotonic() + seconds
        while True:
            for line in self.lines:
                found = re.search(pattern, line)
                if found:
                    self.lines.remove(line)
                    self.seen.append(line)
                    return found
            left = deadline - time.monotonic()
            if left <= 0:
                raise AssertionError("%s: no line matching %r in %d s; output: %r"
                                     % (what, pattern, seconds, self.everything()))
            try:
                line = self.queue.get(timeout=left)
            except queue.Empty:
                continue
            if line is None:
                raise AssertionError("%s: ended (status %s) before a line matching %r; "
                                     "output: %r" % (what, self.process.wait(timeout=10),
                                                     pattern, self.everything()))
            self.lines.append(line)

    def rest(self, seconds=10):
        """Every line once the process has ended."""
        deadline = time.monotonic() + seconds
        while True:
            try:
                line = self.queue.get(timeout=max(0.0, deadline - time.monotonic()))
            except queue.Empty:
                raise AssertionError("output still open after %d s: %r"
                                     % (seconds, self.everything()))
            if line is None:
                return self.everything()
            self.lines.append(line)

    def everything(self):
        return self.seen + self.lines


def start(command, environment):
    process = subprocess.Popen(command, env=environment, stdin=subprocess.DEVNULL,
                               stdout=subprocess.PIPE, stderr=subprocess.STDOUT, text=True)
    return process, Output(process, process.stdout)


def stop(process, sig=signal.SIGTERM):
    """Stops a process and returns its status; kills it after 10 s."""
    if process.poll() is None:
        process.send_signal(sig)
        try:
            process.wait(timeout=10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait(timeout=10)
            raise AssertionError("%s did not stop on signal %d" % (process.args[0], sig))
    return process.returncode


def unescape(name):
    """avahi-browse -p writes bytes outside letters and digits as \\DDD."""
    return re.sub(r"\\(\d{3})", lambda found: chr(int(found.group(1))), name)


class Browsed:
    def __init__(self, line):
        fields = line.split(";", 9)
        (_, self.interface, self.protocol, name, self.type, _, self.host, self.address,
         port, txt) = fields
        self.name = unescape(name)
        self.port = int(port)
        self.txt = sorted(re.findall(r'"((?:[^"\\]|\\.)*)"', txt))

    def __repr__(self):
        return "%s on %s at %s:%d %s" % (self.name, self.interface, self.address, self.port,
                                         self.txt)


class AnnounceTestCase(unittest.TestCase):
    def setUp(self):
        self.bus_path = os.path.join(WORK, "bus-%s" % self._testMethodName)
        self.environment = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS="unix:path=" + self.bus_path)
        self.environment.pop("DBUS_SESSION_BUS_ADDRESS", None)
        self.avahi = None
        self.start_bus()

    def start_bus(self):
        config = os.path.join(WORK, "bus.conf")
        with open(config, "w") as file:
            file.write(BUS_CONFIG % self.bus_path)
        log_path = os.path.join(WORK, "dbus-daemon.log")
        with open(log_path, "w") as log:
            bus = subprocess.Popen(["dbus-daemon", "--config-file=" + config, "--nofork",
                                    "--print-address"], stdin=subprocess.DEVNULL,
                                   stdout=subprocess.PIPE, stderr=log, text=True)
        self.addCleanup(stop, bus)
        with bus.stdout:
            ready, _, _ = select.select([bus.stdout], [], [], START_SECONDS)
            address = bus.stdout.readline() if ready else ""
        if "unix:path=" + self.bus_path not in address:
            stop(bus)
            with open(log_path) as log:
                self.fail("the private dbus-daemon did not start in %d s: %r %r"
                          % (START_SECONDS, address, log.read()))

    def start_avahi(self):
        config = os.path.join(WORK, "avahi-daemon.conf")
        with open(config, "w") as file:
            file.write(AVAHI_CONFIG % ",".join(INTERFACES))
        self.avahi, output = start(["avahi-daemon", "--no-drop-root", "--no-chroot",
                                    "--no-rlimits", "-f", config], self.environment)
        self.addCleanup(stop, self.avahi)
        output.wait_for(r"Server startup complete", START_SECONDS, "avahi-daemon")

    def stop_avahi(self):
        self.assertEqual(stop(self.avahi), 0, "avahi-daemon's exit status")

    def serve(self, listen):
        server, output = start([DSACTL, "serve", "--simulate", "--announce",
                                "--listen", listen], self.environment)
        self.addCleanup(stop, server)
        found = output.wait_for(r"listening on .*:(\d+), simulated board", START_SECONDS,
                                "dsactl serve")
        return server, output, int(found.group(1))

    def stop_server(self, server, output):
        self.assertEqual(stop(server), 0, output.everything())
        return output.rest()

    def browse(self):
        done = subprocess.run(["avahi-browse", "-rpt", SERVICE_TYPE], env=self.environment,
                              capture_output=True, text=True, timeout=BROWSE_SECONDS)
        self.assertEqual(done.returncode, 0, "avahi-browse: " + done.stderr)
        return [Browsed(line) for line in done.stdout.splitlines() if line.startswith("=;")]

    def browse_until(self, wanted, what):
        """Browses until `wanted(services)` holds; returns the services."""
        deadline = time.monotonic() + BROWSE_SECONDS
        while True:
            services = self.browse()
            if wanted(services):
                return services
            if time.monotonic() > deadline:
                self.fail("%s: not so after %d s; browsed %r" % (what, BROWSE_SECONDS, services))
            time.sleep(0.3)

    def ask(self, address, port, query):
        with socket.create_connection((address, port), timeout=5) as connection:
            connection.sendall(query + b"\n")
            reply = b""
            while not reply.endswith(b"\n"):
                chunk = connection.recv(1024)
                self.assertTrue(chunk, "the server closed the connection")
                reply += chunk
            return reply.rstrip(b"\r\n").decode()


def named(services, name):
    return [service for service in services if service.name == name]


class WithAvahi(AnnounceTestCase):
    def setUp(self):
        super().setUp()
        self.start_avahi()

    def test_the_service_has_its_port_and_idn_texts_and_goes_at_stop(self):
        server, output, port = self.serve("0.0.0.0:0")
        found = output.wait_for(r'announced as "(Attenuator board on [^"]+)" '
                                r'\(_scpi-raw\._tcp on port (\d+), all interfaces, IPv4\)',
                                START_SECONDS, "dsactl serve")
        name = found.group(1)
        self.assertEqual(int(found.group(2)), port)

        services = self.browse_until(lambda found: len(named(found, name)) == 2,
                                     "the service on both interfaces")
        self.assertEqual(sorted(s.interface for s in named(services, name)), ["v0", "w0"])
        for service in named(services, name):
            self.assertEqual((service.type, service.protocol, service.port),
                             (SERVICE_TYPE, "IPv4", port))
            self.assertEqual(service.address, INTERFACES[service.interface])
            # The TXT record says what *IDN? says, at the address and port browsed.
            maker, model, _, version = self.ask(service.address, service.port,
                                                b"*IDN?").split(",")
            self.assertEqual(service.txt, sorted(["manufacturer=" + maker, "model=" + model,
                                                  "version=" + version]))

        rest = self.stop_server(server, output)
        self.assertIn("dsactl serve: stopped", rest)
        self.browse_until(lambda found: not named(found, name), "the service gone after stop")

    def test_an_address_is_announced_on_its_interface_and_a_taken_name_changes(self):
        everywhere, everywhere_output, _ = self.serve("0.0.0.0:0")
        name = everywhere_output.wait_for(r'announced as "([^"]+)"', START_SECONDS,
                                          "the first server").group(1)
        on_w0, on_w0_output, port = self.serve(INTERFACES["w0"] + ":0")
        found = on_w0_output.wait_for(r'announced as "([^"]+)" \(_scpi-raw\._tcp on port \d+, '
                                      r'interface (\w+), IPv4, as "([^"]+)" was taken\)',
                                      START_SECONDS, "the second server")
        self.assertEqual(found.groups(), (name + " #2", "w0", name))

        services = self.browse_until(lambda found: len(named(found, name + " #2")) == 1
                                     and len(named(found, name)) == 2,
                                     "the first on both interfaces, the second on w0")
        second = named(services, name + " #2")[0]
        self.assertEqual((second.interface, second.address, second.port),
                         ("w0", INTERFACES["w0"], port))

        self.stop_server(on_w0, on_w0_output)
        self.browse_until(lambda found: not named(found, name + " #2")
                          and len(named(found, name)) == 2, "only the second one gone")
        self.stop_server(everywhere, everywhere_output)


class WithoutAvahi(AnnounceTestCase):
    UNANNOUNCED = r"^dsactl serve: not announced on the network: (.*); serving all the same$"

    def test_says_so_once_serves_and_announces_when_avahi_comes(self):
        server, output, port = self.serve("0.0.0.0:0")
        found = output.wait_for(self.UNANNOUNCED, START_SECONDS, "dsactl serve")
        self.assertEqual(found.group(1), "no Avahi daemon on the system D-Bus")
        self.assertEqual(self.ask(INTERFACES["v0"], port, b"*IDN?").split(",")[1], "dsactl")

        # Avahi comes up after the server; then goes, and comes back.
        self.start_avahi()
        name = output.wait_for(r'announced as "([^"]+)"', START_SECONDS,
                               "dsactl serve after Avahi started").group(1)
        self.browse_until(lambda found: len(named(found, name)) == 2, "announced late")
        self.stop_avahi()
        output.wait_for(r"Avahi left the system D-Bus", START_SECONDS, "dsactl serve")
        self.start_avahi()
        output.wait_for(r'announced as "%s"' % re.escape(name), START_SECONDS,
                        "dsactl serve after Avahi restarted")
        self.browse_until(lambda found: len(named(found, name)) == 2, "announced again")

        rest = self.stop_server(server, output)
        self.assertEqual(len([line for line in rest if re.search(self.UNANNOUNCED, line)]), 1,
                         rest)

    def test_without_a_system_bus_says_so_and_serves(self):
        self.environment["DBUS_SYSTEM_BUS_ADDRESS"] = "unix:path=" + os.path.join(WORK, "none")
        server, output, port = self.serve("0.0.0.0:0")
        found = output.wait_for(self.UNANNOUNCED, START_SECONDS, "dsactl serve")
        self.assertRegex(found.group(1), r"^no system D-Bus \(.+\)$")
        self.assertEqual(self.ask(INTERFACES["v0"], port, b"*IDN?").split(",")[1], "dsactl")
        self.stop_server(server, output)


if __name__ == "__main__":
    if len(sys.argv) < 2:
        sys.exit(__doc__)
    if os.environ.get(NAMESPACE_MARK) != "1":
        sys.exit(run_in_namespaces())
    DSACTL = os.path.abspath(sys.argv.pop(1))
    try:
        set_up_network()
    except (RuntimeError, subprocess.TimeoutExpired) as problem:
        sys.exit("FAIL: cannot set up the test's network: %s" % problem)
    with tempfile.TemporaryDirectory() as folder:
        WORK = folder
        unittest.main(verbosity=2)
