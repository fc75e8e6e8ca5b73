"""HTTP/1.1 request handling: the configuration, telemetry and download endpoints."""

import json
import re
import time
from http.server import BaseHTTPRequestHandler
from urllib.parse import urlsplit

from . import control
from .bodies import BytesBody
from .delivery import Response, deliver, text_response
from .documents import REJECTED_VERDICTS, check_request_document, check_telemetry
from .scenario import BASE_PLACEHOLDER
from .state import RedirectChain

CHAIN_PATH = re.compile(r"/_r/(\d+)/(\d+)")
LOOPBACK_HOST = re.compile(r"(localhost|127\.0\.0\.1)(:\d+)?")


class StandInHandler(BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "TesseraStandIn/1.0"
    # An idle keep-alive connection is dropped after this many seconds.
    timeout = 120

    def handle_expect_100(self):
        # Wine's WinHTTP fails on an interim 100 response, and the setup always
        # sends "Expect: 100-continue" together with its body.
        return True

    def version_string(self):
        return self.server_version

    def log_message(self, format, *args):
        if self.server.verbose:
            super().log_message(format, *args)

    def do_GET(self):
        self._handle()

    do_HEAD = do_POST = do_PUT = do_DELETE = do_GET

    def _handle(self):
        body = self._read_body()
        if body is None:
            self.close_connection = True
            deliver(self, text_response(400, "unreadable request body"), {})
            return
        if self.path.startswith("/_control/"):
            control.handle(self, body)
            return
        recorder = self.server.state.recorder
        self._event = None
        entry = recorder.add_request(self.command, self.path, self.header_dict(), len(body))
        status, outcome = self._answer(body, entry)
        recorder.update(entry, status=status, outcome=outcome)
        if self._event is not None:
            recorder.update(self._event, status=status)

    def _read_body(self):
        if "chunked" in self.headers.get("Transfer-Encoding", "").lower():
            return self._read_chunked()
        try:
            length = int(self.headers.get("Content-Length", "0"))
        except ValueError:
            return None
        if length < 0:
            return None
        data = self.rfile.read(length) if length else b""
        return data if len(data) == length else None

    def _read_chunked(self):
        parts = []
        while True:
            line = self.rfile.readline(1024)
            try:
                size = int(line.split(b";")[0], 16)
            except ValueError:
                return None
            if size == 0:
                while self.rfile.readline(1024) not in (b"\r\n", b"\n", b""):
                    pass
                return b"".join(parts)
            parts.append(self.rfile.read(size))
            self.rfile.readline(1024)

    def header_dict(self):
        headers = {}
        for name, value in self.headers.items():
            headers[name] = headers[name] + ", " + value if name in headers else value
        return headers

    def base_url(self):
        host = self.headers.get("Host", "")
        if not LOOPBACK_HOST.fullmatch(host):
            host = f"localhost:{self.server.port}"
        return "https://" + host

    def _answer(self, body, entry):
        state = self.server.state
        chain_match = CHAIN_PATH.fullmatch(urlsplit(self.path).path)
        if chain_match:
            return self._follow_chain(chain_match.group(1), int(chain_match.group(2)), body, entry)
        step = state.next_fault(self.path, body) or {}
        if step:
            state.recorder.update(entry, fault=step)
        # The normal answer is always worked out, before any delay: its checks and
        # records must not depend on whether a fault replaces what is sent.
        response = self._normal_response(self.path, body, entry)
        if step.get("delay"):
            time.sleep(step["delay"])
        if step.get("redirect"):
            chain = RedirectChain(self.path, step, step.get("status", 302))
            chain_id = state.start_chain(chain)
            return self._redirect(chain, chain_id, step["redirect"] - 1)
        if "location" in step:
            location = step["location"].replace(BASE_PLACEHOLDER, self.base_url())
            response = Response(step.get("status", 302), headers=[("Location", location)])
            return response.status, deliver(self, response, {})
        if "status" in step:
            payload = step.get("body", "")
            if not isinstance(payload, str):
                payload = json.dumps(payload, separators=(",", ":"), ensure_ascii=False)
            response = text_response(step["status"], payload,
                                     step.get("content_type", "text/plain; charset=utf-8"))
        return response.status, deliver(self, response, step)

    def _redirect(self, chain, chain_id, remaining):
        location = f"{self.base_url()}/_r/{chain_id}/{remaining}"
        response = Response(chain.status, headers=[("Location", location)])
        return chain.status, deliver(self, response, {})

    def _follow_chain(self, chain_id, remaining, body, entry):
        chain = self.server.state.chain(chain_id)
        if chain is None:
            return 404, deliver(self, text_response(404, "unknown redirect chain"), {})
        if remaining > 0:
            return self._redirect(chain, chain_id, remaining - 1)
        response = self._normal_response(chain.target, body, entry)
        return response.status, deliver(self, response, chain.final_step)

    def _normal_response(self, target, body, entry):
        path = urlsplit(target).path
        if path == "/o":
            return self._configuration(body, entry) if self.command == "POST" else _not_allowed()
        if path == "/zbd":
            return self._telemetry(target, body) if self.command == "POST" else _not_allowed()
        if self.command not in ("GET", "HEAD"):
            return _not_allowed()
        scenario = self.server.state.scenario
        found = scenario.body_for(target, self.server.state.resolver, self.base_url())
        return Response(200, found) if found else text_response(404, "not found")

    def _configuration(self, body, entry):
        valid, reason, document = check_request_document(body)
        self.server.state.recorder.update(
            entry, check={"valid": valid, "reason": reason, "document": document})
        scenario = self.server.state.scenario
        if not valid and scenario.invalid_request == "reject":
            return text_response(400, "invalid configuration request: " + reason)
        answer = scenario.config_body(self.base_url())
        if answer is None:
            return text_response(404, "this scenario has no configuration")
        return Response(200, BytesBody(answer, "application/json"))

    def _telemetry(self, target, body):
        verdict, problems, event = check_telemetry(body, self.headers.get("Authorization"))
        self._event = self.server.state.recorder.add_event(
            target, self.header_dict(), body, verdict, problems, event)
        status = 400 if verdict in REJECTED_VERDICTS else 200
        answer = json.dumps({"verdict": verdict}).encode("utf-8")
        return Response(status, BytesBody(answer, "application/json"))


def _not_allowed():
    return text_response(405, "method not allowed")
