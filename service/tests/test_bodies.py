"""Downloadable bodies: generated, from files, as text; keep-alive; the 256 MiB rate."""

import hashlib
import os
import shutil
import sys
import tempfile
import time
import unittest

from support import Service, ServiceTestCase


def reference_generated(size, seed):
    """The documented generator, written out independently of the service's code."""
    block = b"".join(hashlib.sha256(seed.to_bytes(8, "little") + i.to_bytes(4, "little")).digest()
                     for i in range(32768))
    out = bytearray()
    index = 0
    while len(out) < size:
        rotation = (index * 2654435761) % len(block)
        out += block[rotation:] + block[:rotation]
        index += 1
    return bytes(out[:size])


class GeneratedBodyTests(ServiceTestCase):
    def test_generated_bodies_are_deterministic_and_announce_their_length(self):
        sizes = {"/f/small.bin": (1000, 1), "/f/blocks.bin": (3 * 1048576 + 17, 1),
                 "/f/other.bin": (1000, 2), "/f/empty.bin": (0, 1)}
        self.service.load({"files": {path: {"generate": {"size": size, "seed": seed}}
                                     for path, (size, seed) in sizes.items()}})
        bodies = {}
        for path, (size, seed) in sizes.items():
            with self.subTest(path=path):
                status, headers, body = self.service.request("GET", path)
                self.assertEqual((status, headers["Content-Length"]), (200, str(size)))
                self.assertEqual(body, reference_generated(size, seed))
                self.assertEqual(self.service.request("GET", path)[2], body)
                bodies[path] = body
        self.assertNotEqual(bodies["/f/small.bin"], bodies["/f/other.bin"])
        self.assertEqual(bodies["/f/blocks.bin"][:1000], bodies["/f/small.bin"])

    def test_connection_is_kept_alive_across_answers(self):
        self.service.load({"files": {"/f/a.bin": {"generate": {"size": 5000}}},
                           "faults": {"/f/a.bin": [{"status": 503}]}})
        connection = self.service.connection()
        statuses = []
        for path in ("/f/a.bin", "/f/a.bin", "/missing", "/_control/health"):
            connection.request("GET", path)
            response = connection.getresponse()
            response.read()
            statuses.append(response.status)
            if len(statuses) == 1:
                first_socket = connection.sock
            self.assertIs(connection.sock, first_socket, f"reconnected before {path}")
        connection.close()
        self.assertEqual(statuses, [503, 200, 404, 200])

    def test_big_body_streams_at_a_reasonable_rate(self):
        size = 256 * 1048576
        self.service.load({"files": {"/f/big.bin": {"generate": {"size": size, "seed": 256}}}})
        connection = self.service.connection(timeout=120)
        started = time.monotonic()
        connection.request("GET", "/f/big.bin")
        response = connection.getresponse()
        received = 0
        buffer = bytearray(1048576)
        while True:
            count = response.readinto(buffer)
            if not count:
                break
            received += count
        elapsed = time.monotonic() - started
        connection.close()
        self.assertEqual(received, size)
        sys.stderr.write(f"\n256 MiB generated body: {elapsed:.2f} s, "
                         f"{size / 1048576 / elapsed:.0f} MiB/s ... ")


class FileTests(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.files_dir = tempfile.mkdtemp(prefix="standin-files-")
        with open(os.path.join(cls.files_dir, "fake_product_setup.exe"), "wb") as stream:
            stream.write(b"MZ fake product")
        os.mkdir(os.path.join(cls.files_dir, "f"))
        with open(os.path.join(cls.files_dir, "f", "loose.png"), "wb") as stream:
            stream.write(b"\x89PNG loose")
        cls.service = Service("common", [cls.files_dir])

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()
        shutil.rmtree(cls.files_dir)

    def test_paths_are_served_from_files_assets_and_text(self):
        self.service.load({"extends": "common", "files": {
            "/f/setup.exe?x=1": {"text": "with query"},
            "/f/setup.exe": {"text": "without query"},
            "/notes": {"text": "at @BASE@", "content_type": "text/html"},
            "/f/escape": {"file": "../tests/support.py"}}})
        with open(os.path.join(os.path.dirname(__file__), "..", "assets", "legal",
                               "terms-of-use.html"), "rb") as stream:
            terms = stream.read()
        expected = {
            "/endpoint/bramweb/os/riserollout/track/beta": (200, b"MZ fake product"),
            "/legal/terms-of-use/": (200, terms),
            "/f/loose.png": (200, b"\x89PNG loose"),
            "/f/setup.exe?x=1": (200, b"with query"),
            "/f/setup.exe?x=2": (200, b"without query"),
            "/notes": (200, f"at https://localhost:{self.service.port}".encode()),
            "/f/escape": (404, None),
            "/f/../scenarios/demo.json": (404, None),
            "/nowhere": (404, None),
        }
        for path, (status, body) in expected.items():
            with self.subTest(path=path):
                answer = self.service.request("GET", path)
                self.assertEqual(answer[0], status)
                if body is not None:
                    self.assertEqual(answer[2], body)
        self.assertEqual(self.service.request("HEAD", "/notes")[1]["Content-Type"], "text/html")
        recorded = [(entry["method"], entry["path"], entry["status"])
                    for entry in self.service.requests()]
        self.assertEqual(recorded[:2], [("GET", "/endpoint/bramweb/os/riserollout/track/beta",
                                         200), ("GET", "/legal/terms-of-use/", 200)])
        self.assertEqual(recorded[-1], ("HEAD", "/notes", 200))


if __name__ == "__main__":
    unittest.main()
