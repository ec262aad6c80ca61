"""Free-format (list-directed) reading and writing of deck records.

The grammar is the engine's: items are separated by blanks, tabs, one comma or
a line end; one record may run over several lines and the next record starts
on a new line (the rest of the last line of a record is ignored, so decks may
carry comments there).  ``,,`` and a leading comma are null items, ``r*c``
repeats ``c`` r times, ``r*`` is r nulls and ``/`` ends the record early.  A
null item, or one after ``/``, reads as ``None`` here; the deck reader turns
it into the field's default value.
"""
from __future__ import annotations

import math
import re
from dataclasses import dataclass
from typing import List, Optional, Sequence, Union

Value = Union[int, float, str, None]


class DeckSyntaxError(ValueError):
    """A deck the Python reader cannot read, with the line it is about."""

    def __init__(self, message: str, name: str, line: int) -> None:
        # "wall.dat, line 3, item 2: expected ...", as the engine words it.
        joint = ", " if message.startswith("item ") else ": "
        super().__init__(f"{name}, line {line}{joint}{message}")
        self.message = str(self)
        self.file = name
        self.line = line


@dataclass
class _Token:
    text: Optional[str]  # None: a null item
    quoted: bool
    line: int  # number of the line the item begins on, from 1
    shown: str = ""  # the item as written, for messages


_SLASH = object()
_REAL = re.compile(r"^[+-]?(\d+(\.\d*)?|\.\d+)([eEdDqQ][+-]?\d+|[+-]\d+)?$")
_KIND = {"i": "an integer", "r": "a real number", "t": "a text"}


def _real(text: str) -> Optional[float]:
    if not _REAL.match(text):
        return None
    t = text.replace("d", "e").replace("D", "e").replace("q", "e").replace("Q", "e")
    # 1.5+3 is 1.5E+3: an exponent sign without its letter.
    sign = max(t.rfind("+"), t.rfind("-"))
    if sign > 0 and t[sign - 1] not in "eE":
        t = t[:sign] + "e" + t[sign:]
    try:
        value = float(t)
    except ValueError:
        return None
    return value if math.isfinite(value) else None


def _shown(text: str) -> str:
    """An item as a message shows it: cut to 40 bytes, bytes that are not
    printable ASCII as \\xHH."""
    data = text.encode("utf-8", "surrogateescape")
    cut = len(data) > 40
    out = "".join("\\" + chr(b) if b in b'"\\' else chr(b) if 0x20 <= b < 0x7F else f"\\x{b:02X}"
                  for b in data[:40])
    return out + ("..." if cut else "")


