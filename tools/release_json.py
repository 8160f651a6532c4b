"""Shared by the release tools: JSON read as strictly as Setup reads it, so
that a text the tools accept means the same to every reader."""
import json


class JsonError(ValueError):
    pass


def _members(pairs):
    seen = {}
    for name, value in pairs:
        if name in seen:
            raise JsonError(f'the name "{name}" stands twice in one object')
        seen[name] = value
    return seen


def _no_constant(name):
    raise JsonError(f"{name} is not JSON")


def loads(text):
    """The value of a JSON text; JsonError (a ValueError) for a repeated name,
    NaN or Infinity, a NUL, or anything json.loads refuses."""
    if "\0" in text:
        raise JsonError("the text holds a NUL")
    return json.loads(text, object_pairs_hook=_members, parse_constant=_no_constant)
