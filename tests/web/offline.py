"""The page offline, and a new release taking over, on a server that forbids
the browser's HTTP cache (Cache-Control: no-store), so that only the page's
service worker can make it work without the network:
- the page visited once, its worker active; the server stopped: the page
  visited again draws frame 75 (?frame=75) as the snapshot tool does, every
  file from the worker, and moves at its folder's address;
- a server caught between two releases (the second's files with the
  first's program): the second release does not install, the first stays;
- a second release served at the same address (every file of the first with
  other bytes, sealed by web/seal_page.cmake as the build seals it): visits
  while a window shows the first release are wholly the first release's
  while the second installs and waits; once no window shows the first, the
  second takes over and the first's cache is deleted; the next visit is
  wholly the second's, and its cache holds the second release's files and
  nothing else.
Every visit's responses are checked against both releases' bytes, so that
no load mixes the two."""
import base64
import hashlib
import json
import os
import re
import shutil
import subprocess

import browser_kit as kit

kit.start()
first = os.environ['KORV_WEB']
names = re.findall(r"^  '([^']+)': '[0-9a-f]{64}',$", open(os.path.join(first, 'worker.js')).read(), re.M)
if 'index.html' not in names or 'korvanthel.wasm' not in names:
    kit.fail_now('the worker lists the page\'s files', str(names))


def other_bytes(name, data):
    """The same file with other bytes and the same meaning: a custom section
    more in the WebAssembly, a line feed more at the end of the others (after
    the IEND of a PNG)."""
    return data + (b'\0\x08\x07release' if name.endswith('.wasm') else b'\n')


second = os.path.join(kit.scratch, 'second-release')
os.makedirs(second)
releases = {'first': {}, 'second': {}}
for name in names:
    data = open(os.path.join(first, name), 'rb').read()
    releases['first'][name] = data
    releases['second'][name] = other_bytes(name, data)
    with open(os.path.join(second, name), 'wb') as out:
        out.write(releases['second'][name])
sealed = subprocess.run(['cmake', '-DPAGE=' + second, '-P', os.path.join(os.environ['KORV_SOURCE'], 'web',
                                                                          'seal_page.cmake')],
                        capture_output=True, text=True)
if sealed.returncode != 0:
    kit.fail_now('the second release is sealed', sealed.stderr)


first_release, second_release = [re.search(r"cachePrefix \+ '([0-9a-f]{16})'", open(os.path.join(folder, 'worker.js'))
                                           .read()).group(1) for folder in (first, second)]



def site(release, folder):
    """A server's folder with the page in page/: its origin then has an
    address outside the worker's scope (the folder itself), where the test
    looks at the origin's workers and caches with no page of it open."""
    root = os.path.join(kit.scratch, 'site-' + release)
    os.makedirs(root)
    os.symlink(folder, os.path.join(root, 'page'))
    return root


server = kit.serve(site('first', first), no_store=True)
page = server.url + 'page/'
browser = kit.open_browser(1024, 768)


def cache_names():
    """The origin's caches, as the browser lists them (DevTools)."""
    listed = kit.cdp(browser, 'CacheStorage.requestCacheNames', securityOrigin=server.url.rstrip('/'))
    return sorted(cache['cacheName'] for cache in listed['caches'])


def release_cache(release):
    return 'korvanthel %s %s' % (page, release)


def worker_states():
    """The states of the page's active and waiting workers."""
    return browser.execute_async_script(
        "const done = arguments[arguments.length - 1]; navigator.serviceWorker.getRegistration('page/').then(r =>"
        " done([r && r.active && r.active.state, r && r.waiting && r.waiting.state]), () => done([null, null]));")


def look_for_update():
    """Has the browser look for a new worker.js, as it does at visits (the
    moment of which is its own: it may have found it already), and gives
    the new worker's end: 'installed' or 'redundant' (its installation
    failed)."""
    return browser.execute_async_script(
        "const done = arguments[arguments.length - 1]; navigator.serviceWorker.getRegistration().then(r => r.update())"
        ".then(r => { const w = r.installing || r.waiting; if (!w) return done('no new worker');"
        " const ended = () => { if (w.state === 'redundant' || w.state === 'installed') done(w.state); };"
        " w.addEventListener('statechange', ended); ended(); }, why => done(String(why)));")


