"""Response bodies that know their length and stream in large pieces."""

import functools
import hashlib
import mimetypes
import os

CHUNK = 1 << 20
GENERATOR_BLOCK = 1 << 20


class Body:
    content_type = "application/octet-stream"
    length = 0

    def chunks(self):
        """Yields bytes-like pieces whose total is exactly `length`."""
        raise NotImplementedError


class BytesBody(Body):
    def __init__(self, data, content_type="application/octet-stream"):
        self.data = bytes(data)
        self.length = len(self.data)
        self.content_type = content_type

    def chunks(self):
        if self.data:
            yield self.data


class FileBody(Body):
    def __init__(self, path, content_type=None):
        self.path = path
        self.length = os.path.getsize(path)
        self.content_type = content_type or guess_content_type(path)

    def chunks(self):
        with open(self.path, "rb") as stream:
            remaining = self.length
            while remaining > 0:
                piece = stream.read(min(CHUNK, remaining))
                if not piece:
                    raise OSError(f"{self.path} shrank while it was being sent")
                remaining -= len(piece)
                yield piece


@functools.lru_cache(maxsize=8)
def generator_block(seed):
    """SHA-256 in counter mode, so other tools can reproduce the bytes."""
    prefix = seed.to_bytes(8, "little")
    return b"".join(hashlib.sha256(prefix + i.to_bytes(4, "little")).digest()
                    for i in range(GENERATOR_BLOCK // 32))


def block_rotation(index):
    return (index * 2654435761) % GENERATOR_BLOCK


class GeneratedBody(Body):
    """Block i of the body is the seed's block rotated left by block_rotation(i).

    Rotating one cached block keeps a 256 MiB body cheap to produce while no
    two blocks of a body are equal.
    """

    def __init__(self, size, seed, content_type="application/octet-stream"):
        self.length = size
        self.seed = seed
        self.content_type = content_type

    def chunks(self):
        block = memoryview(generator_block(self.seed))
        remaining = self.length
        index = 0
        while remaining > 0:
            rotation = block_rotation(index)
            for piece in (block[rotation:], block[:rotation]):
                if remaining <= 0 or not piece:
                    continue
                piece = piece[:remaining]
                remaining -= len(piece)
                yield piece
            index += 1


def generated_bytes(size, seed):
    return b"".join(bytes(piece) for piece in GeneratedBody(size, seed).chunks())


def guess_content_type(path):
    if path.endswith(".exe"):
        return "application/octet-stream"
    guessed, _ = mimetypes.guess_type(path)
    if guessed and guessed.startswith("text/"):
        return guessed + "; charset=utf-8"
    return guessed or "application/octet-stream"


def take(chunks, limit):
    """The first `limit` bytes of a chunk stream, still in pieces."""
    for piece in chunks:
        if limit <= 0:
            return
        if len(piece) > limit:
            piece = piece[:limit]
        limit -= len(piece)
        yield piece


def rechunk(chunks, size):
    """Splits large pieces so that none is longer than `size`."""
    for piece in chunks:
        view = memoryview(piece)
        for start in range(0, len(view), size):
            yield view[start:start + size]
