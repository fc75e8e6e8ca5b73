"""Checks of what the setup posts: the configuration request and telemetry envelopes."""

import hashlib
import json

REQUEST_KEYS = frozenset(("a", "i", "l", "o", "plv", "prv", "s", "u"))
TELEMETRY_TABLE = "zb_analytics"
EVENT_KEYS = frozenset(str(number) for number in range(39))
NUMERIC_EVENT_KEYS = frozenset(("10", "15"))
# Problems that leave nothing trustworthy to accept: the sender is told with a 400.
REJECTED_VERDICTS = frozenset(("bad envelope", "bad event", "bad signature"))


def canonical(value):
    """The one serialisation the setup uses: compact, keys in byte order, UTF-8."""
    return json.dumps(value, separators=(",", ":"), sort_keys=True,
                      ensure_ascii=False).encode("utf-8")


def _parse(raw):
    if isinstance(raw, bytes):
        raw = raw.decode("utf-8")
    return json.loads(raw)


def check_request_document(body):
    """Returns (valid, reason, parsed document or None)."""
    try:
        document = _parse(body)
    except UnicodeDecodeError:
        return False, "not UTF-8", None
    except ValueError:
        return False, "not JSON", None
    if not isinstance(document, dict):
        return False, "not a JSON object", None
    missing = sorted(REQUEST_KEYS - document.keys())
    if missing:
        return False, "missing keys: " + ", ".join(missing), document
    unexpected = sorted(document.keys() - REQUEST_KEYS)
    if unexpected:
        return False, "unexpected keys: " + ", ".join(unexpected), document
    not_strings = sorted(key for key, value in document.items() if not isinstance(value, str))
    if not_strings:
        return False, "non-string values: " + ", ".join(not_strings), document
    if canonical(document) != body:
        return False, "not compact with keys in byte order", document
    return True, "", document


def signature_for(event):
    text = str(event.get("1", "")) + str(event.get("2", ""))
    return "Signature=" + hashlib.sha256(text.encode("utf-8")).hexdigest()


def _event_field_problems(event):
    problems = []
    if not event.keys() <= EVENT_KEYS:
        problems.append("unknown event keys: " + ", ".join(sorted(event.keys() - EVENT_KEYS)))
    for key, value in event.items():
        numeric = isinstance(value, (int, float)) and not isinstance(value, bool)
        if (key in NUMERIC_EVENT_KEYS) != numeric:
            problems.append(f"event value {key} has the wrong type")
    return problems


def check_telemetry(body, authorization):
    """Returns (verdict, all problems found, parsed event or None).

    The verdict is "ok" or the first problem; later checks need what the
    earlier ones established, so a broken envelope ends the checking.
    """
    try:
        envelope = _parse(body)
    except ValueError:
        return "bad envelope", ["bad envelope"], None
    if (not isinstance(envelope, dict) or envelope.keys() != {"data", "table"}
            or not isinstance(envelope["data"], str)
            or envelope["table"] != TELEMETRY_TABLE or canonical(envelope) != body):
        return "bad envelope", ["bad envelope"], None
    try:
        event = json.loads(envelope["data"])
    except ValueError:
        event = None
    if not isinstance(event, dict):
        return "bad event", ["bad event"], None
    problems = []
    if authorization != signature_for(event):
        problems.append("bad signature")
    if canonical(event) != envelope["data"].encode("utf-8"):
        problems.append("data not compact")
    problems.extend(_event_field_problems(event))
    return (problems[0] if problems else "ok"), problems, event