def visit(address, what, release, from_worker):
    """Visits the page; checks that every page file it loaded is of one
    release, RELEASE, and came from the worker or not, as FROM_WORKER says."""
    kit.requested_urls(browser)  # what came before
    browser.get(page + address)
    status = kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
    kit.check('%s: the page\'s program runs' % what, status, 'no status')
    loaded = {}
    for entry in browser.get_log('performance'):
        message = json.loads(entry['message'])['message']
        if message['method'] != 'Network.responseReceived':
            continue
        response = message['params']['response']
        name = response['url'][len(page):].split('?')[0] or 'index.html'
        if name not in names:
            continue
        body = kit.cdp(browser, 'Network.getResponseBody', requestId=message['params']['requestId'])
        data = base64.b64decode(body['body']) if body['base64Encoded'] else body['body'].encode()
        of = [r for r in releases if releases[r][name] == data]
        loaded[name] = (of[0] if of else 'neither release', bool(response.get('fromServiceWorker')))
    wanted = {'index.html', 'page.js', 'page.css', 'korvanthel.js', 'korvanthel.wasm'}
    kit.check('%s: every file it loaded is of the %s release, none of another, all from the %s'
              % (what, release, 'worker' if from_worker else 'server'), wanted <= set(loaded)
              and all(loaded_from == (release, from_worker) for loaded_from in loaded.values()), str(loaded))
    return status


# The first visit, from the server; the worker installs and takes over at
# the next visit.
visit('index.html?frame=75', 'first visit', 'first', False)
kit.check('the worker is active after the first visit',
          kit.wait_until(kit.PATIENCE, lambda: worker_states()[0] == 'activated'), str(worker_states()))
kit.check('its cache is named by the release\'s hash', cache_names() == [release_cache(first_release)],
          str(cache_names()))

# Offline.
kit.stop_server(server)
status = visit('index.html?frame=75', 'offline, frame 75', 'first', True)
if status and status[0] == 75:
    kit.animation_frames(browser, 2)
    shot = kit.screenshot(browser, os.path.join(kit.scratch, 'offline-75.png'))
    kit.check_frame(shot, kit.snapshot_frame(75), 0.9993, 0.12, 'frame 75 offline')
moving = visit('', 'offline, the folder\'s address', 'first', True)
kit.check('offline, the scene moves', moving and kit.wait_until(kit.PATIENCE, lambda: kit.status(browser)[0] > 2))

# A server caught between the two releases (the second's files, the first's
# program): the second release does not install, and the first stays whole.
mixed = os.path.join(kit.scratch, 'mixed-release')
shutil.copytree(second, mixed)
shutil.copy(os.path.join(first, 'korvanthel.wasm'), mixed)
server = kit.serve(site('mixed', mixed), no_store=True, port=server.port)
visit('index.html', 'a visit with a server between two releases', 'first', True)
attempt = look_for_update()
kit.check('a release with another release\'s file does not install', attempt == 'redundant', str(attempt))
kit.check('the first release stays in use, its cache alone',
          worker_states() == ['activated', None] and cache_names() == [release_cache(first_release)],
          '%s %s' % (worker_states(), cache_names()))
kit.stop_server(server)

# The second release at the same address: it installs and waits while the
# window shows the first.
server = kit.serve(site('second', second), no_store=True, port=server.port)
visit('index.html', 'a visit with the second release on the server', 'first', True)
kit.check('the second release installs and waits', look_for_update() == 'installed' and
          worker_states() == ['activated', 'installed'], str(worker_states()))
visit('index.html', 'the page loaded again while it waits', 'first', True)
kit.check('both releases\' caches are kept while it waits',
          cache_names() == sorted([release_cache(first_release), release_cache(second_release)]), str(cache_names()))

# No window shows the first release any more: the second takes over.
old_window = browser.current_window_handle
browser.switch_to.new_window('tab')
new_window = browser.current_window_handle
browser.switch_to.window(old_window)
browser.close()
browser.switch_to.window(new_window)
browser.get(server.url)  # the origin, outside the worker's scope
taken = kit.wait_until(kit.PATIENCE, lambda: worker_states() == ['activated', None])
kit.check('once the last window of the first release has closed, the second takes over', taken, str(worker_states()))
kit.check('the first release\'s cache is gone', kit.wait_until(
    kit.PATIENCE, lambda: cache_names() == [release_cache(second_release)]), str(cache_names()))
visit('index.html', 'the next visit', 'second', True)
kept = browser.execute_async_script(
    "const done = arguments[arguments.length - 1]; caches.open(arguments[0]).then(async cache => done(await"
    " Promise.all((await cache.keys()).map(async r => [r.url, [...new Uint8Array(await crypto.subtle.digest("
    "'SHA-256', await (await cache.match(r)).arrayBuffer()))].map(b => b.toString(16).padStart(2, '0')).join('')]))));",
    release_cache(second_release))
kept = dict(kept)
wanted = {page + name: hashlib.sha256(data).hexdigest() for name, data in releases['second'].items()}
kit.check('the cache holds every file of the second release, and nothing else', kept == wanted,
          str(sorted(set(kept.items()) ^ set(wanted.items()))))
kit.done()
