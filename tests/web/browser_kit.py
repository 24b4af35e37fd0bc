"""The browser tests' kit, on the shell kit (tests/kit/lib.sh): a test is a
Python program run by tests/kit/program_test.sh, which gives it its scratch
folder (KORV_SCRATCH, emptied and kept, with the shell kit's refusals), its
patience and its end, and counts the results it prints (kit_results). Here:
the result lines, waits, the scene's colours through the shell kit's
classifier, frames checked against the snapshot tool's, a web server on
127.0.0.1 that the test starts and stops (and serves again at the same
address, with HTTP caching forbidden if asked), and headless Chromium driven
through the DevTools protocol (chromium-driver and python3-selenium).

    import browser_kit as kit
    kit.start()                                  # kit.scratch: the scratch folder
    server = kit.serve(folder)                   # http://127.0.0.1:PORT/
    browser = kit.open_browser(1024, 768)
    browser.get(server.url + 'index.html?frame=75')
    status = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    kit.check('frame 75 drawn', status and status[0] == 75)
    kit.done()

Environment: KIT_TMP and PATIENCE (from kit_results), KORV_COLOURS (the
classifier, for scene_colours and colour_count), KORV_SNAPSHOT and
KORV_FRAME_COMPARE (for snapshot_frame and check_frame), KORV_CHROMIUM and
KORV_CHROMEDRIVER (default /usr/bin/chromium and /usr/bin/chromedriver).
"""
import atexit
import http.server
import json
import os
import subprocess
import sys
import tempfile
import threading
import time

SHELL_KIT = os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'kit', 'lib.sh')
PATIENCE = None  # seconds: the shell kit's limit of a wait for what normally takes a moment
scratch = None


def start():
    """Takes the scratch folder and the patience that the shell kit gives."""
    global scratch, PATIENCE
    if 'KIT_TMP' not in os.environ or 'PATIENCE' not in os.environ:
        print('Bail out! run the test through tests/kit/program_test.sh', file=sys.stderr)
        sys.exit(2)
    scratch = os.environ['KIT_TMP']
    PATIENCE = float(os.environ['PATIENCE'])


def at_exit(function, *args):
    """Queues a call for the end of the test (the last queued first)."""
    atexit.register(function, *args)


def ok(desc):
    print('ok - ' + desc, flush=True)


def fail(desc, why=''):
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
    """Ends the test; the shell kit counts its results and prints the summary."""
    sys.exit(0)


def fail_now(desc, why=''):
    """Records a failure and ends the test (for a step that the rest depends on)."""
    fail(desc, why)
    done()


def wait_until(limit, condition):
    """The first true value of condition(), tried every 50 ms as the shell
    kit's wait_until tries; None once `limit` seconds passed without one."""
    deadline = time.monotonic() + limit
    while True:
        value = condition()
        if value:
            return value
        if time.monotonic() >= deadline:
            return None
        time.sleep(0.05)


def shell_kit(function, *args):
    """The output of one function of the shell kit (tests/kit/lib.sh); the
    test ends failed when the function fails."""
    ran = subprocess.run(['bash', '-c', '. "$0" && "$@"', SHELL_KIT, function] + list(args), capture_output=True,
                         text=True)
    if ran.returncode != 0:
        fail_now('the shell kit\'s %s %s' % (function, ' '.join(args)), ran.stderr.strip())
    return ran.stdout.strip()


def scene_colours(path):
    """The counts of the scene's colour classes in an image file ("blue N
    green N ..."), from the shell kit's classifier."""
    return shell_kit('scene_colours', path)


def colour_count(path, classes):
    """The number of pixels of CLASSES (a class or a sum: 'blue+green') in an
    image file, as the shell kit counts them."""
    return int(shell_kit('colour_count', path, classes))


# --- frames against the snapshot tool's ----------------------------------------

def snapshot_frame(frame, width=1024, height=768):
    """The snapshot tool's frame (KORV_SNAPSHOT) in the scratch folder."""
    path = os.path.join(scratch, 'snapshot-%d-%dx%d.png' % (frame, width, height))
    subprocess.run([os.environ['KORV_SNAPSHOT'], path, str(frame), str(width), str(height)], check=True,
                   stdout=subprocess.DEVNULL)
    return path


def check_frame(page, native, least_same, most_mean, what, drawn_by='the snapshot tool'):
    """Checks a picture of the page against a frame drawn natively (by the
    snapshot tool) with KORV_FRAME_COMPARE: at least least_same of the pixels in the same
    colour class of the scene, at most most_mean of mean difference in each
    channel."""
    compared = subprocess.run([os.environ['KORV_FRAME_COMPARE'], page, native, str(least_same), str(most_mean)],
                              capture_output=True, text=True)
    note('%s: %s %s' % (what, compared.stdout.strip(), compared.stderr.strip()))
    return check('%s is %s\'s (at least %g of the pixels in the same colour class, a mean difference of at most %g '
                 'per channel)' % (what, drawn_by, least_same, most_mean), compared.returncode == 0)


# --- the web server -------------------------------------------------------------

class _Handler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, format, *args):
        self.server.requests.append(self.path)

    def end_headers(self):
        if self.server.no_store:
            self.send_header('Cache-Control', 'no-store')
        super().end_headers()


def serve(folder, no_store=False, port=0):
    """Serves `folder` on 127.0.0.1 until the test ends (or stop_server);
    the server's `url` ends in '/', its `requests` lists the paths asked
    for. With no_store every response forbids the browser's HTTP cache
    (Cache-Control: no-store); `port` 0 takes a free one, another the port of
    a stopped server, to serve again at its address."""
    handler = lambda *args, **kw: _Handler(*args, directory=folder, **kw)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', port), handler)
    server.requests = []
    server.no_store = no_store
    server.port = server.server_address[1]
    server.url = 'http://127.0.0.1:%d/' % server.port
    server.thread = threading.Thread(target=server.serve_forever, daemon=True)
    server.thread.start()
    at_exit(stop_server, server)
    return server


def stop_server(server):
    """Stops serving; its address is free to serve again (serve(port=...))."""
    if server.thread:
        server.shutdown()
        server.server_close()
        server.thread.join()
        server.thread = None


# --- the browser ----------------------------------------------------------------

def open_browser(width=1024, height=768, ratio=1, extra_args=()):
    """Headless Chromium showing pages at width x height CSS pixels with
    `ratio` device pixels to one (a phone's screen at 3), its own empty
    profile, SwiftShader's WebGL, no network of its own; closed at the end."""
    from selenium import webdriver  # here: the kit's results and waits need no browser
    from selenium.webdriver.chrome.service import Service

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


def cdp(browser, command, **params):
    """One command of the DevTools protocol (Page.getInstallabilityErrors, ...)."""
    return browser.execute_cdp_cmd(command, params)


def hide_page(browser, hidden=True):
    """Hides the page behind a new tab in front of it, or closes that tab to
    show the page again: headless Chromium reports a page behind another tab
    hidden (document.visibilityState; a minimized window's too, but a window
    in full screen cannot be minimized). The browser's commands still go to
    the page."""
    if hidden:
        browser.tab_in_front = cdp(browser, 'Target.createTarget', url='about:blank')['targetId']
    else:
        cdp(browser, 'Target.closeTarget', targetId=browser.tab_in_front)


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
