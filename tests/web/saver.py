"""The page as a screen saver, driven through Chromium's DevTools protocol as
a user drives it: the "Full screen" button puts the scene in full screen; a
key, a click, a touch and a pointer move of more than 4 pixels each leave it,
a move of a pixel or two does not; without the full-screen API (taken away
before the page's scripts run, as on an iPhone) the scene fills the window
instead, ended the same way. The choice to keep the screen on (Screen Wake
Lock, granted or denied through the DevTools protocol): off, saving takes no
lock; on, a lock is held while saving and let go when saving ends or the
page is hidden (a minimized window), taken again when the page shows again
still saving; the choice is remembered across a reload; a refused lock is
said once in the page; without the API the choice is not shown. ?frame=N
draws frame N once and stops; parameters that are not plain numbers in
range are ignored, with a line on the console, and the scene moves on."""
import os
import urllib.parse

import browser_kit as kit

kit.start()
server = kit.serve(os.environ['KORV_WEB'])

# Run in the page before its own scripts: the full-screen API taken away, as
# on an iPhone; the wake locks that the page takes recorded as the browser
# gives them (their `released` is the browser's own).
WITHOUT_FULL_SCREEN = (
    "for (const name of ['requestFullscreen', 'webkitRequestFullscreen']) delete Element.prototype[name];"
    " for (const name of ['exitFullscreen', 'webkitExitFullscreen', 'fullscreenElement', 'webkitFullscreenElement',"
    " 'fullscreenEnabled', 'webkitFullscreenEnabled']) delete Document.prototype[name];")
RECORD_WAKE_LOCKS = (
    "window.wakeLocksTaken = []; if (window.WakeLock) { const request = WakeLock.prototype.request;"
    " WakeLock.prototype.request = function (type) { const asked = request.call(this, type);"
    " asked.then(lock => wakeLocksTaken.push(lock), () => {}); return asked; }; }")
WITHOUT_WAKE_LOCK = "delete Navigator.prototype.wakeLock;"

browser = None
mode = None  # how the page saves: 'full screen' or 'the window' (filling it)
x = y = 0    # the button's middle


def cdp(command, **params):
    return kit.cdp(browser, command, **params)


def mouse(kind, x, y, **extra):
    cdp('Input.dispatchMouseEvent', type=kind, x=x, y=y, **extra)


def click(x, y):
    mouse('mousePressed', x, y, button='left', clickCount=1)
    mouse('mouseReleased', x, y, button='left', clickCount=1)


def press_key():
    cdp('Input.dispatchKeyEvent', type='keyDown', key='a', code='KeyA', text='a', windowsVirtualKeyCode=65)
    cdp('Input.dispatchKeyEvent', type='keyUp', key='a', code='KeyA', windowsVirtualKeyCode=65)


def touch(x, y):
    cdp('Input.dispatchTouchEvent', type='touchStart', touchPoints=[{'x': x, 'y': y}])
    cdp('Input.dispatchTouchEvent', type='touchEnd', touchPoints=[])


def saving_state():
    """'full screen' or 'the window' while the scene saves alone over the
    whole window without a pointer (in full screen or not), 'not saving'."""
    return browser.execute_script(
        "const stage = document.getElementById('stage'), r = stage.getBoundingClientRect();"
        " const alone = document.getElementById('page').offsetParent === null && getComputedStyle(stage).cursor === 'none'"
        " && r.width === innerWidth && r.height === innerHeight;"
        " if (!document.body.classList.contains('saving'))"
        "   return document.fullscreenElement ? 'full screen, not saving' : 'not saving';"
        " if (!alone) return 'saving, not alone over the window';"
        " return document.fullscreenElement === stage ? 'full screen' : 'the window';")


def saving():
    return saving_state() == mode


def not_saving():
    return saving_state() == 'not saving'


def moving_scene():
    """The scene draws frame after frame."""
    first = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    return first and kit.wait_until(kit.PATIENCE, lambda: kit.status(browser)[0] > first[0] + 2)


def open_page(how, *scripts, width=800, height=600):
    """A browser of its own showing the moving page, SCRIPTS run before the
    page's own; the page saves in full screen or, without the full-screen
    API, filling the window."""
    global browser, mode, x, y
    browser = kit.open_browser(width, height)
    for script in scripts:
        cdp('Page.addScriptToEvaluateOnNewDocument', source=script)
    mode = 'the window' if WITHOUT_FULL_SCREEN in scripts else 'full screen'
    browser.get(server.url + 'index.html')
    if not moving_scene():
        kit.fail_now('%s: the page shows the moving scene' % how, 'no frames drawn')
    x, y = middle('full-screen')


