"""Starts real stand-in services for the tests and talks to them over TLS."""

import atexit
import http.client
import json
import os
import shutil
import socket
import ssl
import subprocess
import sys
import tempfile
import time
import unittest

SERVICE_DIR = os.path.dirname(os.path.dirname(os.path.abspath(__file__)))
sys.path.insert(0, SERVICE_DIR)

_certificate_dir = None


def certificate_dir():
    """One CA and localhost certificate per test process."""
    global _certificate_dir
    if _certificate_dir is None:
        directory = tempfile.mkdtemp(prefix="standin-certs-")
        atexit.register(shutil.rmtree, directory, True)
        script = os.path.join(os.path.dirname(SERVICE_DIR), "scripts", "make-test-certs")
        subprocess.run([script, directory], check=True)
        _certificate_dir = directory
    return _certificate_dir


def client_context():
    return ssl.create_default_context(cafile=os.path.join(certificate_dir(), "ca.pem"))


class Service:
    def __init__(self, scenario="empty", files_dirs=()):
        self.work_dir = tempfile.mkdtemp(prefix="standin-service-")
        port_file = os.path.join(self.work_dir, "port")
        certificates = certificate_dir()
        command = [sys.executable, os.path.join(SERVICE_DIR, "tessera_service.py"),
                   "--port", "0", "--port-file", port_file, "--scenario", scenario,
                   "--cert", os.path.join(certificates, "localhost.pem"),
                   "--key", os.path.join(certificates, "localhost.key")]
        for directory in files_dirs:
            command += ["--files", directory]
        self.process = subprocess.Popen(command, stdin=subprocess.DEVNULL)
        deadline = time.monotonic() + 15
        while not os.path.exists(port_file):
            if self.process.poll() is not None or time.monotonic() > deadline:
                self.stop()
                raise RuntimeError("the stand-in service did not start")
            time.sleep(0.05)
        with open(port_file) as stream:
            self.port = int(stream.read())
        self.context = client_context()

    def stop(self):
        if self.process.poll() is None:
            self.process.terminate()
            self.process.wait(timeout=10)
        shutil.rmtree(self.work_dir, ignore_errors=True)

    def connection(self, timeout=30):
        return http.client.HTTPSConnection("localhost", self.port, context=self.context,
                                           timeout=timeout)

    def request(self, method, path, body=None, headers=None):
        """Returns (status, response headers, body) over a fresh connection."""
        connection = self.connection()
        try:
            connection.request(method, path, body=body, headers=headers or {})
            response = connection.getresponse()
            return response.status, response.headers, response.read()
        finally:
            connection.close()

    def control(self, method, path, value=None):
        body = None if value is None else json.dumps(value).encode("utf-8")
        status, _, answer = self.request(method, "/_control/" + path, body)
        return status, json.loads(answer)

    def load(self, scenario):
        status, answer = self.control("POST", "scenario", {"scenario": scenario})
        if status != 200:
            raise AssertionError(f"scenario refused: {answer}")

    def requests(self):
        return self.control("GET", "requests")[1]

    def events(self):
        return self.control("GET", "events")[1]

    def raw_request(self, method, path, body=b"", headers=(), timeout=10):
        """A request with TLS kept apart from the socket, so transport events stay visible.

        Returns (head, body, transport error or None); a peer's RST shows up as
        ConnectionResetError, where an ssl socket would report a ragged EOF.
        """
        plain = socket.create_connection(("127.0.0.1", self.port), timeout=timeout)
        incoming, outgoing = ssl.MemoryBIO(), ssl.MemoryBIO()
        tls = self.context.wrap_bio(incoming, outgoing, server_hostname="localhost")
        received, error = bytearray(), None

        def exchange():
            plain.sendall(outgoing.read())
            data = plain.recv(65536)
            if data:
                incoming.write(data)
            else:
                incoming.write_eof()
            return bool(data)

        try:
            while True:
                try:
                    tls.do_handshake()
                    break
                except ssl.SSLWantReadError:
                    if not exchange():
                        raise ConnectionError("closed during the handshake")
            lines = [f"{method} {path} HTTP/1.1", f"Host: localhost:{self.port}", *headers]
            if body:
                lines.append(f"Content-Length: {len(body)}")
            tls.write(("\r\n".join(lines) + "\r\n\r\n").encode() + body)
            while True:
                try:
                    data = tls.read(65536)
                except ssl.SSLWantReadError:
                    if not exchange():
                        break
                    continue
                if not data:
                    # close_notify: what matters next is how the transport ends.
                    while exchange():
                        pass
                    break
                received += data
        except OSError as caught:
            error = caught
        finally:
            plain.close()
        head, _, body = bytes(received).partition(b"\r\n\r\n")
        return head.decode("latin-1"), body, error


class ServiceTestCase(unittest.TestCase):
    """One service per test class; each test starts from a scenario of its own."""

    scenario = "empty"
    files_dirs = ()

    @classmethod
    def setUpClass(cls):
        cls.service = Service(cls.scenario, cls.files_dirs)

    @classmethod
    def tearDownClass(cls):
        cls.service.stop()


def header_names(head):
    return {line.split(":", 1)[0].strip().lower() for line in head.split("\r\n")[1:]}


REQUEST_DOCUMENT = {"a": "acct", "i": "prod-7", "l": "en", "o": "10.0.19045",
                    "plv": "1.2.0.5", "prv": "0.1", "s": "setup-9", "u": "ab-cdef"}


def compact(value):
    return json.dumps(value, separators=(",", ":"), sort_keys=True,
                      ensure_ascii=False).encode("utf-8")
