#!/usr/bin/env python3
"""The scenarios at the glass, one per fault a person met, plus a first run
from start to restart. Run: scenarios.py --program PROGRAM --tool TOOL [NAME...]"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from glass import SCREEN_H, SCREEN_W, Failure, check, main, near, on_screen, read_prefs, run, scenario, \
    wait_until, write_prefs  # noqa: E402


@scenario
def first_run_to_restart(fx, apps):
    """First start -> Yes -> the Music folder is added -> a colour button plays -> Ctrl+Q -> restart
    finds the same library, the same window and the list in the same order."""
    home = fx.home(music=10)
    app = fx.start(home, raw=True)
    apps.append(app)
    welcome = app.window("Welcome to Lumaroll!")
    app.ready()
    client, _ = welcome.geometry()
    # "Yes." is chosen already; Done starts the add run.
    app.click(client[0] + 450 - 90 + 30, client[1] + 400 - 26)
    app.gone("Welcome to Lumaroll!")
    database = os.path.join(app.data, "Lumaroll", "LumarollDatabase")
    wait_until("the add run to save the library", lambda: os.path.exists(database) and os.path.getsize(database) ==
               10 * 4566, timeout=30)
    time.sleep(1.0)
    x, y, w, h = app.origin
    list_area = (x, y + 73, w - 20, h - 73 - 32)
    after_add = fx.shot("after-add").region(*list_area)
    before = fx.shot("before-play").region(x + 100, y, 48, 48)
    bx, by = app.colour_button(1)
    app.click_content(bx, by)
    wait_until("the play button to show Stop",
               lambda: fx.shot(None).region(x + 100, y, 48, 48) != before, timeout=5)
    fx.shot("playing")
    client_before, _ = app.main.geometry()
    app.key("ctrl+q")
    check(app.wait_exit() == 0, "Ctrl+Q did not end the program cleanly")
    library = open(database, "rb").read()

    again = fx.start(home)
    apps.append(again)
    time.sleep(0.5)
    check(not again.windows("Welcome to Lumaroll!"), "the welcome window came back")
    client_after, _ = again.main.geometry()
    check(client_after == client_before, f"window at {client_after}, was {client_before}")
    restarted = fx.shot("restarted").region(*list_area)
    check(restarted == after_add, "the list after the add run differs from the list after a restart")
    again.key("ctrl+q")
    check(again.wait_exit() == 0, "Ctrl+Q did not end the restarted program")
    check(open(database, "rb").read() == library, "the library changed on a restart")


@scenario
def frame_on_screen(fx, apps):
    """The whole frame, title bar and menu bar included, is on the screen at every start."""
    home = fx.home()
    starts = [("first start", None), ("saved at the top edge", (0, 5, 1000, 600)),
              ("saved on a screen that is gone", (3000, 200, 1000, 600)),
              ("saved past the bottom right", (SCREEN_W - 900, SCREEN_H - 500, 1000, 600))]
    for what, prefs in starts:
        if prefs:
            write_prefs(os.path.join(home, ".config"), *prefs)
        app = fx.start(home, raw=True)
        apps.append(app)
        main_window = app.window("Lumaroll")
        time.sleep(0.8)
        client, frame = main_window.geometry()
        fx.shot(what.replace(" ", "-"))
        check(frame != client, f"{what}: the window has no frame")
        check(on_screen(frame), f"{what}: frame {frame} is not wholly on the {SCREEN_W}x{SCREEN_H} screen")
        app.kill()
        apps.remove(app)



def open_name_sheet(app):
    """File > Send Current Playlist To iTunes... (above Files Not Added... and Quit)."""
    app.open_menu()
    app.key("Up", "Up", "Up", "Return")
    return app.window("Send Current Playlist")


def other_window(app, width, height):
    for w in app.windows(".*"):
        client, _ = w.geometry()
        if client[2:] == (width, height):
            return w
    return None


def playing_and_summary(shot, app):
    """What a playlist switch or a start of play changes: the play button and the summary line."""
    x, y, w, h = app.origin
    return shot.region(x + 100, y, 48, 48) + shot.region(x + w // 2 - 200, y + h - 23, 400, 13)


@scenario
def sheets_are_window_modal(fx, apps):
    """With a sheet open the main window's controls do nothing, and the sheet moves with the window."""
    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    x, y, w, h = app.origin
    sheet = open_name_sheet(app)
    time.sleep(0.3)

    def hangs(what):
        (sx, sy, sw, _), _ = sheet.geometry()
        cx, cy, cw, _ = app.content()
        check(abs(sx - (cx + (cw - sw) // 2)) <= 1 and sy == cy,
              f"{what}: the sheet is at {sx},{sy}, not hanging from the window's content at {cx},{cy}")
    hangs("opened")
    app.park()
    before = playing_and_summary(fx.shot("name-sheet"), app)
    app.click_content(*app.colour_button(1))
    time.sleep(1.0)
    app.park()
    check(playing_and_summary(fx.shot("colour-clicked"), app) == before,
          "a colour button switched the playlist under the name sheet")
    fx.display.x("xdotool", "windowmove", "--sync", app.main.id, "60", "70")
    time.sleep(0.5)
    fx.shot("moved")
    hangs("after the window moved")
    app.kill()
    apps.remove(app)

    # During an add run: the progress sheet.
    home = fx.home(with_library=True)
    extra = os.path.join(home, "More")
    fx.write_tunes(extra, 180, "Extra")
    app = fx.start(home, extra)
    apps.append(app)
    x, y, w, h = app.origin
    progress = wait_until("the add-progress sheet", lambda: other_window(app, 437, 157))
    (sx, sy, sw, _), _ = progress.geometry()
    check(sy == y, f"the add-progress sheet is at y {sy}, not hanging from the content at {y}")
    app.park()
    before = playing_and_summary(fx.shot("adding"), app)
    app.click_content(*app.colour_button(1))
    app.click_content(150, 73 + 30, repeat=2)  # double-click on the first rows
    time.sleep(1.0)
    app.park()
    check(other_window(app, 437, 157), "the add run ended before the test could look")
    check(playing_and_summary(fx.shot("adding-clicked"), app) == before,
          "the colour button or a double-click acted during the add run")
    # Escape is the sheet's Stop: the run ends early and keeps what it added.
    app.key("Escape")
    wait_until("Escape to stop the add run", lambda: not other_window(app, 437, 157), timeout=2)
    database = os.path.join(app.data, "Lumaroll", "LumarollDatabase")
    size = wait_until("the stopped run's save", lambda: os.path.getsize(database) // 4566 > 12 and
                      os.path.getsize(database), timeout=3)
    check(size // 4566 < 12 + 180, "the add run was not stopped")


@scenario
def welcome_stays_above(fx, apps):
    """The welcome window stays above the main window, which takes no clicks, until Done."""
    app = fx.start(fx.home(), raw=True)
    apps.append(app)
    welcome = app.window("Welcome to Lumaroll!")
    app.ready()
    x, y, w, h = app.origin
    app.click(x + 60, y + h - 80)
    app.click_content(*app.colour_button(10 - 9))
    time.sleep(0.5)
    fx.shot("main-clicked")
    stacking = fx.display.x("xprop", "-root", "_NET_CLIENT_LIST_STACKING").split("#")[1]
    order = [int(v, 16) for v in stacking.split(",")]
    check(order.index(int(welcome.id)) > order.index(int(app.main.id)), "the main window came above the welcome window")
    check(app.windows("Welcome to Lumaroll!"), "the welcome window went away")


@scenario
def quit_during_add_run(fx, apps):
    """File > Quit and Ctrl+Q during an add run ask before quitting; Cancel keeps the run going."""
    home = fx.home(with_library=True)
    extra = os.path.join(home, "More")
    fx.write_tunes(extra, 180, "Extra")
    app = fx.start(home, extra)
    apps.append(app)
    wait_until("the add-progress sheet", lambda: other_window(app, 437, 157))
    database = os.path.join(app.data, "Lumaroll", "LumarollDatabase")
    saved = open(database, "rb").read()
    alert = lambda: [a for a in app.windows("Lumaroll") if a.id != app.main.id]
    app.open_menu()
    app.key("Up", "Return")
    wait_until("the question from File > Quit", alert, timeout=3)
    fx.shot("file-quit")
    app.key("Escape")
    time.sleep(0.5)
    check(app.alive() and not alert(), "Cancel did not keep the program running")
    check(other_window(app, 437, 157), "the add run ended before the test could look")
    app.key("ctrl+q")
    wait_until("the question from Ctrl+Q", alert, timeout=3)
    app.key("Return")
    check(app.wait_exit() == 0, "the program did not end after Quit")
    check(len(read_prefs(app.config)) == 5, "the preferences were not written")
    check(open(database, "rb").read() == saved, "the library was saved although the run was quit")


@scenario
def ampersand_is_literal(fx, apps):
    """"R&B" in a menu is the text itself: typing B in the menu chooses nothing."""
    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    app.click_content(150, 73 + 30)
    app.open_menu(rights=1)         # Edit
    app.key("Up", "Up", "Right")    # Set Genre For This Artist, opened
    time.sleep(0.3)
    fx.shot("genre-menu")
    app.key("b")
    time.sleep(0.3)
    app.key("Escape", "Escape", "Escape")
    app.key("ctrl+q")
    check(app.wait_exit() == 0, "Ctrl+Q did not end the program")
    genres = {line.split('"genre":"')[1].split('"')[0]
              for line in run(fx.tool, "dump", "--db", os.path.join(app.data, "Lumaroll", "LumarollDatabase"))
              .splitlines()}
    check(genres == {"Unknown"}, f"typing B in the genre menu set the genres {sorted(genres)}")


@scenario
def overlays_are_drawn(fx, apps):
    """Without a compositing manager the notices are drawn, and "Saving Library..." is centred on the window."""
    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    x, y, w, h = app.origin
    app.click_content(w - 115, 31)
    app.key("z", "z", "q", "Return")
    notice = app.window("Saving", timeout=3)
    (nx, ny, nw, nh), _ = notice.geometry()
    midnight_blue = (0, 57, 124)
    try:
        wait_until("the notice's panel", lambda: near(fx.shot(None).at(nx + 60, ny + 60), midnight_blue), timeout=1.5)
    except Failure:
        pass  # told below, with the colour seen
    shot = fx.shot("no-match")
    check(near(shot.at(nx + 60, ny + 60), midnight_blue), f"the notice's panel is {shot.at(nx + 60, ny + 60)}")
    check(near(shot.at(nx + 42, ny + 150), (254, 254, 254), 4),
          f"the notice's edge is {shot.at(nx + 42, ny + 150)}, not near-white")
    app.gone("Saving", timeout=4)
    time.sleep(0.3)
    check(fx.shot("notice-gone").region(nx, ny, 36, 36) == shot.region(nx, ny, 36, 36),
          "the notice covers the window outside its panel")

    client, _ = app.main.geometry()
    app.key("ctrl+q")
    saving = app.window("Saving", timeout=3)
    (sx, sy, sw, sh), _ = saving.geometry()
    check(abs(sx + sw // 2 - (x + w // 2)) <= 2 and abs(sy + sh // 2 - (y + h // 2)) <= 2,
          f"the saving window is at {sx},{sy}, not centred on the main window")
    app.wait_exit()



def ink_rows(shot, x, y, w, h):
    """The number of pixel rows of a strip that hold dark (text) pixels."""
    return sum(1 for r in range(h) if any(sum(shot.at(x + c, y + r)) < 300 for c in range(w)))


@scenario
def activity_line_elides(fx, apps):
    """A long activity text keeps the normal font and ends in an ellipsis."""
    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    x, y, w, h = app.origin
    normal = ink_rows(fx.shot(None), x + 13, y + h - 23, 237, 13)
    sheet = open_name_sheet(app)
    (sx, sy, sw, sh), _ = sheet.geometry()
    app.click(sx + sw - 44, sy + sh - 25)  # Send
    app.gone("Send Current Playlist")
    time.sleep(0.5)
    shot = fx.shot("saved-playlist")
    rows = ink_rows(shot, x + 13, y + h - 23, 237, 13)
    check(rows >= normal - 1, f"the activity line's text is {rows} pixels high, 'Activity: None' was {normal}")


@scenario
def columns_follow_window(fx, apps):
    """The text columns share the list's width: no scrollbar at the smallest size, no blank strip when wide."""
    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    _, frame = app.main.geometry()
    for what, width, height in (("at the first size", None, None), ("at the smallest size", 973, 500),
                                ("wide", SCREEN_W - 20, 700)):
        if width:
            mb = app.origin[1] - app.main.geometry()[0][1]
            fx.display.x("xdotool", "windowsize", "--sync", app.main.id, str(width), str(height + mb))
            time.sleep(0.6)
            app.origin = app.content()
        x, y, w, h = app.origin
        shot = fx.shot(what.replace(" ", "-"))
        header = y + 73 + 8
        dividers = [c for c in range(w - 60, w) if sum(shot.at(x + c, header)) < sum(shot.at(x + c - 3, header)) - 30]
        check(dividers and dividers[-1] >= w - 6,
              f"{what} ({w} wide): the last column ends at {dividers[-1] if dividers else None}, not at the list's edge")
        above_band = [shot.at(x + c, y + h - 32 - 6) for c in range(200, w - 200, 50)]
        check(all(px == (255, 255, 255) for px in above_band),
              f"{what} ({w} wide): a horizontal scrollbar under the list")


@scenario
def standard_keys(fx, apps):
    """Return presses the default button and Escape Cancel or closes; Return on a row plays it."""
    app = fx.start(fx.home(), raw=True)
    apps.append(app)
    app.window("Welcome to Lumaroll!")
    app.key("Return")
    app.gone("Welcome to Lumaroll!", timeout=3)
    app.kill()
    apps.remove(app)

    app = fx.start(fx.home(with_library=True))
    apps.append(app)
    for key in ("Return", "Escape"):
        app.open_menu(rights=4)  # Help
        app.key("Down", "Return")
        app.window("About Orvane.* Lumaroll")
        app.key(key)
        app.gone("About Orvane.* Lumaroll", timeout=3)
    open_name_sheet(app)
    app.key("Escape")
    app.gone("Send Current Playlist", timeout=3)
    x, y, w, h = app.origin
    button = fx.shot(None).region(x + 100, y, 48, 48)
    app.click_content(150, 73 + 40)
    app.key("Return")
    wait_until("Return on a row to play it", lambda: fx.shot(None).region(x + 100, y, 48, 48) != button, timeout=4)
    fx.shot("playing")


@scenario
def reveal_without_file_manager(fx, apps):
    """Reveal with no file manager to show the folder tells the user so."""
    home = fx.home(with_library=True)
    os.makedirs(os.path.join(home, "empty-bin"))
    app = fx.start(home, env={"PATH": os.path.join(home, "empty-bin")})
    apps.append(app)
    app.click_content(150, 73 + 30)
    app.key("ctrl+h")
    wait_until("an alert", lambda: [a for a in app.windows("Lumaroll") if a.id != app.main.id], timeout=6)
    fx.shot("alert")


if __name__ == "__main__":
    sys.exit(main())
