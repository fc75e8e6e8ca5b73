"""Scenarios: the configuration document, the served files and the fault plans."""

import json
import os
from urllib.parse import urlsplit

from .bodies import BytesBody, FileBody, GeneratedBody

BASE_PLACEHOLDER = "@BASE@"
SCENARIO_KEYS = {"description", "extends", "config", "escape_spaces", "invalid_request", "files",
                 "faults"}
BODY_SOURCE_KINDS = {"file", "generate", "text"}
STEP_KEYS = {"status", "body", "content_type", "redirect", "location", "drop", "no_content_length", "truncate",
             "reset_after", "stall_after", "slow", "delay", "new_bodies_only", "repeat"}


class ScenarioError(ValueError):
    pass


class FaultPlan:
    def __init__(self, steps, repeat):
        self.steps = steps
        self.repeat = repeat

    def step(self, index):
        if index < len(self.steps):
            return self.steps[index]
        if self.repeat and self.steps:
            return self.steps[-1]
        return None


def _require(condition, message):
    if not condition:
        raise ScenarioError(message)


def _is_count(value):
    return isinstance(value, int) and not isinstance(value, bool) and value >= 0


def _is_seconds(value):
    return isinstance(value, (int, float)) and not isinstance(value, bool) and value >= 0


def _check_body_source(path, source):
    _require(isinstance(source, dict), f"files[{path}] must be an object")
    kinds = BODY_SOURCE_KINDS & source.keys()
    _require(len(kinds) == 1, f"files[{path}] needs exactly one of file, generate, text")
    _require(source.keys() <= BODY_SOURCE_KINDS | {"content_type"},
             f"files[{path}] has unknown keys")
    _require(isinstance(source.get("content_type", ""), str),
             f"files[{path}].content_type must be a string")
    if "generate" in source:
        generate = source["generate"]
        _require(isinstance(generate, dict) and _is_count(generate.get("size"))
                 and _is_count(generate.get("seed", 0)) and generate.get("seed", 0) < 2 ** 64,
                 f"files[{path}].generate needs a size and an optional seed below 2**64")
    else:
        kind = next(iter(kinds))
        _require(isinstance(source[kind], str), f"files[{path}].{kind} must be a string")


def _check_step(path, step):
    _require(isinstance(step, dict) and step, f"faults[{path}] steps must be non-empty objects")
    unknown = step.keys() - STEP_KEYS
    _require(not unknown, f"faults[{path}] step has unknown keys: {sorted(unknown)}")
    if "status" in step:
        _require(isinstance(step["status"], int) and 100 <= step["status"] <= 999,
                 f"faults[{path}].status must be a three-digit number")
    _require("location" not in step or isinstance(step["location"], str),
             f"faults[{path}].location must be a string")
    _require(not ("location" in step and "redirect" in step),
             f"faults[{path}]: location excludes redirect")
    for key in ("redirect", "truncate", "reset_after", "stall_after"):
        _require(key not in step or _is_count(step[key]), f"faults[{path}].{key} must be a count")
    _require("delay" not in step or _is_seconds(step["delay"]), f"faults[{path}].delay: seconds")
    if "slow" in step:
        slow = step["slow"]
        _require(isinstance(slow, dict) and _is_count(slow.get("chunk")) and slow["chunk"] > 0
                 and _is_seconds(slow.get("interval")),
                 f"faults[{path}].slow needs a chunk size and an interval")
    _require(not ("truncate" in step and ("reset_after" in step or "no_content_length" in step)),
             f"faults[{path}]: truncate excludes reset_after and no_content_length")
    _require(not ("stall_after" in step and ({"truncate", "reset_after", "no_content_length"} & step.keys())),
             f"faults[{path}]: stall_after excludes truncate, reset_after and no_content_length")


def _fault_plan(path, plan):
    if isinstance(plan, dict):
        _require(plan.keys() <= {"steps", "repeat"}, f"faults[{path}] has unknown keys")
        steps, repeat = plan.get("steps"), bool(plan.get("repeat", False))
    else:
        steps, repeat = plan, False
    _require(isinstance(steps, list), f"faults[{path}] must be a list of steps")
    for step in steps:
        _check_step(path, step)
    repeat = repeat or bool(steps and steps[-1].get("repeat"))
    return FaultPlan(steps, repeat)


