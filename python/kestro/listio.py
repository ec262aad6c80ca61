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
        super().__init__(f"{name}, line {line}: {message}")
        self.name = name
        self.line = line


@dataclass
class _Token:
    text: Optional[str]  # None: a null item
    quoted: bool
    line: int


_SLASH = object()
_REAL = re.compile(r"^[+-]?(\d+\.?\d*|\.\d+)([eEdDqQ]?[+-]?\d+)?$")


def _real(text: str) -> Optional[float]:
    if not _REAL.match(text):
        return None
    t = text.replace("d", "e").replace("D", "e").replace("q", "e").replace("Q", "e")
    # 1.5+3 is 1.5E+3: an exponent sign without its letter.
    m = re.match(r"^([+-]?(?:\d+\.?\d*|\.\d+))([+-]\d+)$", t)
    if m:
        t = m.group(1) + "e" + m.group(2)
    try:
        value = float(t)
    except ValueError:
        return None
    return value if math.isfinite(value) else None


class ListReader:
    """Reads records from a deck held as text, line by line, as the engine does."""

    def __init__(self, text: str, name: str = "wall.dat") -> None:
        self.lines = text.splitlines()
        self.name = name
        self.next_line = 0  # index of the line the next record starts on

    def at_end(self) -> bool:
        return self.next_line >= len(self.lines)

    @property
    def line_number(self) -> int:
        """Number (from 1) of the line the next record starts on."""
        return self.next_line + 1

    def fixed(self) -> str:
        """A whole line (the title record)."""
        if self.at_end():
            raise DeckSyntaxError("the deck ends where a title was expected", self.name,
                                  max(len(self.lines), 1))
        line = self.lines[self.next_line]
        self.next_line += 1
        return line.rstrip("\r")

    def _tokens(self, line_index: int, state: dict):
        """Yields the items of one line: _Token, or _SLASH.  state["comma"] is
        True when the last separator was a comma (or the record just began),
        so that a comma then makes a null item."""
        line = self.lines[line_index]
        n = len(line)
        i = 0
        while i < n:
            c = line[i]
            if c in " \t\r":
                i += 1
                continue
            if c == ",":
                if state["comma"]:
                    yield _Token(None, False, line_index + 1)
                state["comma"] = True
                i += 1
                continue
            if c == "/":
                yield _SLASH
                return
            state["comma"] = False
            if c in "'\"":
                quote = c
                value = []
                i += 1
                while True:
                    if i >= n:
                        raise DeckSyntaxError("a quoted text does not end on its line",
                                              self.name, line_index + 1)
                    if line[i] == quote:
                        if i + 1 < n and line[i + 1] == quote:
                            value.append(quote)
                            i += 2
                            continue
                        i += 1
                        break
                    value.append(line[i])
                    i += 1
                yield _Token("".join(value), True, line_index + 1)
                continue
            j = i
            while j < n and line[j] not in " \t\r,/":
                j += 1
            word = line[i:j]
            i = j
            m = re.match(r"^(\d+)\*(.*)$", word)
            if m:
                for _ in range(int(m.group(1))):
                    yield _Token(m.group(2) or None, False, line_index + 1)
            else:
                yield _Token(word, False, line_index + 1)

    def record(self, kinds: str) -> List[Value]:
        """Reads one record of the given item kinds ('i' integer, 'r' real,
        't' text).  Missing items (after '/' or null) are None."""
        values: List[Value] = []
        if self.at_end():
            raise DeckSyntaxError("the deck ends inside a record", self.name,
                                  max(len(self.lines), 1))
        slash = False
        state = {"comma": True}
        first = self.next_line
        index = first
        while len(values) < len(kinds) and not slash:
            if index >= len(self.lines):
                raise DeckSyntaxError(
                    f"the deck ends inside a record that began on line {first + 1}",
                    self.name, len(self.lines))
            for token in self._tokens(index, state):
                if token is _SLASH:
                    slash = True
                    break
                if len(values) == len(kinds):
                    break
                values.append(self._convert(token, kinds[len(values)], len(values) + 1))
            index += 1
        if not kinds:
            index = first + 1
        self.next_line = index
        values.extend([None] * (len(kinds) - len(values)))
        return values

    def _convert(self, token: _Token, kind: str, item: int) -> Value:
        if token.text is None:
            return None
        if kind == "t":
            return token.text
        where = f"item {item}"
        value = None if token.quoted else _real(token.text)
        if value is None:
            expected = "a whole number" if kind == "i" else "a real number"
            raise DeckSyntaxError(f"{where}: expected {expected}, found \"{token.text}\"",
                                  self.name, token.line)
        if kind == "i":
            if value != int(value):
                raise DeckSyntaxError(f"{where}: expected a whole number, found \"{token.text}\"",
                                      self.name, token.line)
            return int(value)
        return value


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
