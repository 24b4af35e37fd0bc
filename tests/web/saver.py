"""The page as a screen saver, driven through Chromium's DevTools protocol as
a user drives it: the "Full screen" button puts the scene in full screen; a
key, a click, a touch and a pointer move of more than 4 pixels each leave it,
a move of a pixel or two does not; ?frame=N draws frame N once and stops;
parameters that are not plain numbers in range are ignored, with a line on
the console, and the scene moves on."""
import os
import urllib.parse

import browser_kit as kit

kit.start()
server = kit.serve(os.environ['KORV_WEB'])
# Smaller than a screen: SwiftShader draws it faster.
browser = kit.open_browser(800, 600)


def cdp(command, **params):
    return browser.execute_cdp_cmd(command, params)


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


def full_screen():
    return browser.execute_script(
        "return document.fullscreenElement === document.getElementById('stage')"
        " && document.body.classList.contains('saving')")


def left_full_screen():
    return browser.execute_script("return !document.fullscreenElement && !document.body.classList.contains('saving')")


def moving_scene():
    """The scene draws frame after frame."""
    first = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    return first and kit.wait_until(kit.PATIENCE, lambda: kit.status(browser)[0] > first[0] + 2)


browser.get(server.url + 'index.html')
if not moving_scene():
    kit.fail_now('the page shows the moving scene', 'no frames drawn')
button = browser.execute_script(
    "const r = document.getElementById('full-screen').getBoundingClientRect();"
    " return [r.x + r.width / 2, r.y + r.height / 2]")
x, y = button


def enter(how):
    mouse('mouseMoved', x, y)
    click(x, y)
    return kit.check('the button enters full screen (before %s)' % how,
                     kit.wait_until(kit.PATIENCE, full_screen))


# Each way of leaving, from full screen entered with the button.
for how, act in [('a key', press_key), ('a click', lambda: click(x + 200, y)), ('a touch', lambda: touch(500, 300))]:
    if enter(how):
        act()
        kit.check('%s leaves full screen' % how, kit.wait_until(kit.PATIENCE, left_full_screen))

# Moves of the pointer from where it is first seen in full screen: more than
# 4 pixels, summed over both axes, leave; up to 4 do not (watched over 30
# animation frames), and moves add up from that first place.
for moves, leaves in [([(2, 2)], False), ([(4, 0)], False), ([(-1, -3)], False), ([(3, 2)], True), ([(5, 0)], True),
                      ([(0, -5)], True), ([(3, 0), (6, 0)], True), ([(3, 0), (1, 0), (3, 1)], False)]:
    how = 'moves to ' + ', '.join('(%d, %d)' % move for move in moves)
    if not enter(how):
        continue
    mouse('mouseMoved', x, y)
    for dx, dy in moves:
        mouse('mouseMoved', x + dx, y + dy)
    if leaves:
        kit.check('%s leave full screen' % how, kit.wait_until(kit.PATIENCE, left_full_screen))
        continue
    kit.animation_frames(browser, 30)
    kit.check('%s stay in full screen' % how, full_screen())
    press_key()
    kit.wait_until(kit.PATIENCE, left_full_screen)

# The browser's own way out (Escape) ends saving too.
if enter('Escape'):
    cdp('Input.dispatchKeyEvent', type='rawKeyDown', key='Escape', code='Escape', windowsVirtualKeyCode=27)
    cdp('Input.dispatchKeyEvent', type='keyUp', key='Escape', code='Escape', windowsVirtualKeyCode=27)
    kit.check('Escape leaves full screen', kit.wait_until(kit.PATIENCE, left_full_screen))
kit.check('the page is back with its button',
          browser.execute_script("return document.getElementById('page').offsetParent !== null"))

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
kit.done()
