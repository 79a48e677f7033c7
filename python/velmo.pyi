"""velmo: script the Velmo10 component from Python.

Objects are late-bound: their members are attributes, found without regard to case, so editors
see them as Any. Errors raise velmo.Error with the component's number, source and description.
"""
import os
from typing import Any, Callable, Final, Protocol, TypeVar

_Value = int | float | bool | str | None | Object | _MissingType
_Path = str | os.PathLike[str]
_Handler = TypeVar("_Handler")

class Error(Exception):
    """An automation error: 6 overflow, 13 type mismatch, 429 can't create object, the component's own numbers..."""

    number: int
    source: str
    description: str
    def __init__(self, number: int, source: str = "", description: str = "") -> None: ...

class _MissingType:
    """The marker of an omitted optional argument."""

Missing: Final[_MissingType]

class Ref:
    """A variable for a by-reference parameter: the member aliases it for the whole call, and
    value holds what the member stored. Ref() starts Empty (reads as None); Ref(None) holds Nothing."""

    value: Any
    def __init__(self, value: _Value = ...) -> None: ...

class Member(Protocol):
    """A method bound to its object; positional or keyword arguments (the type library's names)."""

    __name__: str
    def __call__(self, *args: _Value | Ref, **kwargs: _Value | Ref) -> Any: ...

class Object:
    """An automation object: members by attribute (property get and put, methods by call)."""

    def __getattr__(self, name: str) -> Any: ...
    def __setattr__(self, name: str, value: _Value) -> None: ...
    def __dir__(self) -> list[str]: ...

class Surface(Object):
    """A form or picture box. The buffer protocol gives a copy of the client area as it shows now:
    shape (height, width, 4), bytes blue, green, red, 0 (numpy.asarray(surface);
    PIL.Image.frombuffer("RGB", surface.size, surface, "raw", "BGRX", 0, 1))."""

    @property
    def size(self) -> tuple[int, int]: ...
    def save_png(self, path: _Path) -> None: ...
    def __buffer__(self, flags: int) -> memoryview: ...

class Form(Surface):
    """A new hidden form whose client area is width x height pixels."""

    def __init__(self, width: int, height: int) -> None: ...

class PictureBox(Surface):
    """A picture box of width x height client pixels, on form or on a hidden form of its own."""

    def __init__(self, width: int, height: int, form: Form | None = None) -> None: ...

class Picture(Object):
    """A picture object. The buffer protocol shares its bitmap without a copy: shape
    (height, width, 4), bytes blue, green, red, reserved."""

    @property
    def size(self) -> tuple[int, int]: ...
    def save_png(self, path: _Path) -> None: ...
    def __buffer__(self, flags: int) -> memoryview: ...

def Dispatch(progid: str) -> Any:
    """Creates the object registered under progid, e.g. "Velmo10.clsKxLumoJPGTagsA"."""

def DispatchWithEvents(progid: str, handler_class: type[_Handler]) -> Any:
    """Creates the object; the result is both it and an instance of handler_class, whose
    On<Event> methods (OnRGBUnderMousePointer(r, g, b, lcol)) its events call."""

def WithEvents(obj: Object, handler: type[_Handler] | _Handler) -> _Handler:
    """Connects handler (a class, made with no arguments, or an instance) to obj's events
    (a form's OnMouseDown(button, shift, x, y), a Timer's OnTimer()) and returns it. Events stop
    when it goes."""

def load_picture(path: _Path | None = None) -> Picture:
    """A picture of a BMP, GIF, JPEG or PNG file; without a path an empty picture."""

def do_events() -> None:
    """Processes this thread's pending messages (paints, timer ticks, input), running handlers."""

def run(seconds: float | None = None, until: Callable[[], bool] | None = None) -> None:
    """Processes messages, sleeping in between, until until() is true or the seconds have passed on
    the display's clock; with neither, while a form is visible. Ctrl-C or a handler's exception ends it."""

def Timer(interval: int = 0, form: Form | None = None) -> Any:
    """The host's timer control: OnTimer() of a handler connected with WithEvents every interval
    ms while do_events() or run() runs. Its Interval and Enabled are properties."""

class _Display:
    """The thread's display (in memory unless VELMO_DISPLAY chose another): clock and input."""

    def reset(self, width: int = 1280, height: int = 800, virtual_clock: bool = False) -> None:
        """A new, empty display; everything made before stops working. The virtual clock stands
        still until advance_clock() or a wait for a timer moves it."""
    def advance_clock(self, ms: float) -> bool: ...
    def tick_count(self) -> int: ...
    def move_pointer(self, x: int, y: int) -> None: ...
    def press(self, button: str = "left") -> None: ...
    def release(self, button: str = "left") -> None: ...

display: _Display
