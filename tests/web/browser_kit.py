"""The browser tests' kit: results as the shell kit prints them (tests/kit/lib.sh),
waits with generous limits, a web server on 127.0.0.1 that the test starts and
stops, and headless Chromium driven through the DevTools protocol
(chromium-driver and python3-selenium).

    import browser_kit as kit
    kit.start()                                  # the scratch folder ($KORV_SCRATCH)
    server = kit.serve(folder)                   # http://127.0.0.1:PORT/
    browser = kit.open_browser(1024, 768)
    browser.get(server.url + 'index.html?frame=75')
    status = kit.wait_until(kit.PATIENCE, lambda: kit.drawn(browser, 75))
    kit.check('frame 75 drawn', status is not None)
    kit.done()                                   # exit 1 if a check failed or none passed

Environment: KORV_SCRATCH (the test's scratch folder, emptied and kept),
KORV_CHROMIUM and KORV_CHROMEDRIVER (default /usr/bin/chromium and
/usr/bin/chromedriver).
"""
import atexit
import http.server
import json
import os
import shutil
import sys
import tempfile
import threading
import time

from selenium import webdriver
from selenium.webdriver.chrome.service import Service

PATIENCE = 60  # seconds: the limit of a wait for what normally takes a moment

_passed = 0
_failed = 0
_cleanups = []
scratch = None


def start():
    """Empties the scratch folder and arms the cleanup."""
    global scratch
    scratch = os.environ.get('KORV_SCRATCH')
    if scratch:
        shutil.rmtree(scratch, ignore_errors=True)
        os.makedirs(scratch)
    else:
        scratch = tempfile.mkdtemp(prefix='korv-web-test.')
        at_exit(shutil.rmtree, scratch, True)
    atexit.register(_cleanup)


def at_exit(function, *args):
    """Queues a call for the end of the test (the last queued first)."""
    _cleanups.append((function, args))


def _cleanup():
    while _cleanups:
        function, args = _cleanups.pop()
        try:
            function(*args)
        except Exception as error:  # a cleanup that fails must not hide the results
            print('# cleanup failed: %s' % error)


def ok(desc):
    global _passed
    _passed += 1
    print('ok - ' + desc, flush=True)


def fail(desc, why=''):
    global _failed
    _failed += 1
    print('FAIL - ' + desc + (': ' + why if why else ''), flush=True)


def check(desc, condition, why=''):
    if condition:
        ok(desc)
    else:
        fail(desc, why)
    return bool(condition)


def note(text):
    for line in str(text).splitlines():
        print('# ' + line, flush=True)


def done():
    print('# %d passed, %d failed' % (_passed, _failed), flush=True)
    sys.exit(0 if _failed == 0 and _passed > 0 else 1)


def fail_now(desc, why=''):
    fail(desc, why)
    done()


def wait_until(limit, condition):
    """The first true value of condition(), tried every 50 ms; None once
    `limit` seconds passed without one."""
    deadline = time.monotonic() + limit
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.05)


# --- the web server -------------------------------------------------------------

class _Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        self.server.requests.append(self.path)


def serve(folder):
    """Serves `folder` on 127.0.0.1 (a free port) until the test ends; the
    server's `url` ends in '/', its `requests` lists the paths asked for."""
    handler = lambda *args, **kw: _Handler(*args, directory=folder, **kw)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    server.requests = []
    server.url = 'http://127.0.0.1:%d/' % server.server_address[1]
    thread = threading.Thread(target=server.serve_forever, daemon=True)
    thread.start()
    at_exit(_stop_server, server, thread)
    return server


def _stop_server(server, thread):
    server.shutdown()
    server.server_close()
    thread.join()


# --- the browser ----------------------------------------------------------------

def open_browser(width=1024, height=768, ratio=1, extra_args=()):
    """Headless Chromium showing pages at width x height CSS pixels with
    `ratio` device pixels to one (a phone's screen at 3), its own empty
    profile, SwiftShader's WebGL, no network of its own; closed at the end."""
    profile = tempfile.mkdtemp(prefix='profile.', dir=scratch)
    options = webdriver.ChromeOptions()
    options.binary_location = os.environ.get('KORV_CHROMIUM', '/usr/bin/chromium')
    for arg in ['--headless', '--enable-unsafe-swiftshader', '--no-first-run', '--disable-background-networking',
                '--disable-component-update', '--disable-sync', '--disable-quic', '--no-default-browser-check',
                '--user-data-dir=' + profile, '--window-size=%d,%d' % (width, height)] + list(extra_args):
        options.add_argument(arg)
    if os.geteuid() == 0:
        options.add_argument('--no-sandbox')  # Chromium's sandbox refuses root
    options.set_capability('goog:loggingPrefs', {'browser': 'ALL', 'performance': 'ALL'})
    service = Service(os.environ.get('KORV_CHROMEDRIVER', '/usr/bin/chromedriver'),
                      log_path=os.path.join(scratch, 'chromedriver.log'))
    browser = webdriver.Chrome(service=service, options=options)
    browser.set_page_load_timeout(PATIENCE)
    browser.set_script_timeout(PATIENCE)
    at_exit(browser.quit)
    # The window's size holds the browser's own frame too: the page's size
    # is set exactly.
    set_page_size(browser, width, height, ratio)
    requested_urls(browser)  # the browser's own start page is not the page's
    return browser


def test_page_result(page, variable, desc):
    """Opens one of the subset's test pages (web/tests/PAGE) in a small window
    and returns the text that it leaves in window.VARIABLE; stops the test
    with DESC when none comes or the page got no WebGL 2 context."""
    server = serve(os.environ['KORV_WEB'])
    browser = open_browser(256, 256)
    browser.get(server.url + 'tests/' + page)
    result = wait_until(PATIENCE, lambda: browser.execute_script('return window.' + variable))
    if not result or result == 'no context':
        fail_now(desc, str(result))
    return result


def set_page_size(browser, width, height, ratio=1):
    """Shows pages at width x height CSS pixels, `ratio` device pixels to one
    (the page gets a resize event when it changes)."""
    browser.execute_cdp_cmd('Emulation.setDeviceMetricsOverride',
                            {'width': width, 'height': height, 'deviceScaleFactor': ratio, 'mobile': ratio > 1})


def status(browser):
    """The page's program: (frame shown, frames drawn, ms in its frame
    function), or None before it runs."""
    return browser.execute_script(
        "return (window.Module && Module.calledRun) ?"
        " [Module._web_scene_frame(), Module._web_frames_drawn(), Module._web_busy_ms()] : null")


def animation_frames(browser, count):
    """Lets `count` of the browser's animation frames pass (an observation
    over a span of frames, not a deadline)."""
    browser.execute_async_script(
        "const done = arguments[arguments.length - 1]; let left = arguments[0];"
        "function next() { if (--left <= 0) done(); else requestAnimationFrame(next); }"
        "requestAnimationFrame(next);", count)


def console(browser):
    """The console's messages since the last call, as (level, text)."""
    return [(entry['level'], entry['message']) for entry in browser.get_log('browser')]


def requested_urls(browser):
    """Every address the page asked for since the last call (the DevTools
    protocol's network events)."""
    urls = []
    for entry in browser.get_log('performance'):
        message = json.loads(entry['message'])['message']
        if message.get('method') == 'Network.requestWillBeSent':
            urls.append(message['params']['request']['url'])
    return urls


def screenshot(browser, path):
    """The page as shown, into a PNG file."""
    with open(path, 'wb') as out:
        out.write(browser.get_screenshot_as_png())
    return path
