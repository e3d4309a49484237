"""Network receipt printers under Wine: install on a tcp: port without the
Standard TCP/IP Port monitor, plan's network port, ports refused before
anything changes, and probe against stand-in printers on 127.0.0.1."""
import json
import pathlib
import socket
import sys
import threading
import unittest

sys.path.insert(0, str(pathlib.Path(__file__).parent))
import winetest  # noqa: E402

ARGS = winetest.parse_args(["--package", "--tqinstall", "--checker", "--xcv"])
PACKAGE = pathlib.Path(ARGS.package)
TQINSTALL = PACKAGE / ARGS.tqinstall
XCV = ARGS.xcv
WINEARCH, ARCH = winetest.native_arch(TQINSTALL)
ENV = winetest.ENVIRONMENT[ARCH]
DEVICE = winetest.DEVICE_KEY
DLE_EOT = b"\x10\x04"


class StandInPrinter:
    """A printer on 127.0.0.1 that serves `connections` connections and ends.

    answers maps a DLE EOT request's n (1, 2, 4) to the byte it answers; None
    makes it accept and stay silent until the client goes. What each connection
    sent is kept in `received`. Every wait has a time limit, so the thread ends
    by itself even when no client comes.
    """

    def __init__(self, answers=None, connections=1, limit=60):
        self.answers = answers
        self.connections = connections
        self.received = []
        self.sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        self.sock.bind(("127.0.0.1", 0))
        self.sock.listen(connections)
        self.sock.settimeout(limit)
        self.port = self.sock.getsockname()[1]
        self.thread = threading.Thread(target=self._serve, daemon=True)
        self.thread.start()

    def _serve(self):
        try:
            for _ in range(self.connections):
                try:
                    conn, _ = self.sock.accept()
                except OSError:
                    return
                with conn:
                    conn.settimeout(30)
                    self._talk(conn)
        finally:
            self.sock.close()

    def _talk(self, conn):
        data = b""
        answered = 0
        while True:
            try:
                chunk = conn.recv(64)
            except OSError:
                break
            if not chunk:
                break
            data += chunk
            # One answer byte for each whole three-byte request.
            while self.answers is not None and len(data) >= 3 * (answered + 1):
                request = data[3 * answered:3 * answered + 3]
                if request[:2] == DLE_EOT and request[2] in self.answers:
                    conn.sendall(bytes([self.answers[request[2]]]))
                answered += 1
        self.received.append(data)

    def join(self):
        self.thread.join(timeout=70)
        return not self.thread.is_alive()


def closed_port():
    """A port on 127.0.0.1 where nothing listens: bound, never listening (a
    connection is refused), held until the test ends so no one else takes it."""
    s = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
    s.bind(("127.0.0.1", 0))
    return s


