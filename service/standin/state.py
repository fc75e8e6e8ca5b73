"""The service's mutable state: current scenario, fault counters, redirect chains, records."""

import hashlib
import threading

from .records import Recorder


class RedirectChain:
    def __init__(self, target, step, status):
        self.target = target
        # The body faults of the redirecting step apply to the final answer.
        self.final_step = {key: value for key, value in step.items()
                           if key not in ("redirect", "status", "delay", "repeat")}
        self.status = status


class ServiceState:
    def __init__(self, scenario, resolver, scenarios_dir):
        self.resolver = resolver
        self.scenarios_dir = scenarios_dir
        self.recorder = Recorder()
        self._lock = threading.Lock()
        self._scenario = scenario
        self._counters = {}
        self._chains = {}
        self._bodies_seen = {}

    @property
    def scenario(self):
        with self._lock:
            return self._scenario

    def load(self, scenario):
        with self._lock:
            self._scenario = scenario
            self._restart_faults()
        self.recorder.clear()

    def reset(self):
        with self._lock:
            self._restart_faults()
        self.recorder.clear()

    def _restart_faults(self):
        self._counters.clear()
        self._chains.clear()
        self._bodies_seen.clear()

    def next_fault(self, target, body=b""):
        """The fault step for this request of `target`, or None for the normal answer.

        A step with "new_bodies_only" passes over a body this path has had before: that request gets
        the normal answer and leaves the step for the next one.
        """
        with self._lock:
            key = self._scenario.lookup(self._scenario.faults, target)
            if key is None:
                return None
            index = self._counters.get(key, 0)
            step = self._scenario.faults[key].step(index)
            if step and step.get("new_bodies_only"):
                seen = self._bodies_seen.setdefault(key, set())
                digest = hashlib.sha256(body).digest()
                if digest in seen:
                    return None
                seen.add(digest)
            self._counters[key] = index + 1
            return step

    def start_chain(self, chain):
        with self._lock:
            chain_id = str(len(self._chains) + 1)
            self._chains[chain_id] = chain
            return chain_id

    def chain(self, chain_id):
        with self._lock:
            return self._chains.get(chain_id)
