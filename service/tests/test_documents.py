"""The checks of the configuration request and of telemetry envelopes, and what gets recorded."""

import hashlib
import json
import threading
import unittest

from support import REQUEST_DOCUMENT, ServiceTestCase, compact

CONFIG = {"l": "US", "f": {"a": "pub-1", "m": 2}, "o": []}


def make_event(user="user-1", session="session-1", event_id="1", **extra):
    event = {str(key): "" for key in range(23)}
    event.update({"1": user, "2": session, "6": event_id, "10": 1, "15": 0, "31": "10.0.19045",
                  "38": "0"})
    event.update(extra)
    return event


def envelope(event, data=None):
    return compact({"data": data if data is not None else compact(event).decode(),
                    "table": "zb_analytics"})


def signature(user, session):
    return "Signature=" + hashlib.sha256((user + session).encode()).hexdigest()


class ConfigurationRequestTests(ServiceTestCase):
    def post(self, body):
        status, _, answer = self.service.request("POST", "/o", body)
        return status, answer, self.service.requests()[-1]["check"]

    def test_only_the_exact_compact_form_is_accepted(self):
        self.service.load({"config": CONFIG})
        with_umlaut = dict(REQUEST_DOCUMENT, a="Jürgen")
        status, answer, check = self.post(compact(with_umlaut))
        self.assertEqual((status, check["valid"]), (200, True))
        self.assertEqual(json.loads(answer), CONFIG)
        self.assertEqual(check["document"], with_umlaut)
        rejected = {
            "spaced": (json.dumps(REQUEST_DOCUMENT, sort_keys=True).encode(), "compact"),
            "extra key": (compact(dict(REQUEST_DOCUMENT, x="1")), "unexpected keys: x"),
            "missing key": (compact({k: v for k, v in REQUEST_DOCUMENT.items() if k != "u"}),
                            "missing keys: u"),
            "number value": (compact(dict(REQUEST_DOCUMENT, prv=0.1)), "non-string values: prv"),
            "keys unsorted": (json.dumps(dict(reversed(REQUEST_DOCUMENT.items())),
                                         separators=(",", ":")).encode(), "byte order"),
            "non-ASCII escaped": (json.dumps(with_umlaut, separators=(",", ":"),
                                             sort_keys=True).encode(), "compact"),
            "not JSON": (b"a=1&i=2", "not JSON"),
        }
        for case, (body, reason) in rejected.items():
            with self.subTest(case):
                status, _, check = self.post(body)
                self.assertEqual((status, check["valid"]), (400, False))
                self.assertIn(reason, check["reason"])

    def test_expect_continue_gets_the_final_answer_only(self):
        self.service.load({"config": CONFIG})
        head, body, error = self.service.raw_request(
            "POST", "/o", compact(REQUEST_DOCUMENT),
            ["Expect: 100-continue", "Content-Type: application/json", "Connection: close"])
        self.assertIsNone(error)
        self.assertTrue(head.startswith("HTTP/1.1 200 "), head)
        self.assertEqual(json.loads(body), CONFIG)

    def test_scenario_may_answer_an_invalid_request_anyway(self):
        self.service.load({"config": CONFIG, "invalid_request": "answer"})
        status, answer, check = self.post(b'{"a": "spaced"}')
        self.assertEqual((status, json.loads(answer)), (200, CONFIG))
        self.assertFalse(check["valid"])

    def test_configuration_forms(self):
        base = f"https://localhost:{self.service.port}"
        raw = '{\n  "l": "US",\n  "cu": "@BASE@/x"\n}'
        cases = (
            ({"config": {"raw": raw}}, raw.replace("@BASE@", base).encode()),
            ({"config": {"raw": "{not json"}}, b"{not json"),
            ({"config": {"dn": "Two Words", "n": "Ünï"}},
             '{"dn":"Two Words","n":"Ünï"}'.encode()),
            ({"config": {"dn": "Two Words"}, "escape_spaces": True}, b'{"dn":"Two\\u0020Words"}'),
        )
        for scenario, expected in cases:
            with self.subTest(scenario=scenario):
                self.service.load(scenario)
                status, answer, _ = self.post(compact(REQUEST_DOCUMENT))
                self.assertEqual((status, answer), (200, expected))


class TelemetryTests(ServiceTestCase):
    def post(self, body, authorization):
        headers = {"Authorization": authorization, "Content-Type": "application/json"}
        return self.service.request("POST", "/zbd", body, headers)[0]

    def test_verdicts(self):
        self.service.load({})
        good = make_event("Ünïcode-user", "s-42")
        good_signature = signature("Ünïcode-user", "s-42")
        cases = {
            "ok": (envelope(good), good_signature, 200, "ok"),
            "wrong signature": (envelope(good), signature("Ünïcode-user", "s-43"), 400,
                                "bad signature"),
            "no signature": (envelope(good), "", 400, "bad signature"),
            "spaced envelope": (json.dumps({"data": compact(good).decode(),
                                            "table": "zb_analytics"}).encode(),
                                good_signature, 400, "bad envelope"),
            "other table": (compact({"data": compact(good).decode(), "table": "x"}),
                            good_signature, 400, "bad envelope"),
            "data not an object": (envelope(None, data="[1]"), good_signature, 400, "bad event"),
            "data not compact": (envelope(good, data=json.dumps(good, sort_keys=True)),
                                 good_signature, 200, "data not compact"),
            "number as text": (envelope(dict(good, **{"10": "2"})), good_signature, 200,
                               "event value 10 has the wrong type"),
            "unknown key": (envelope(dict(good, **{"39": ""})), good_signature, 200,
                            "unknown event keys: 39"),
        }
        for case, (body, authorization, status, verdict) in cases.items():
            with self.subTest(case):
                self.assertEqual(self.post(body, authorization), status)
                recorded = self.service.events()[-1]
                self.assertEqual((recorded["verdict"], recorded["status"]), (verdict, status))
                self.assertEqual(recorded["body"], body.decode())
                self.assertEqual(recorded["headers"]["Authorization"], authorization)
        recorded = self.service.events()[0]
        self.assertEqual(recorded["event"], good)
        self.assertIsNone(self.service.events()[5]["event"])

    def test_events_come_back_in_arrival_order(self):
        self.service.load({})
        user, session = "u", "s"
        for number in range(12):
            self.post(envelope(make_event(user, session, str(number))), signature(user, session))
        # Concurrent posts still get distinct, ordered stamps.
        threads = [threading.Thread(target=self.post, args=(
            envelope(make_event(user, session, "-1")), signature(user, session)))
            for _ in range(8)]
        for thread in threads:
            thread.start()
        for thread in threads:
            thread.join()
        events = self.service.events()
        self.assertEqual([entry["event"]["6"] for entry in events[:12]],
                         [str(number) for number in range(12)])
        self.assertEqual(len(events), 20)
        for earlier, later in zip(events, events[1:]):
            self.assertLess(earlier["seq"], later["seq"])
            self.assertLessEqual(earlier["time"]["monotonic"], later["time"]["monotonic"])
            self.assertLessEqual(earlier["time"]["wall"], later["time"]["wall"])

    def test_faults_on_telemetry_still_record_every_post(self):
        self.service.load({"faults": {"/zbd": [{"status": 500}, {"status": 500}]}})
        statuses = [self.post(envelope(make_event()), signature("user-1", "session-1"))
                    for _ in range(3)]
        self.assertEqual(statuses, [500, 500, 200])
        self.assertEqual([(entry["status"], entry["verdict"]) for entry in self.service.events()],
                         [(500, "ok"), (500, "ok"), (200, "ok")])


if __name__ == "__main__":
    unittest.main()
