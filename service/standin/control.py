"""The control API under /_control/: tests load scenarios and read what was recorded."""

import json

from .bodies import BytesBody
from .delivery import Response, deliver
from .scenario import ScenarioError, build_scenario, load_scenario


def _send(handler, status, value):
    data = json.dumps(value, ensure_ascii=False).encode("utf-8")
    deliver(handler, Response(status, BytesBody(data, "application/json")), {})


def _load(state, body):
    try:
        request = json.loads(body or b"{}")
    except ValueError:
        raise ScenarioError("the body is not JSON")
    if not isinstance(request, dict):
        raise ScenarioError("the body must be a JSON object")
    if isinstance(request.get("name"), str):
        scenario = load_scenario(request["name"], state.scenarios_dir)
    elif "scenario" in request:
        scenario = build_scenario(request["scenario"], request.get("label", "inline"),
                                  state.scenarios_dir)
    else:
        raise ScenarioError('give "name" or "scenario"')
    state.load(scenario)
    return scenario


def handle(handler, body):
    state = handler.server.state
    route = (handler.command, handler.path)
    if route == ("GET", "/_control/health"):
        _send(handler, 200, {"ok": True, "scenario": state.scenario.name,
                             "port": handler.server.port})
    elif route == ("GET", "/_control/requests"):
        _send(handler, 200, state.recorder.requests())
    elif route == ("GET", "/_control/events"):
        _send(handler, 200, state.recorder.events())
    elif route == ("POST", "/_control/reset"):
        state.reset()
        _send(handler, 200, {"ok": True})
    elif route == ("POST", "/_control/scenario"):
        try:
            scenario = _load(state, body)
        except ScenarioError as error:
            _send(handler, 400, {"error": str(error)})
            return
        _send(handler, 200, {"ok": True, "scenario": scenario.name})
    else:
        _send(handler, 404, {"error": "unknown control request"})
