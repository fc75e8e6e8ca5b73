"""The control API, the shipped scenarios, start-up and shutdown of the service."""

import json
import os
import shutil
import signal
import subprocess
import tempfile
import unittest

from support import SERVICE_DIR, Service, ServiceTestCase, certificate_dir

SCENARIOS_DIR = os.path.join(SERVICE_DIR, "scenarios")


class ControlTests(ServiceTestCase):
    def test_loading_a_scenario_resets_records_and_fault_plans(self):
        self.service.load({"files": {"/f/a": {"text": "a"}}, "faults": {"/f/a": [{"status": 503}]}})
        self.assertEqual(self.service.request("GET", "/f/a")[0], 503)
        self.assertEqual(len(self.service.requests()), 1)
        for name in ("downloads", "empty"):
            status, answer = self.service.control("POST", "scenario", {"name": name})
            self.assertEqual((status, answer["scenario"]), (200, name))
            self.assertEqual(self.service.control("GET", "health")[1]["scenario"], name)
        self.assertEqual(self.service.requests(), [])
        self.service.load({"files": {"/f/a": {"text": "a"}}, "faults": {"/f/a": [{"status": 503}]}})
        self.assertEqual(self.service.request("GET", "/f/a")[0], 503)

    def test_broken_scenarios_are_refused_with_a_reason(self):
        cases = {
            "unknown name": ({"name": "no-such-scenario"}, "cannot read"),
            "unknown step": ({"scenario": {"faults": {"/o": [{"stauts": 500}]}}}, "stauts"),
            "two bodies": ({"scenario": {"files": {"/x": {"text": "a", "file": "b"}}}},
                           "exactly one"),
            "bad extends": ({"scenario": {"extends": "no-such-scenario"}}, "cannot read"),
            "no scenario": ({}, "name"),
        }
        self.service.load({"files": {"/still": {"text": "here"}}})
        for case, (request, reason) in cases.items():
            with self.subTest(case):
                status, answer = self.service.control("POST", "scenario", request)
                self.assertEqual(status, 400)
                self.assertIn(reason, answer["error"])
        self.assertEqual(self.service.request("GET", "/still")[2], b"here")

    def test_control_requests_are_not_recorded(self):
        self.service.load({})
        self.service.request("GET", "/nothing")
        self.service.control("GET", "health")
        self.assertEqual([entry["path"] for entry in self.service.requests()], ["/nothing"])


class ShippedScenarioTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files_dir = tempfile.mkdtemp(prefix="standin-files-")
        for name in ("fake_offer_setup.exe", "fake_product_setup.exe"):
            with open(os.path.join(cls.files_dir, name), "wb") as stream:
                stream.write(b"MZ" + name.encode())
        cls.service = Service("demo", [cls.files_dir])

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.files_dir)

    def test_every_shipped_scenario_loads(self):
        names = sorted(name[:-5] for name in os.listdir(SCENARIOS_DIR) if name.endswith(".json"))
        self.assertGreaterEqual(set(names), {"demo", "empty", "config-retry", "telemetry-500",
                                             "downloads"})
        for name in names:
            with self.subTest(name):
                self.assertEqual(self.service.control("POST", "scenario", {"name": name})[0], 200)

    def test_demo_offers_point_at_served_files(self):
        self.service.control("POST", "scenario", {"name": "demo"})
        status, _, body = self.service.request("POST", "/o", b"{}")
        self.assertEqual(status, 400, "the demo checks the request document")
        self.service.load({"extends": "demo", "invalid_request": "answer"})
        config = json.loads(self.service.request("POST", "/o", b"{}")[2])
        offers = config["o"]
        self.assertGreaterEqual(len(offers), 6)
        self.assertEqual(len({offer["ps"]["v"] for offer in offers}), len(offers),
                         "offers sharing a vertical would refuse each other")
        paths = ["/f/" + offer["ps"]["u"] for offer in offers]
        base = f"https://localhost:{self.service.port}"
        paths += [config["i"][key].removeprefix(base) for key in ("cu", "cp", "ctu")]
        images = ["/f/" + offer["ps"]["i"] for offer in offers]
        if all(os.path.exists(os.path.join(SERVICE_DIR, "assets", path[1:])) for path in images):
            paths += images
        for path in paths:
            with self.subTest(path):
                self.assertEqual(self.service.request("GET", path)[0], 200)


class ProcessTests(unittest.TestCase):
    def test_run_fixture_starts_and_stops_one_service(self):
        build_dir = tempfile.mkdtemp(prefix="standin-build-")
        self.addCleanup(shutil.rmtree, build_dir)
        fixture = os.path.join(SERVICE_DIR, "run-fixture")
        subprocess.run([fixture, "start", build_dir, certificate_dir()], check=True, timeout=60)
        with open(os.path.join(build_dir, "service.pid")) as stream:
            pid = int(stream.read())
        with open(os.path.join(build_dir, "service.port")) as stream:
            port = int(stream.read())
        curl = ["curl", "--silent", "--fail", "--cacert", os.path.join(certificate_dir(), "ca.pem"),
                f"https://localhost:{port}/_control/health"]
        health = json.loads(subprocess.run(curl, check=True, capture_output=True).stdout)
        self.assertEqual(health, {"ok": True, "scenario": "demo", "port": port})
        subprocess.run([fixture, "stop", build_dir], check=True, timeout=30)
        with self.assertRaises(ProcessLookupError):
            os.kill(pid, 0)
        self.assertFalse(os.path.exists(os.path.join(build_dir, "service.port")))
        self.assertNotEqual(subprocess.run(curl, capture_output=True).returncode, 0)

    def test_signals_end_the_service_cleanly(self):
        for signal_number in (signal.SIGTERM, signal.SIGINT):
            with self.subTest(signal=signal_number.name):
                service = Service("empty")
                self.assertEqual(service.control("GET", "health")[0], 200)
                service.process.send_signal(signal_number)
                self.assertEqual(service.process.wait(timeout=10), 0)
                service.stop()


if __name__ == "__main__":
    unittest.main()
