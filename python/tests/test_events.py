"""Events into Python handlers under the virtual clock: the colour picker's event, timer ticks, a
form's mouse events, a handler running in the middle of a call, handler errors, and handlers let
go of."""
import weakref

import pytest

import velmo


@pytest.fixture(autouse=True)
def virtual_display():
    velmo.display.reset(virtual_clock=True)
    yield
    velmo.display.reset()


class Ticks:
    def __init__(self):
        self.count = 0

    def OnTimer(self):
        self.count += 1


def shown_form(width=200, height=150):
    form = velmo.Form(width, height)
    form.ScaleMode = 3  # pixels
    form.Left = form.Top = 0
    form.Visible = True
    return form


@pytest.mark.parametrize("interval, seconds, ticks", [(100, 1.0, 10), (250, 1.0, 4), (300, 0.2, 0)])
def test_timer_ticks_reach_the_handler_while_run_runs(interval, seconds, ticks):
    timer = velmo.Timer(interval)
    handler = velmo.WithEvents(timer, Ticks)
    start = velmo.display.tick_count()
    velmo.run(seconds=seconds)
    assert handler.count == ticks
    assert velmo.display.tick_count() - start == seconds * 1000


def test_do_events_delivers_only_what_is_due():
    timer = velmo.Timer(50)
    handler = velmo.WithEvents(timer, Ticks())
    velmo.do_events()
    assert handler.count == 0
    velmo.display.advance_clock(50)
    velmo.do_events()
    assert handler.count == 1


def test_run_until_a_condition():
    timer = velmo.Timer(10)
    handler = velmo.WithEvents(timer, Ticks)
    velmo.run(until=lambda: handler.count == 3)
    assert handler.count == 3


def test_a_forms_mouse_events_reach_the_handler_in_its_scale():
    class Mouse:
        def __init__(self):
            self.seen = []

        def OnMouseMove(self, button, shift, x, y):
            self.seen.append(("move", button, shift, x, y))

        def OnMouseDown(self, button, shift, x, y):
            self.seen.append(("down", button, shift, x, y))

        def OnMouseUp(self, button, shift, x, y):
            self.seen.append(("up", button, shift, x, y))

    form = shown_form()
    mouse = velmo.WithEvents(form, Mouse)
    velmo.display.move_pointer(100, 100)
    velmo.do_events()
    (_, _, _, x, y), = mouse.seen
    mouse.seen.clear()
    velmo.display.move_pointer(110, 105)
    velmo.display.press("left")
    velmo.display.release("left")
    velmo.do_events()
    assert mouse.seen == [
        ("move", 0, 0, x + 10, y + 5),
        ("down", 1, 0, x + 10, y + 5),
        ("up", 1, 0, x + 10, y + 5),
    ]


def test_a_handler_run_mid_call_sees_and_changes_a_ref():
    # BoxGradient stores Size + 2 into the caller's variable, then pumps messages before every
    # box and reads the variable again: the handler runs in between.
    form = shown_form()
    size = velmo.Ref(2)
    seen = []

    class Mouse:
        def OnMouseMove(self, *args):
            if not seen:
                seen.append(size.value)
                size.value = 8

    handler = velmo.WithEvents(form, Mouse)
    velmo.display.move_pointer(100, 100)
    velmo.Dispatch("Velmo10.clsKxLumoGradientsA").BoxGradient(form, 255, 0, 0, 0, 0, 255, size, True)
    assert seen == [4]
    assert size.value == 8
    del handler


@pytest.mark.parametrize("raised", [ValueError("bad tick"), velmo.Error(5, "script", "no")], ids=["ValueError", "velmo.Error"])
def test_a_handlers_exception_reaches_the_script(raised):
    class Failing:
        def OnTimer(self):
            raise raised

    timer = velmo.Timer(100)
    handler = velmo.WithEvents(timer, Failing)
    with pytest.raises(type(raised)) as caught:
        velmo.run(seconds=1)
    assert str(caught.value) == str(raised)
    assert velmo.display.tick_count() == 100  # it ended at the first tick
    del handler


def test_a_handler_and_its_object_are_freed_when_the_script_lets_go():
    ticks = []

    class KeepsItsTimer:
        def __init__(self):
            self.timer = None

        def OnTimer(self):
            ticks.append(velmo.display.tick_count())

    timer = velmo.Timer(100)
    handler = velmo.WithEvents(timer, KeepsItsTimer)
    handler.timer = timer  # handler -> timer; the timer reaches its handler only weakly
    velmo.run(seconds=0.2)
    assert len(ticks) == 2
    gone = weakref.ref(handler), weakref.ref(timer)
    del handler, timer  # no gc.collect(): reference counts alone must free them
    assert [ref() for ref in gone] == [None, None]
    velmo.run(seconds=1)
    assert len(ticks) == 2


class Colors:
    def __init__(self):
        self.seen = []

    def OnRGBUnderMousePointer(self, r, g, b, lcol):
        self.seen.append((r, g, b, lcol))


@pytest.mark.parametrize("back_color, event", [(0x0000FF, ("FF", "00", "00", 255)), (0x0A0B0C, ("0C", "0B", "0A", 0x0A0B0C))])
def test_the_pickers_event_reaches_a_python_handler(back_color, event):
    form = shown_form()
    form.BackColor = back_color
    velmo.display.move_pointer(100, 100)
    picker = velmo.DispatchWithEvents("Velmo10.clsKxLumoPickColFromMouseA", Colors)
    assert isinstance(picker, Colors) and picker.seen == []
    picker.StartGettingRGB()
    assert picker.TimeInterval == 100
    velmo.run(seconds=0.35)
    picker.StopGettingRGB()
    assert picker.seen == [event] * 3


def test_a_picker_handler_is_freed_when_the_script_lets_go():
    events = []

    class Recording:
        def OnRGBUnderMousePointer(self, *args):
            events.append(args)

    shown_form()
    picker = velmo.DispatchWithEvents("Velmo10.clsKxLumoPickColFromMouseA", Recording)
    picker.TimeInterval = 50
    picker.StartGettingRGB()
    velmo.run(seconds=0.1)
    assert len(events) == 2
    gone = weakref.ref(picker)
    del picker  # no gc.collect(): reference counts alone must free it
    assert gone() is None
    # The component keeps its newest picker, and its timer, by design; the events find no handler.
    velmo.run(seconds=0.5)
    assert len(events) == 2
    velmo.Dispatch("Velmo10.clsKxLumoPickColFromMouseA").StopGettingRGB()


def test_objects_without_events_are_refused():
    with pytest.raises(TypeError, match="raises no events"):
        velmo.WithEvents(velmo.Dispatch("Velmo10.clsKxLumoJPGTagsA"), Ticks)