class Network(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        class Holder(unittest.TestCase):
            def runTest(self):
                pass

        # One machine for the whole class: the holder's cleanup discards it.
        cls.holder = Holder()
        cls.m = winetest.Machine(cls.holder, "network", arch=WINEARCH)

    @classmethod
    def tearDownClass(cls):
        cls.holder.doCleanups()

    def run_tq(self, *args):
        r = self.m.wine.run([TQINSTALL, *args], cwd=PACKAGE)
        return r.returncode, r.stdout.decode(errors="replace"), r.stderr.decode(errors="replace")

    def held(self):
        return self.m.check(ENV, DEVICE, "Device")

    def assert_nothing_installed(self):
        held = self.held()
        self.assertEqual(held["printers"], [])
        self.assertEqual([d["pName"] for d in held["drivers"]], [])
        self.assertFalse(held["registry"].get(DEVICE + "\\Device"))
        self.assertFalse((self.m.driver_dir(ARCH) / "TQA31.GPD").exists())

    # The order matters: the refusals first, on a machine where nothing is installed.
    def test_1_install_on_a_tcp_port_stops_cleanly_without_the_monitor(self):
        log = pathlib.Path(ARGS.work) / f"network-{WINEARCH}.log"
        log.unlink(missing_ok=True)
        code, report = self.m.install("--model", "5", "--port", "tcp:192.0.2.10", "--log", self.m.wine.dos_path(log))
        self.assertEqual(code, 1, report)
        self.assertFalse(report["succeeded"])
        self.assertEqual(len(report["steps"]), 1, report)
        step = report["steps"][0]
        self.assertEqual((step["step"], step["subject"], step["target"], step["outcome"]),
                         ("networkPort", "IP_192.0.2.10", "192.0.2.10:9100", "noPortMonitor"))
        self.assertEqual(step["error"], 1796)
        self.assertTrue(step["failed"])
        entry = json.loads(log.read_text().splitlines()[-1])
        self.assertEqual((entry["exitStatus"], entry["choices"]["port"]), (1, "IP_192.0.2.10"))
        self.assertEqual([s["step"] for s in entry["steps"]], ["networkPort"])
        log.unlink()

        code, out, _ = self.run_tq("install", "--model", "5", "--port", "tcp:kitchen:9101")
        self.assertEqual(code, 1, out)
        self.assertIn('Standard TCP/IP port "IP_kitchen_9101" for kitchen:9101: NOT MADE: '
                      'this Windows has no "Standard TCP/IP Port" port monitor', out)
        self.assertIn("Nothing was installed", out)
        self.assertNotIn("Copy ", out)
        self.assert_nothing_installed()
        ports = json.loads(self.run_tq("ports", "--json")[1])
        self.assertFalse([p for p in ports if p["name"].startswith("IP_")], ports)

    @unittest.skipUnless(XCV, "needs --xcv")
    def test_xcv_calls_of_the_platform_layer(self):
        # XcvData "AddPort" through our spooler wrapper makes a Local Port that
        # EnumPorts lists; the Standard TCP/IP Port monitor's Xcv name fails with 1796.
        port = "/tmp/tq-xcv-check-" + WINEARCH + ".bin"
        r = self.m.wine.run([XCV, port], check=True)
        self.assertEqual(json.loads(r.stdout), {"openLocal": 0, "addPortCall": 0, "addPortStatus": 0,
                                                "listed": True, "openTcp": 1796})

    def test_2_empty_and_unknown_ports_are_refused_with_nothing_changed(self):
        log = pathlib.Path(ARGS.work) / f"network-{WINEARCH}-refused.log"
        log.unlink(missing_ok=True)
        for port in ["", "LPT9:", "NoSuchPort"]:
            with self.subTest(port=port):
                code, out, err = self.run_tq("install", "--model", "5", "--port", port,
                                             "--log", self.m.wine.dos_path(log))
                self.assertEqual(code, 2, out + err)
                self.assertEqual(out, "")
                self.assertIn("--port is empty" if not port else f'the spooler has no port "{port}"', err)
                self.assertIn('The ports there are: "COM1:"', err)
                self.assertIn('"LPT1:"', err)
                self.assertIn("nothing was done", err)
        self.assertFalse(log.exists())
        self.assert_nothing_installed()
        # A listed port in other letters is the same port.
        code, report = self.m.install("--model", "5", "--port", "lpt2:", "--no-default")
        self.assertEqual(code, 0, report)
        status = json.loads(self.run_tq("status", "--json")[1])["models"][5]["printer"]
        self.assertEqual((status["state"], status["jobs"]), ("ready", 0))

    def test_plan_shows_the_network_port(self):
        code, out, err = self.run_tq("plan", "--model", "8", "--port", "tcp:192.168.1.50:9101", "--json")
        self.assertEqual(code, 0, err)
        plan = json.loads(out)
        self.assertEqual(plan["networkPort"], {"name": "IP_192.168.1.50_9101", "host": "192.168.1.50",
                                               "number": 9101, "protocol": "RAW", "snmp": False,
                                               "monitor": "Standard TCP/IP Port"})
        self.assertEqual(plan["printer"]["pPortName"], "IP_192.168.1.50_9101")
        self.assertIsNone(json.loads(self.run_tq("plan", "--json")[1])["networkPort"])
        code, out, _ = self.run_tq("plan", "--port", "tcp:kitchen.shop.local")
        self.assertEqual(code, 0)
        for line in ["name             IP_kitchen.shop.local", "host             kitchen.shop.local",
                     "number           9100", "protocol         RAW, SNMP off"]:
            self.assertIn(line, out)
        for bad, says in [("tcp:", "names no host"), ("tcp:10.0.0.1:0", "not a number 1..65535"),
                          ("tcp:10.0.0.300", "not an IPv4 address"), ("tcp:bad host", "not a host name")]:
            with self.subTest(port=bad):
                code, out, err = self.run_tq("plan", "--port", bad)
                self.assertEqual(code, 2, out)
                self.assertIn(says, err)
                code, out, err = self.run_tq("install", "--port", bad)
                self.assertEqual(code, 2, out)
                self.assertIn(says, err)

    def probe(self, target, *args):
        code, out, err = self.run_tq("probe", target, "--json", *args)
        try:
            return code, json.loads(out), err
        except json.JSONDecodeError:
            raise AssertionError(f"no JSON (exit {code}): {out!r} {err!r}")

    def test_probe_reads_stand_in_printers(self):
        cases = [
            ("ready", {1: 0x12, 2: 0x12, 4: 0x12}, 0,
             {"online": True, "coverOpen": False, "paperNearEnd": False, "paperOut": False, "drawerPin3High": False},
             "Ready to print."),
            ("near end, drawer high", {1: 0x16, 2: 0x12, 4: 0x1E}, 0,
             {"online": True, "coverOpen": False, "paperNearEnd": True, "paperOut": False, "drawerPin3High": True},
             "Ready to print."),
            ("offline, cover open, paper out", {1: 0x1A, 2: 0x16, 4: 0x72}, 1,
             {"online": False, "coverOpen": True, "paperNearEnd": False, "paperOut": True, "drawerPin3High": False},
             "NOT READY: offline, cover open, paper out."),
            ("not a printer", {1: 0x48, 2: 0x12, 4: 0x12}, 1,
             {"online": None, "coverOpen": False, "paperNearEnd": False, "paperOut": False, "drawerPin3High": None},
             "NOT READY: an answer that is not a printer's status (0x48)."),
        ]
        for name, answers, exit_status, fields, words in cases:
            with self.subTest(printer=name):
                printer = StandInPrinter(answers, connections=2)
                code, result, err = self.probe(f"127.0.0.1:{printer.port}")
                self.assertEqual(code, exit_status, (result, err))
                self.assertEqual({k: result[k] for k in fields}, fields)
                self.assertEqual((result["host"], result["port"], result["reachable"]),
                                 ("127.0.0.1", printer.port, True))
                self.assertIsInstance(result["ms"], int)
                code, out, _ = self.run_tq("probe", f"localhost:{printer.port}")  # a name, resolved
                self.assertEqual(code, exit_status, out)
                self.assertIn(words, out)
                self.assertTrue(printer.join(), "the stand-in printer did not end")
                self.assertEqual(printer.received, [b"\x10\x04\x01\x10\x04\x02\x10\x04\x04"] * 2)

    def test_probe_of_a_silent_printer_and_of_nothing(self):
        silent = StandInPrinter(None)
        code, result, err = self.probe(f"127.0.0.1:{silent.port}", "--timeout", "0.5")
        self.assertEqual(code, 1)
        self.assertTrue(result["reachable"])
        for key in ["online", "coverOpen", "paperNearEnd", "paperOut", "drawerPin3High"]:
            self.assertIsNone(result[key], key)
        self.assertGreaterEqual(result["ms"], 450)
        self.assertIn("no answer within the timeout", err)
        self.assertTrue(silent.join())
        self.assertEqual(silent.received, [b"\x10\x04\x01"])  # nothing more asked after the silence

        nobody = closed_port()
        self.addCleanup(nobody.close)
        port = nobody.getsockname()[1]
        code, result, err = self.probe(f"127.0.0.1:{port}")
        self.assertEqual(code, 1)
        self.assertEqual((result["reachable"], result["online"], result["port"]), (False, None, port))
        self.assertIn("unreachable", err)
        code, out, _ = self.run_tq("probe", f"127.0.0.1:{port}")
        self.assertEqual(code, 1)
        self.assertIn(f"Printer at 127.0.0.1:{port}: UNREACHABLE (error 10061", out)

        for bad in [["probe"], ["probe", "127.0.0.1:0"], ["probe", "1.2.3"], ["probe", "127.0.0.1", "--timeout", "0"],
                    ["probe", "127.0.0.1", "--timeout", "soon"]]:
            with self.subTest(args=bad):
                code, out, err = self.run_tq(*bad)
                self.assertEqual(code, 2, out + err)
                self.assertTrue(err.strip(), "a message says what is wrong")


if __name__ == "__main__":
    winetest.main()