class Scenario:
    def __init__(self, document, name):
        _require(isinstance(document, dict), "a scenario is a JSON object")
        unknown = document.keys() - SCENARIO_KEYS
        _require(not unknown, f"unknown scenario keys: {sorted(unknown)}")
        self.name = name
        self.config = document.get("config")
        if isinstance(self.config, dict) and self.config.keys() == {"raw"}:
            _require(isinstance(self.config["raw"], str), "config.raw must be a string")
        self.escape_spaces = bool(document.get("escape_spaces", False))
        self.invalid_request = document.get("invalid_request", "reject")
        _require(self.invalid_request in ("reject", "answer"),
                 "invalid_request is reject or answer")
        self.files = document.get("files", {})
        _require(isinstance(self.files, dict), "files must be an object")
        for path, source in self.files.items():
            _check_body_source(path, source)
        faults = document.get("faults", {})
        _require(isinstance(faults, dict), "faults must be an object")
        self.faults = {path: _fault_plan(path, plan) for path, plan in faults.items()}

    def config_body(self, base_url):
        """The configuration answer as bytes, or None when the scenario has none."""
        if self.config is None:
            return None
        if isinstance(self.config, dict) and self.config.keys() == {"raw"}:
            text = self.config["raw"]
        else:
            text = json.dumps(self.config, separators=(",", ":"), ensure_ascii=False)
            if self.escape_spaces:
                # Compact JSON has no space outside strings, and the setup strips
                # every literal whitespace byte before parsing.
                text = text.replace(" ", "\\u0020")
        return text.replace(BASE_PLACEHOLDER, base_url).encode("utf-8")

    def lookup(self, table, target):
        """Finds the entry for a request target: with its query first, then without."""
        if target in table:
            return target
        path = urlsplit(target).path
        return path if path in table else None

    def body_for(self, target, resolver, base_url):
        key = self.lookup(self.files, target)
        if key is None:
            return _default_file(target, resolver)
        source = self.files[key]
        content_type = source.get("content_type")
        if "text" in source:
            data = source["text"].replace(BASE_PLACEHOLDER, base_url).encode("utf-8")
            return BytesBody(data, content_type or "text/plain; charset=utf-8")
        if "generate" in source:
            generate = source["generate"]
            return GeneratedBody(generate["size"], generate.get("seed", 0),
                                 content_type or "application/octet-stream")
        path = resolver.find(source["file"])
        return FileBody(path, content_type) if path else None


def _default_file(target, resolver):
    """Offer images need no scenario entry: anything below /f/ is looked up as a file."""
    path = urlsplit(target).path
    if not path.startswith("/f/"):
        return None
    name = path[len("/f/"):]
    found = resolver.find("f/" + name) or resolver.find(name)
    return FileBody(found) if found else None


class FileResolver:
    """Looks names up in the --files folders first, then in the assets folder."""

    def __init__(self, directories):
        self.directories = [os.path.abspath(directory) for directory in directories]

    def find(self, name):
        normalised = os.path.normpath(name)
        if os.path.isabs(normalised) or normalised.split(os.sep)[0] in ("..", ""):
            return None
        for directory in self.directories:
            candidate = os.path.join(directory, normalised)
            if os.path.isfile(candidate):
                return candidate
        return None


def _read_document(name_or_path, scenarios_dir):
    if os.sep in name_or_path or name_or_path.endswith(".json"):
        path = name_or_path
    else:
        path = os.path.join(scenarios_dir, name_or_path + ".json")
    try:
        with open(path, encoding="utf-8") as stream:
            return json.load(stream), os.path.splitext(os.path.basename(path))[0]
    except OSError as error:
        raise ScenarioError(f"cannot read scenario {name_or_path}: {error.strerror}") from error
    except ValueError as error:
        raise ScenarioError(f"scenario {name_or_path} is not valid JSON: {error}") from error


def _merge_extended(document, scenarios_dir, seen=()):
    """A scenario may extend another one: its own files and faults win per path,
    its own other keys replace the base's."""
    if not isinstance(document, dict) or "extends" not in document:
        return document
    base_name = document["extends"]
    _require(isinstance(base_name, str) and base_name not in seen,
             f"bad or circular extends: {base_name!r}")
    base, _ = _read_document(base_name, scenarios_dir)
    base = _merge_extended(base, scenarios_dir, seen + (base_name,))
    _require(isinstance(base, dict), f"scenario {base_name} is not a JSON object")
    merged = {**base, **document}
    for table in ("files", "faults"):
        _require(all(isinstance(part.get(table, {}), dict) for part in (base, document)),
                 f"{table} must be an object")
        merged[table] = {**base.get(table, {}), **document.get(table, {})}
    del merged["extends"]
    return merged


def build_scenario(document, name, scenarios_dir):
    return Scenario(_merge_extended(document, scenarios_dir), name)


def load_scenario(name_or_path, scenarios_dir):
    document, name = _read_document(name_or_path, scenarios_dir)
    return build_scenario(document, name, scenarios_dir)
