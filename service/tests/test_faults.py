"""Each fault step must really happen on the wire."""

import http.client
import time
import unittest
from urllib.parse import urlsplit

from support import REQUEST_DOCUMENT, ServiceTestCase, compact, header_names

from standin.bodies import generated_bytes

SIZE = 200_000


def generated_file(seed=1, size=SIZE):
    return {"generate": {"size": size, "seed": seed}}


class FaultPlanTests(ServiceTestCase):
    def test_statuses_are_answered_in_order_then_the_normal_answer(self):
        self.service.load({"config": {"o": []}, "faults": {"/o": [
            {"status": 503, "body": "busy"}, {"status": 500, "body": {"error": 1}},
            {"status": 299, "body": "odd"}]}})
        answers = [self.service.request("POST", "/o", compact(REQUEST_DOCUMENT))
                   for _ in range(4)]
        self.assertEqual([(status, body) for status, _, body in answers],
                         [(503, b"busy"), (500, b'{"error":1}'), (299, b"odd"), (200, b'{"o":[]}')])

    def test_no_content_status_sends_neither_body_nor_length(self):
        self.service.load({"files": {"/f/a.bin": generated_file()},
                           "faults": {"/f/a.bin": [{"status": 204, "body": "ignored"}]}})
        connection = self.service.connection()
        connection.request("GET", "/f/a.bin")
        response = connection.getresponse()
        self.assertEqual((response.status, response.read()), (204, b""))
        self.assertIsNone(response.getheader("Content-Length"))
        connection.request("GET", "/f/a.bin")
        self.assertEqual(len(connection.getresponse().read()), SIZE,
                         "the connection must stay usable after a 204")
        connection.close()

    def test_repeat_applies_the_last_step_forever(self):
        for form in ([{"status": 500}, {"status": 502, "repeat": True}],
                     {"steps": [{"status": 500}, {"status": 502}], "repeat": True}):
            with self.subTest(form=form):
                self.service.load({"files": {"/f/a.bin": generated_file()},
                                   "faults": {"/f/a.bin": form}})
                statuses = [self.service.request("GET", "/f/a.bin")[0] for _ in range(5)]
                self.assertEqual(statuses, [500, 502, 502, 502, 502])

    def test_a_step_for_new_bodies_only_answers_every_second_attempt(self):
        self.service.load({"config": {"o": []}, "faults": {"/o": [
            {"status": 500, "new_bodies_only": True, "repeat": True}]}})
        first, second = compact(REQUEST_DOCUMENT), compact(dict(REQUEST_DOCUMENT, l="de"))
        statuses = [self.service.request("POST", "/o", body)[0] for body in (first, second, first, second, first)]
        self.assertEqual(statuses, [500, 500, 200, 200, 200])

    def test_plans_count_per_path_and_restart_on_reset(self):
        self.service.load({"files": {"/f/a.bin": generated_file(), "/f/b.bin": generated_file()},
                           "faults": {"/f/a.bin": [{"status": 503}]}})
        self.assertEqual(self.service.request("GET", "/f/b.bin")[0], 200)
        self.assertEqual(self.service.request("GET", "/f/a.bin")[0], 503)
        self.assertEqual(self.service.request("GET", "/f/a.bin")[0], 200)
        self.service.control("POST", "reset")
        self.assertEqual(self.service.request("GET", "/f/a.bin")[0], 503)


class RedirectTests(ServiceTestCase):
    def follow(self, method, path, body=None):
        """Follows Location headers by hand; returns (redirects seen, locations, final answer)."""
        locations = []
        status, headers, answer = self.service.request(method, path, body)
        while 300 <= status < 400:
            locations.append((status, headers["Location"]))
            status, headers, answer = self.service.request(
                method, urlsplit(headers["Location"]).path, body)
            self.assertLess(len(locations), 20, "redirect loop")
        return locations, status, answer

    def test_chain_has_exactly_the_requested_length(self):
        expected = generated_bytes(SIZE, 9)
        for hops, status in ((1, 302), (5, 302), (6, 302), (5, 307)):
            with self.subTest(hops=hops, status=status):
                self.service.load({"files": {"/f/r.bin": generated_file(9)},
                                   "faults": {"/f/r.bin": [{"redirect": hops, "status": status,
                                                            "repeat": True}]}})
                locations, final_status, body = self.follow("GET", "/f/r.bin")
                self.assertEqual(len(locations), hops)
                self.assertEqual({code for code, _ in locations}, {status})
                self.assertEqual((final_status, body), (200, expected))
                for _, location in locations:
                    self.assertTrue(location.startswith(f"https://localhost:{self.service.port}/"))
                    self.assertLess(len(location), 129)

    def test_body_faults_of_a_redirect_step_reach_the_final_answer(self):
        self.service.load({"files": {"/f/r.bin": generated_file(9)},
                           "faults": {"/f/r.bin": [{"redirect": 2, "truncate": 100}]}})
        locations, _, _ = self.follow("HEAD", "/f/r.bin")
        self.assertEqual(len(locations), 2)
        head, body, _ = self.service.raw_request("GET", urlsplit(locations[-1][1]).path)
        self.assertIn(f"Content-Length: {SIZE}", head)
        self.assertEqual(body, generated_bytes(SIZE, 9)[:100])

    def test_temporary_redirect_of_the_configuration_keeps_the_post(self):
        self.service.load({"config": {"o": []},
                           "faults": {"/o": [{"redirect": 2, "status": 307}]}})
        locations, status, body = self.follow("POST", "/o", compact(REQUEST_DOCUMENT))
        self.assertEqual((len(locations), status, body), (2, 200, b'{"o":[]}'))
        checks = [entry.get("check", {}).get("valid") for entry in self.service.requests()]
        self.assertEqual(checks, [True, None, True])


