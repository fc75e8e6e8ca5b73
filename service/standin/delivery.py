"""Sends an answer, bent by a fault step: missing length, cut short, reset, slow."""

import fcntl
import select
import struct
import termios
import time

from .bodies import BytesBody, rechunk, take
from .connection import abort_with_reset

SEND_QUEUE_WAIT = 2.0
# A stalled answer gives up after this even when the client never does.
STALL_LIMIT = 300.0


class Response:
    def __init__(self, status, body=None, headers=()):
        self.status = status
        self.body = body if body is not None else BytesBody(b"")
        self.headers = list(headers)


def text_response(status, text, content_type="text/plain; charset=utf-8"):
    return Response(status, BytesBody(text.encode("utf-8"), content_type))


def _write(handler, chunks, slow):
    if not slow:
        for piece in chunks:
            handler.wfile.write(piece)
        return
    for index, piece in enumerate(rechunk(chunks, slow["chunk"])):
        if index:
            time.sleep(slow["interval"])
        handler.wfile.write(piece)


def _wait_until_sent(connection):
    """A reset discards unsent data, so let the peer acknowledge what was written first."""
    deadline = time.monotonic() + SEND_QUEUE_WAIT
    while time.monotonic() < deadline:
        pending = fcntl.ioctl(connection.fileno(), termios.TIOCOUTQ, struct.pack("i", 0))
        if struct.unpack("i", pending)[0] == 0:
            return
        time.sleep(0.005)


def _stall(connection):
    """Sends nothing more and keeps the connection open until the client closes it."""
    deadline = time.monotonic() + STALL_LIMIT
    while time.monotonic() < deadline:
        readable, _, _ = select.select([connection], [], [], 0.2)
        if readable:
            try:
                if not connection.recv(4096):
                    return
            except OSError:
                return


def deliver(handler, response, step):
    """Writes the response and returns what happened to it."""
    try:
        return _deliver(handler, response, step)
    except OSError:
        handler.close_connection = True
        return "client gone"


def _deliver(handler, response, step):
    if step.get("drop"):
        # No answer at all: the connection is reset before a byte of the response.
        handler.close_connection = True
        abort_with_reset(handler.connection)
        return "dropped"
    body = response.body
    handler.send_response(response.status)
    for name, value in response.headers:
        handler.send_header(name, value)
    if response.status < 200 or response.status in (204, 304):
        handler.end_headers()
        return "complete"
    handler.send_header("Content-Type", body.content_type)
    head_only = handler.command == "HEAD"
    if step.get("no_content_length"):
        handler.send_header("Connection", "close")
        handler.end_headers()
        if head_only:
            return "no content length"
        if "reset_after" in step:
            # Without a length only a reset tells the client that the body broke off.
            _write(handler, take(body.chunks(), step["reset_after"]), step.get("slow"))
            handler.close_connection = True
            _wait_until_sent(handler.connection)
            abort_with_reset(handler.connection)
            return "reset"
        _write(handler, body.chunks(), step.get("slow"))
        return "no content length"
    handler.send_header("Content-Length", str(body.length))
    handler.end_headers()
    if head_only:
        return "complete"
    limit = step.get("truncate", step.get("reset_after", step.get("stall_after")))
    chunks = body.chunks() if limit is None else take(body.chunks(), limit)
    _write(handler, chunks, step.get("slow"))
    if "stall_after" in step:
        handler.wfile.flush()
        handler.close_connection = True
        _stall(handler.connection)
        return "stalled"
    if "truncate" in step:
        handler.close_connection = True
        return "truncated"
    if "reset_after" in step:
        handler.close_connection = True
        _wait_until_sent(handler.connection)
        abort_with_reset(handler.connection)
        return "reset"
    return "complete"
