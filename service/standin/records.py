"""What the service saw: every request, and every telemetry post as an event."""

import copy
import threading
import time


class Recorder:
    def __init__(self):
        self._lock = threading.Lock()
        self._requests = []
        self._events = []
        self._sequence = 0

    def _stamp(self):
        # Called under the lock, so sequence numbers and times grow together.
        self._sequence += 1
        return self._sequence, {"monotonic": time.monotonic(), "wall": time.time()}

    def add_request(self, method, target, headers, body_size):
        with self._lock:
            sequence, stamp = self._stamp()
            entry = {"seq": sequence, "method": method, "path": target,
                     "headers": headers, "body_size": body_size, "time": stamp,
                     "status": None, "fault": None}
            self._requests.append(entry)
            return entry

    def add_event(self, target, headers, body, verdict, problems, event):
        with self._lock:
            sequence, stamp = self._stamp()
            entry = {"seq": sequence, "path": target, "time": stamp, "event": event,
                     "body": body.decode("utf-8", errors="replace"), "headers": headers,
                     "verdict": verdict, "problems": problems, "status": None}
            self._events.append(entry)
            return entry

    def update(self, entry, **values):
        with self._lock:
            entry.update(values)

    def requests(self):
        with self._lock:
            return copy.deepcopy(self._requests)

    def events(self):
        with self._lock:
            return copy.deepcopy(self._events)

    def clear(self):
        with self._lock:
            self._requests.clear()
            self._events.clear()