class BodyFaultTests(ServiceTestCase):
    def setUp(self):
        self.expected = generated_bytes(SIZE, 1)

    def load_fault(self, step):
        self.service.load({"files": {"/f/a.bin": generated_file()},
                           "faults": {"/f/a.bin": [step]}})

    def test_missing_content_length_ends_with_the_connection(self):
        self.load_fault({"no_content_length": True})
        head, body, error = self.service.raw_request("GET", "/f/a.bin")
        self.assertIsNone(error)
        self.assertTrue(head.startswith("HTTP/1.1 200"))
        self.assertNotIn("content-length", header_names(head))
        self.assertNotIn("transfer-encoding", header_names(head))
        self.assertEqual(body, self.expected)

    def test_truncated_body_announces_the_full_length(self):
        self.load_fault({"truncate": 1000})
        connection = self.service.connection()
        connection.request("GET", "/f/a.bin")
        response = connection.getresponse()
        self.assertEqual(response.getheader("Content-Length"), str(SIZE))
        with self.assertRaises(http.client.IncompleteRead) as raised:
            response.read()
        connection.close()
        self.assertEqual(raised.exception.partial, self.expected[:1000])

    def test_reset_after_some_bytes_is_a_connection_reset(self):
        self.load_fault({"reset_after": 5000})
        head, body, error = self.service.raw_request("GET", "/f/a.bin")
        self.assertIsInstance(error, ConnectionResetError)
        self.assertIn(f"Content-Length: {SIZE}", head)
        self.assertEqual(body, self.expected[:5000])

    def test_reset_without_content_length_cuts_a_body_of_unknown_length(self):
        self.load_fault({"no_content_length": True, "reset_after": 5000})
        head, body, error = self.service.raw_request("GET", "/f/a.bin")
        self.assertIsInstance(error, ConnectionResetError)
        self.assertNotIn("content-length", header_names(head))
        self.assertEqual(body, self.expected[:5000])

    def test_stalled_body_sends_part_then_nothing_until_the_client_leaves(self):
        self.load_fault({"stall_after": 3000})
        connection = self.service.connection(timeout=1.0)
        connection.request("GET", "/f/a.bin")
        response = connection.getresponse()
        self.assertEqual(response.getheader("Content-Length"), str(SIZE))
        self.assertEqual(response.read(3000), self.expected[:3000])
        with self.assertRaises(TimeoutError):
            response.read(1)
        connection.close()
        deadline = time.monotonic() + 5
        while time.monotonic() < deadline and self.service.requests()[-1]["outcome"] != "stalled":
            time.sleep(0.05)
        self.assertEqual(self.service.requests()[-1]["outcome"], "stalled")

    def test_slow_body_and_delay_take_their_time(self):
        cases = (({"slow": {"chunk": 20_000, "interval": 0.1}}, 0.9),
                 ({"delay": 0.8}, 0.8),
                 ({"delay": 0.5, "slow": {"chunk": 50_000, "interval": 0.1}}, 0.8))
        for step, at_least in cases:
            with self.subTest(step=step):
                self.load_fault(step)
                started = time.monotonic()
                status, _, body = self.service.request("GET", "/f/a.bin")
                elapsed = time.monotonic() - started
                self.assertEqual((status, body), (200, self.expected))
                self.assertGreaterEqual(elapsed, at_least)
        started = time.monotonic()
        self.service.request("GET", "/f/a.bin")
        self.assertLess(time.monotonic() - started, 0.7, "the plan is used up, no more delay")


if __name__ == "__main__":
    unittest.main()