class ListReader:
    """Reads records from a deck held as text, line by line, as the engine
    does; its messages are the engine's for the same faults."""

    def __init__(self, text: str, name: str = "wall.dat") -> None:
        self.lines = text.split("\n")
        if self.lines and self.lines[-1] == "":
            self.lines.pop()  # the newline that ends the last line
        # A carriage return that ends a line is not part of it.
        self.lines = [line[:-1] if line.endswith("\r") else line for line in self.lines]
        self.name = name
        self.next_line = 0  # index of the line the next record starts on
        self.record_line = 0  # number (from 1) of the line the last record began on

    def at_end(self) -> bool:
        return self.next_line >= len(self.lines)

    def count(self, value: Value, what: str, line: Optional[int] = None) -> int:
        """A count read from a record: None (null) is 0, a negative count is
        refused, as the engine refuses it."""
        n = int(value or 0)
        if n < 0:
            raise DeckSyntaxError(f"the number of {what} must not be negative, found {n}",
                                  self.name, line or self.record_line)
        return n

    def _last_line(self) -> int:
        return max(len(self.lines), 1)

    def fixed(self) -> str:
        """A whole line (the title record)."""
        if self.at_end():
            raise DeckSyntaxError("item 1: expected the title of a problem, found the end of the "
                                  "file", self.name, self._last_line())
        line = self.lines[self.next_line]
        self.next_line += 1
        return line

    def _items(self, first: int, state: dict):
        """Yields the items of a record that begins on line index `first`:
        _Token, or _SLASH; state["line"] follows the line being read and
        state["comma"] is True when a comma now makes a null item."""
        index = first
        while index < len(self.lines):
            state["line"] = index
            line = self.lines[index]
            n = len(line)
            i = 0
            while i < n:
                c = line[i]
                if c in " \t":
                    i += 1
                    continue
                if c == ",":
                    if state["comma"]:
                        yield _Token(None, False, index + 1, ",")
                    state["comma"] = True
                    i += 1
                    continue
                if c == "/":
                    yield _SLASH
                    return
                state["comma"] = False
                if c in "'\"":
                    begin = index
                    quote = c
                    value = []
                    i += 1
                    while True:
                        if i >= n:  # a quoted item runs on over the line end
                            index += 1
                            if index >= len(self.lines):
                                raise DeckSyntaxError(
                                    f"item {state['item']}: expected a text, found a quote "
                                    "that is never closed", self.name, begin + 1)
                            state["line"] = index
                            line = self.lines[index]
                            n = len(line)
                            i = 0
                            continue
                        if line[i] == quote:
                            if i + 1 < n and line[i + 1] == quote:
                                value.append(quote)
                                i += 2
                                continue
                            i += 1
                            break
                        value.append(line[i])
                        i += 1
                    text = "".join(value)
                    yield _Token(text, True, begin + 1, quote + text + quote)
                    continue
                j = i
                while j < n and line[j] not in " \t,/":
                    j += 1
                word = line[i:j]
                i = j
                m = re.match(r"^(\d+)\*(.*)$", word)
                if m:
                    for _ in range(int(m.group(1))):
                        yield _Token(m.group(2) or None, False, index + 1, word)
                else:
                    yield _Token(word, False, index + 1, word)
            index += 1

    def record(self, kinds: str) -> List[Value]:
        """Reads one record of the given item kinds ('i' integer, 'r' real,
        't' text).  Items that are null or after '/' are None."""
        values: List[Value] = []
        self.record_line = self.next_line + 1
        state = {"comma": True, "line": self.next_line, "item": 1}
        items = self._items(self.next_line, state)
        while len(values) < len(kinds):
            state["item"] = len(values) + 1
            token = next(items, None)
            if token is None:
                raise DeckSyntaxError(
                    f"item {len(values) + 1}: expected {_KIND[kinds[len(values)]]}, found the "
                    "end of the file", self.name, self._last_line())
            if token is _SLASH:
                break
            values.append(self._convert(token, kinds[len(values)], len(values) + 1))
        # The rest of the line is skipped; a record takes at least one line.
        self.next_line = state["line"] + 1
        values.extend([None] * (len(kinds) - len(values)))
        return values

    def _convert(self, token: _Token, kind: str, item: int) -> Value:
        if token.text is None:
            return None
        if kind == "t":
            return token.text
        value = None if token.quoted else _real(token.text)
        if value is None or (kind == "i" and value != int(value)):
            raise DeckSyntaxError(
                f"item {item}: expected {_KIND[kind]}, found \"{_shown(token.shown)}\"",
                self.name, token.line)
        return int(value) if kind == "i" else value


def format_value(value: Value) -> str:
    """One item as the writer puts it: whole numbers plain, reals so that they
    read back to the same double, texts quoted."""
    if value is None:
        return ","
    if isinstance(value, bool):
        return str(int(value))
    if isinstance(value, int):
        return str(value)
    if isinstance(value, float):
        if math.isfinite(value) and value == int(value) and abs(value) < 1e15:
            return f"{value:.1f}"
        return repr(value)
    text = str(value).replace("'", "''")
    return f"'{text}'"


def format_record(values: Sequence[Value]) -> str:
    return " ".join(format_value(v) for v in values)
