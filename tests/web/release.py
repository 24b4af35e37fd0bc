"""The page as released: a second build of the page in a folder of its own
gives the same bytes as the tree's; the release script (scripts/make-web-dist)
writes the page with the downloads' names, sizes and SHA-256 checksums taken
from the files, the files themselves and nothing else, the same bytes twice,
with the page's worker sealed for the released page; and that page, served,
shows the downloads and their install steps, with links that work and
nothing from another origin, and its worker keeps the page's files and not
the downloads."""
import filecmp
import hashlib
import os
import re
import subprocess

import browser_kit as kit

PAGE_FILES = ['index.html', 'page.js', 'page.css', 'icon.svg', 'frame75.png', 'manifest.webmanifest', 'icon-192.png',
              'icon-512.png', 'icon-maskable.png', 'korvanthel.js', 'korvanthel.wasm', 'worker.js']

kit.start()
source = os.environ['KORV_SOURCE']
tree = os.environ['KORV_WEB']

# A second build, elsewhere.
second = os.path.join(kit.scratch, 'second-build')
log = open(os.path.join(kit.scratch, 'second-build.log'), 'w')
built = subprocess.run(['cmake', '-S', source, '-B', second, '-DCMAKE_TOOLCHAIN_FILE=%s/cmake/emscripten.cmake' % source],
                       stdout=log, stderr=log).returncode == 0 and subprocess.run(
    ['cmake', '--build', second, '--target', 'korv_page_worker', '-j2'], stdout=log, stderr=log).returncode == 0
if kit.check('a second build of the page in another folder succeeds', built, 'see second-build.log'):
    differing = [f for f in PAGE_FILES if not filecmp.cmp(os.path.join(tree, f), os.path.join(second, f), shallow=False)]
    kit.check('it gives the same bytes (%s)' % ', '.join(PAGE_FILES), not differing, 'differ: %s' % differing)

# The release: downloads of known bytes beside a SHA256SUMS of the release.
dist = os.path.join(kit.scratch, 'dist')
os.makedirs(dist)
downloads = {'Korvanthel-9.8.7-win32.zip': os.urandom(123457), 'korvanthel_9.8.7_amd64.deb': os.urandom(4321)}
for name, data in downloads.items():
    with open(os.path.join(dist, name), 'wb') as out:
        out.write(data)
sums = os.path.join(dist, 'SHA256SUMS')
with open(sums, 'w') as out:
    out.write('the release\'s own list\n')
runs = []
for run in ['web', 'web-again']:
    out = os.path.join(dist, run)
    made = subprocess.run([os.path.join(source, 'scripts', 'make-web-dist'), out, tree] +
                          [os.path.join(dist, name) for name in downloads], capture_output=True, text=True)
    kit.check('make-web-dist writes the page (%s)' % run, made.returncode == 0, made.stderr)
    runs.append(out)
web = runs[0]
kit.check('it writes the page\'s files and the downloads, nothing else',
          sorted(os.listdir(web)) == sorted(PAGE_FILES + list(downloads)), str(sorted(os.listdir(web))))
match, mismatch, errors = filecmp.cmpfiles(runs[0], runs[1], sorted(os.listdir(web)), shallow=False)
kit.check('two runs give the same bytes', not mismatch and not errors, str(mismatch + errors))
kit.check('the release\'s SHA256SUMS is left as it was', open(sums).read() == 'the release\'s own list\n')
# The released page's worker keeps the released page's files, each with its
# hash, and not the downloads.
sealed = dict(re.findall(r"^  '([^']+)': '([0-9a-f]{64})',$", open(os.path.join(web, 'worker.js')).read(), re.M))
files = {f: hashlib.sha256(open(os.path.join(web, f), 'rb').read()).hexdigest() for f in PAGE_FILES if f != 'worker.js'}
kit.check('its worker lists every file of the released page with its hash, and no download', sealed == files,
          str(sorted(set(sealed.items()) ^ set(files.items()))))
page = open(os.path.join(web, 'index.html')).read()
for name, data in downloads.items():
    size = '{:,}'.format(len(data))
    digest = hashlib.sha256(data).hexdigest()
    kit.check('the page names %s, its size (%s bytes) and its checksum' % (name, size),
              re.search(re.escape(name) + r'</a>, ' + re.escape(size) + r' bytes<br>\s*SHA-256 <code>' + digest, page))
    kit.check('the download %s is a copy of the release\'s' % name, open(os.path.join(web, name), 'rb').read() == data)
kit.check('the page keeps the rest of the tree\'s page',
          page.replace(page[page.index('<section class="panel" id="downloads">'):page.index('</section>\n<footer') + 11],
                       '<!-- downloads -->\n') == open(os.path.join(tree, 'index.html')).read())
bad = subprocess.run([os.path.join(source, 'scripts', 'make-web-dist'), os.path.join(dist, 'bad'), tree,
                      os.path.join(dist, 'missing.zip'), os.path.join(dist, 'korvanthel_9.8.7_amd64.deb')],
                     capture_output=True, text=True)
kit.check('a missing download is an error, and nothing is written', bad.returncode != 0 and
          not os.path.exists(os.path.join(dist, 'bad')), bad.stderr)

# The released page, served.
server = kit.serve(web)
browser = kit.open_browser(1024, 768)
browser.get(server.url + 'index.html')
kit.check('the released page shows the moving scene', kit.wait_until(kit.PATIENCE, lambda: kit.status(browser)))
kept = browser.execute_async_script(
    "const done = arguments[arguments.length - 1]; navigator.serviceWorker.ready.then(async () => {"
    " const names = []; for (const name of await caches.keys()) for (const request of await (await caches.open(name))"
    ".keys()) names.push(request.url.split('/').pop()); done(names.sort()); });")
kit.check('its worker keeps the page\'s files, and not the downloads',
          kept == sorted(f for f in PAGE_FILES if f != 'worker.js'), str(kept))
browser.execute_script("document.getElementById('downloads').scrollIntoView()")
kit.screenshot(browser, os.path.join(kit.scratch, 'released-page.png'))
links = browser.execute_async_script(
    "const done = arguments[arguments.length - 1];"
    " const links = [...document.querySelectorAll('#downloads a')].map(a => a.href);"
    " Promise.all(links.map(l => fetch(l, {method: 'HEAD'}).then(r => [l, r.status]))).then(done);")
kit.check('its two download links work', len(links) == 2 and all(status == 200 for link, status in links), str(links))
kit.check('its install steps are shown', browser.execute_script(
    "return document.querySelectorAll('#downloads ol').length === 2"
    " && document.getElementById('downloads').offsetParent !== null"))
# The steps are the read-me's and the package's own: the permission prompt
# on Windows, the command that adds the saver on Linux.
steps = browser.execute_script("return document.getElementById('downloads').innerText")
for words in ('double-click it', 'Windows asks whether to allow Korvanthel', 'korvanthel-enable', 'korvanthel -overlay'):
    kit.check('the install steps say: ' + words, words in steps)
kit.check('the install steps send nobody to "Run as administrator" or a hand edit',
          'Run as administrator' not in steps and 'programs:' not in steps)
urls = [url for url in kit.requested_urls(browser) if not url.startswith(('data:', 'blob:'))]
kit.check('everything it loads comes from its own origin', urls and all(url.startswith(server.url) for url in urls),
          str(urls))
loud = [text for level, text in kit.console(browser) if level == 'SEVERE']
kit.check('nothing on the console', not loud, '\n'.join(loud))
kit.done()
