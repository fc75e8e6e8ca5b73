"""TLS per connection, and the three ways a connection ends."""

import os
import socket
import ssl
import struct
import time
from http.server import ThreadingHTTPServer

HANDSHAKE_TIMEOUT = 10
LINGER_SECONDS = 1.0


def close_gracefully(connection):
    """close_notify, then FIN, then a short drain: closing with unread input would send RST."""
    try:
        connection.setblocking(False)
        connection.unwrap()
    except (ssl.SSLError, OSError, ValueError):
        pass
    try:
        connection.shutdown(socket.SHUT_WR)
        deadline = time.monotonic() + LINGER_SECONDS
        connection.settimeout(LINGER_SECONDS)
        while connection.recv(65536) and time.monotonic() < deadline:
            pass
    except OSError:
        pass
    connection.close()


def abort_with_reset(connection):
    """SO_LINGER 0 turns the close into RST; closing the descriptor directly skips any FIN."""
    connection.setsockopt(socket.SOL_SOCKET, socket.SO_LINGER, struct.pack("ii", 1, 0))
    os.close(connection.detach())


class TlsHttpServer(ThreadingHTTPServer):
    """Accepts plain TCP and does the handshake on the connection's own thread,
    so one slow or broken client cannot stall the accept loop."""

    daemon_threads = True
    # The setup fetches all offer images at once, each on its own connection.
    request_queue_size = 64

    def __init__(self, address, handler_class, context, state, verbose=False):
        self.context = context
        self.state = state
        self.verbose = verbose
        super().__init__(address, handler_class)

    @property
    def port(self):
        return self.server_address[1]

    def finish_request(self, request, client_address):
        connection = self.context.wrap_socket(request, server_side=True,
                                              do_handshake_on_connect=False)
        try:
            connection.settimeout(HANDSHAKE_TIMEOUT)
            connection.do_handshake()
        except (ssl.SSLError, OSError):
            connection.close()
            return
        try:
            self.RequestHandlerClass(connection, client_address, self)
        finally:
            close_gracefully(connection)

    def handle_error(self, request, client_address):
        if self.verbose:
            super().handle_error(request, client_address)