def middle(element):
    return browser.execute_script("const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                                  " return [r.x + r.width / 2, r.y + r.height / 2]", element)


def enter(how):
    mouse('mouseMoved', x, y)
    click(x, y)
    return kit.check('the button starts saving in %s (before %s)' % (mode, how), kit.wait_until(kit.PATIENCE, saving),
                     saving_state())


def leaving(ways, moves):
    """Each way of leaving, from saving started with the button; then moves
    of the pointer from where it is first seen while saving: more than 4
    pixels, summed over both axes, leave; up to 4 do not (watched over 30
    animation frames), and moves add up from that first place."""
    for how, act in ways:
        if enter(how):
            act()
            kit.check('%s ends saving in %s' % (how, mode), kit.wait_until(kit.PATIENCE, not_saving))
    for moves, leaves in moves:
        how = 'moves to ' + ', '.join('(%d, %d)' % move for move in moves)
        if not enter(how):
            continue
        mouse('mouseMoved', x, y)
        for dx, dy in moves:
            mouse('mouseMoved', x + dx, y + dy)
        if leaves:
            kit.check('%s end saving in %s' % (how, mode), kit.wait_until(kit.PATIENCE, not_saving))
            continue
        kit.animation_frames(browser, 30)
        kit.check('%s go on saving in %s' % (how, mode), saving())
        press_key()
        kit.wait_until(kit.PATIENCE, not_saving)


# Smaller than a screen: SwiftShader draws it faster.
open_page('with the full-screen API', RECORD_WAKE_LOCKS)
ways = [('a key', press_key), ('a click', lambda: click(x + 200, y)), ('a touch', lambda: touch(500, 300))]
leaving(ways, [([(2, 2)], False), ([(4, 0)], False), ([(-1, -3)], False), ([(3, 2)], True), ([(5, 0)], True),
               ([(0, -5)], True), ([(3, 0), (6, 0)], True), ([(3, 0), (1, 0), (3, 1)], False)])

# The browser's own way out (Escape) ends saving too.
if enter('Escape'):
    cdp('Input.dispatchKeyEvent', type='rawKeyDown', key='Escape', code='Escape', windowsVirtualKeyCode=27)
    cdp('Input.dispatchKeyEvent', type='keyUp', key='Escape', code='Escape', windowsVirtualKeyCode=27)
    kit.check('Escape leaves full screen', kit.wait_until(kit.PATIENCE, not_saving))
kit.check('the page is back with its button',
          browser.execute_script("return document.getElementById('page').offsetParent !== null"))


# --- the screen kept on while saving, when asked --------------------------------

def locks(held_only=True):
    """The wake locks the page holds (or has taken, held or not)."""
    return browser.execute_script("return wakeLocksTaken.filter(l => !arguments[0] || !l.released).length", held_only)


def choice():
    """Whether the choice to keep the screen on is shown, and whether it is on."""
    return browser.execute_script(
        "const c = document.getElementById('keep-screen-on'); return [c.offsetParent !== null, c.checked]")


def choose(on):
    if choice()[1] != on:
        click(*middle('keep-screen-on'))


def allow_wake_lock(setting):
    cdp('Browser.setPermission', permission={'name': 'screen-wake-lock'}, setting=setting, origin=server.url[:-1])


def page_hidden(hidden):
    kit.hide_page(browser, hidden)
    state = 'hidden' if hidden else 'visible'
    return kit.wait_until(kit.PATIENCE, lambda: browser.execute_script("return document.visibilityState") == state)


allow_wake_lock('granted')
kit.check('the choice to keep the screen on is shown, off at first', choice() == [True, False], str(choice()))
if enter('the choice off'):
    kit.animation_frames(browser, 30)
    kit.check('with the choice off, saving takes no wake lock', locks(held_only=False) == 0)
    press_key()
    kit.wait_until(kit.PATIENCE, not_saving)
choose(True)
if enter('the page hidden in full screen') and kit.check(
        'with the choice on, a wake lock is held while saving in full screen',
        kit.wait_until(kit.PATIENCE, lambda: locks() == 1), str(locks())):
    taken = locks(held_only=False)
    kit.check('the page hidden while saving in full screen: the browser lets the lock go',
              page_hidden(True) and kit.wait_until(kit.PATIENCE, lambda: locks() == 0), str(locks()))
    kit.check('the page shown again: full screen was left, saving has ended, no lock is taken again',
              page_hidden(False) and kit.wait_until(kit.PATIENCE, not_saving) and locks(held_only=False) == taken,
              '%s, %s locks taken' % (saving_state(), locks(held_only=False) - taken))
browser.refresh()
moving_scene()
kit.check('the choice is remembered across a reload', choice() == [True, True], str(choice()))

# ?frame=N: frame N, drawn once; nothing more over the next frames.
for frame in [0, 123, 100000000]:
    browser.get(server.url + 'index.html?frame=%d' % frame)
    status = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    kit.animation_frames(browser, 30)
    later = kit.status(browser)
    kit.check('?frame=%d shows frame %d, drawn once, and stops' % (frame, frame),
              status and later and later[:2] == [frame, 1], 'status %s, then %s' % (status, later))
    kit.check('?frame=%d shows the frame alone (no text, no button)' % frame,
              browser.execute_script("return document.getElementById('page').offsetParent === null"
                                     " && document.getElementById('rate').offsetParent === null"))

# Parameters that are ignored, all on one address: the scene moves, the
# console has a line for each; a good one after bad ones still counts.
kit.console(browser)
bad = ['frame=abc', 'frame=-1', 'frame=100000001', 'frame=1e3', 'frame=', 'frame=+5', 'frame=%2075', 'frame=7.5',
       'frame=0x10', 'fps=2', 'fps=yes', 'speed=3']
browser.get(server.url + 'index.html?' + '&'.join(bad))
kit.check('bad parameters are ignored: the scene moves on', moving_scene())
lines = [text for level, text in kit.console(browser) if 'ignored the parameter' in text]
for parameter in bad:
    shown = urllib.parse.unquote_plus(parameter)
    kit.check('?%s is ignored with a line on the console' % parameter,
              len([line for line in lines if ' %s: ' % shown in line]) == 1, '\n'.join(lines))
browser.get(server.url + 'index.html?frame=abc&frame=5')
status = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
kit.check('a good frame after a bad one is drawn', status and status[:2] == [5, 1], str(status))

# ?fps: the rate in a corner, as the Linux edition's -fps shows it.
browser.get(server.url + 'index.html?fps')
rate = kit.wait_until(kit.PATIENCE, lambda: browser.execute_script(
    "const r = document.getElementById('rate'); return !r.hidden && /^FPS: [0-9.]+\\nLoad: [0-9.]+%$/.test(r.textContent)"
    " && r.textContent"))
kit.check('?fps shows the frame rate and the load', rate, 'the corner shows nothing of the kind')
kit.note('?fps showed: %s' % (rate or '').replace('\n', ' / '))
browser.get(server.url + 'index.html')
moving_scene()
kit.check('without ?fps no rate is shown', browser.execute_script("return document.getElementById('rate').hidden"))

# Without the full-screen API (an iPhone's browsers): saving fills the
# window, ended as in full screen; the wake lock is let go while the page is
# hidden and taken again when it shows again, still saving.
open_page('without the full-screen API', WITHOUT_FULL_SCREEN, RECORD_WAKE_LOCKS)
kit.check('the page has no full-screen API', browser.execute_script(
    "return !document.getElementById('stage').requestFullscreen && !('fullscreenElement' in document)"))
leaving(ways, [([(2, 0)], False), ([(5, 0)], True)])
allow_wake_lock('granted')
choose(True)
if enter('the page hidden') and kit.check('with the choice on, a wake lock is held while saving in the window',
                                          kit.wait_until(kit.PATIENCE, lambda: locks() == 1), str(locks())):
    kit.check('the page hidden: the browser lets the lock go, saving goes on',
              page_hidden(True) and kit.wait_until(kit.PATIENCE, lambda: locks() == 0) and saving(),
              '%s, %s locks' % (saving_state(), locks()))
    kit.check('the page shown again, still saving: the lock is taken again',
              page_hidden(False) and kit.wait_until(kit.PATIENCE, lambda: locks() == 1) and saving(),
              '%s, %s locks' % (saving_state(), locks()))
    press_key()
    kit.check('saving ends, and the lock is let go',
              kit.wait_until(kit.PATIENCE, lambda: not_saving() and locks() == 0), str(locks()))

# A lock refused: said once in the page, however often it is refused; no
# error on the console.
allow_wake_lock('denied')
kit.console(browser)
for attempt in range(2):
    if enter('a refused lock'):
        kit.animation_frames(browser, 10)
        press_key()
        kit.wait_until(kit.PATIENCE, not_saving)
said = browser.execute_script(
    "const said = document.getElementById('keep-on-refused'); return said.offsetParent !== null"
    " && document.body.innerText.split(said.textContent).length - 1")
kit.check('a refused lock is said once in the page', said == 1, str(said))
loud = [text for level, text in kit.console(browser) if level == 'SEVERE']
kit.check('a refused lock is no error on the console', not loud, '\n'.join(loud))

# Without the Screen Wake Lock API the choice is not shown.
open_page('without the Screen Wake Lock API', WITHOUT_WAKE_LOCK)
kit.check('without the Screen Wake Lock API the choice is not shown', choice()[0] is False, str(choice()))
kit.done()
