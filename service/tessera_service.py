#!/usr/bin/env python3
"""Stand-in for the operator's configuration, telemetry and download service (HTTPS on loopback)."""

import argparse
import os
import signal
import ssl
import sys
import tempfile
import threading

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from standin.connection import TlsHttpServer  # noqa: E402
from standin.handler import StandInHandler  # noqa: E402
from standin.scenario import FileResolver, ScenarioError, load_scenario  # noqa: E402
from standin.state import ServiceState  # noqa: E402

SERVICE_DIR = os.path.dirname(os.path.abspath(__file__))


def parse_arguments(argv):
    parser = argparse.ArgumentParser(description=__doc__)
    parser.add_argument("--port", type=int, default=8443, help="0 picks a free port")
    parser.add_argument("--port-file", help="receives the port once the service listens")
    parser.add_argument("--cert", required=True, help="PEM certificate chain for localhost")
    parser.add_argument("--key", required=True, help="PEM private key of the certificate")
    parser.add_argument("--scenario", default="demo", help="scenario name or path")
    parser.add_argument("--scenarios-dir", default=os.path.join(SERVICE_DIR, "scenarios"))
    parser.add_argument("--assets-dir", default=os.path.join(SERVICE_DIR, "assets"))
    parser.add_argument("--files", action="append", default=[],
                        help="extra folder of downloadable files; may be repeated")
    parser.add_argument("--verbose", action="store_true", help="log every request")
    return parser.parse_args(argv)


def write_port_file(path, port):
    directory = os.path.dirname(os.path.abspath(path))
    with tempfile.NamedTemporaryFile("w", dir=directory, delete=False) as stream:
        stream.write(f"{port}\n")
    os.replace(stream.name, path)


def main(argv=None):
    arguments = parse_arguments(argv)
    try:
        scenario = load_scenario(arguments.scenario, arguments.scenarios_dir)
    except ScenarioError as error:
        print(f"tessera_service: {error}", file=sys.stderr)
        return 2
    context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
    context.minimum_version = ssl.TLSVersion.TLSv1_2
    context.load_cert_chain(arguments.cert, arguments.key)
    resolver = FileResolver(arguments.files + [arguments.assets_dir])
    state = ServiceState(scenario, resolver, arguments.scenarios_dir)
    server = TlsHttpServer(("127.0.0.1", arguments.port), StandInHandler, context, state,
                           verbose=arguments.verbose)

    stop = threading.Event()
    for signal_number in (signal.SIGTERM, signal.SIGINT):
        signal.signal(signal_number, lambda *_: stop.set())
    serving = threading.Thread(target=server.serve_forever, kwargs={"poll_interval": 0.1},
                               name="serve", daemon=True)
    serving.start()
    if arguments.port_file:
        write_port_file(arguments.port_file, server.port)
    if arguments.verbose:
        print(f"tessera_service: https://localhost:{server.port}/ scenario {scenario.name}",
              file=sys.stderr, flush=True)
    stop.wait()
    server.shutdown()
    server.server_close()
    return 0


if __name__ == "__main__":
    sys.exit(main())
