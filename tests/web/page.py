"""The page as a user sees it, at 1024 x 768 and at a phone's 390 x 844 with
3 device pixels to one (screenshots kept in the scratch folder): the scene
fills the page at the device's pixels behind the name, the scene's
description, the "Full screen" button and the choice to keep the screen on;
nothing overflows sideways; the console stays quiet and every request stays
on the page's own origin, whose Content-Security-Policy refuses every other
origin, with the page's worker in charge of it too. As an app: no
installability error in Chromium, a manifest with the scene's description,
its icons PNGs of their sizes drawn by the app_icon tool. Without WebGL 2
(Chromium with --disable-webgl2) the page shows the still picture and one
sentence why."""
import os
import subprocess

import browser_kit as kit

POLICY = "default-src 'self'; script-src 'self' 'wasm-unsafe-eval'; base-uri 'self'; form-action 'self'"

kit.start()
server = kit.serve(os.environ['KORV_WEB'])
with open(os.environ['KORV_SCENE_TEXT']) as text:
    description = ' '.join(text.read().split())


def own_origin_only(browser, what):
    urls = [url for url in kit.requested_urls(browser) if not url.startswith(('data:', 'blob:'))]
    outside = [url for url in urls if not url.startswith(server.url)]
    kit.check('%s: every request stays on the page\'s origin (%d requests)' % (what, len(urls)),
              urls and not outside, ' '.join(outside))
    return urls


def quiet_console(browser, what):
    # Chromium's own notes on SwiftShader's speed are warnings; errors,
    # refused policies and the program's own lines would be the page's.
    loud = [text for level, text in kit.console(browser) if level == 'SEVERE' or 'korvanthel' in text]
    kit.check('%s: nothing on the console' % what, not loud, '\n'.join(loud))


for width, height, ratio in [(1024, 768, 1), (390, 844, 3)]:
    what = '%d x %d at %d' % (width, height, ratio)
    browser = kit.open_browser(width, height, ratio)
    browser.get(server.url + 'index.html')
    status = kit.wait_until(kit.PATIENCE, lambda: (kit.status(browser) or [0])[0] > 2 and kit.status(browser))
    kit.check('%s: the scene moves' % what, status)
    shot = kit.screenshot(browser, os.path.join(kit.scratch, 'page-%dx%d.png' % (width, height)))
    facts = browser.execute_script(
        "const c = document.getElementById('scene'), p = document.getElementById('page');"
        " return {buffer: [c.width, c.height], page: [innerWidth, innerHeight],"
        " overflow: document.scrollingElement.scrollWidth > innerWidth,"
        " name: document.querySelector('h1').textContent, text: p.innerText,"
        " button: document.getElementById('full-screen').offsetParent !== null,"
        " choice: document.getElementById('keep-screen-on').offsetParent !== null,"
        " policy: document.querySelector('meta[http-equiv=\"Content-Security-Policy\"]').content}")
    kit.check('%s: the scene fills the page at the device\'s pixels' % what,
              facts['buffer'] == [width * ratio, height * ratio] and facts['page'] == [width, height], str(facts))
    kit.check('%s: nothing overflows sideways' % what, not facts['overflow'])
    kit.check('%s: the name, the scene\'s description, the button and the choice to keep the screen on are shown'
              % what, facts['name'] == 'Korvanthel' and description in ' '.join(facts['text'].split())
              and facts['button'] and facts['choice'] and 'Keep the screen on while it shows' in facts['text'])
    kit.check('%s: the policy allows the page\'s own origin and WebAssembly only' % what, facts['policy'] == POLICY,
              facts['policy'])
    kit.note('%s: %s' % (what, kit.scene_colours(shot)))
    kit.check('%s: the scene shows behind the text' % what, kit.colour_count(shot, 'blue+green') > 1000)
    own_origin_only(browser, what)
    quiet_console(browser, what)

# The page as an app, with its worker running: Chromium finds nothing that
# keeps it from installing; the manifest's icons are PNGs of their sizes,
# the app_icon tool's frames of the scene; and the policy still refuses every
# other origin, with the worker in charge of the page.
browser.execute_async_script(
    "const done = arguments[arguments.length - 1]; navigator.serviceWorker.ready.then(() => done());")
browser.refresh()
kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
kit.check('the worker is in charge of the page', browser.execute_script("return !!navigator.serviceWorker.controller"))
errors = kit.cdp(browser, 'Page.getInstallabilityErrors')['installabilityErrors']
kit.check('Chromium reports no installability error', errors == [], str(errors))
manifest = browser.execute_async_script(
    "const done = arguments[arguments.length - 1]; fetch(document.querySelector('link[rel=manifest]').href)"
    ".then(r => r.json()).then(m => Promise.all(m.icons.map(icon => new Promise(ok => {"
    " const image = new Image(); image.onload = () => ok([icon, image.naturalWidth + 'x' + image.naturalHeight]);"
    " image.onerror = () => ok([icon, 'none']); image.src = icon.src; })))"
    ".then(icons => done({manifest: m, icons: icons})));")
kit.note(manifest['manifest'])
kit.check('the manifest names the app, describes the scene and shows it full screen on black',
          manifest['manifest']['name'] == 'Korvanthel' and manifest['manifest']['description'] == description
          and manifest['manifest']['display'] == 'fullscreen'
          and manifest['manifest']['background_color'] == manifest['manifest']['theme_color'] == '#000000')
icons = {(icon['src'], icon['sizes'], icon.get('purpose', 'any')): shown for icon, shown in manifest['icons']}
kit.check('its icons are PNGs at 192 and 512 and a maskable one at 512, each of its size',
          sorted(icons) == [('icon-192.png', '192x192', 'any'), ('icon-512.png', '512x512', 'any'),
                            ('icon-maskable.png', '512x512', 'maskable')]
          and all(shown == sizes for (_, sizes, _), shown in icons.items()), str(icons))
drawn = os.path.join(kit.scratch, 'app-icons')
os.makedirs(drawn)
subprocess.run([os.environ['KORV_APP_ICON'], drawn], check=True, stdout=subprocess.DEVNULL)
for src, _, _ in icons:
    kit.check_frame(os.path.join(os.environ['KORV_WEB'], src), os.path.join(drawn, src), 0.999, 0.25,
                    'the icon ' + src, 'the app_icon tool')
quiet_console(browser, 'as an app')
elsewhere = kit.serve(kit.scratch)
refused = browser.execute_async_script(
    "const done = arguments[arguments.length - 1], other = arguments[0], refused = [];"
    " document.addEventListener('securitypolicyviolation', e => refused.push(e.effectiveDirective));"
    " const image = new Image(); image.src = other + 'a.png';"
    " const script = document.createElement('script'); script.src = other + 'a.js'; document.head.appendChild(script);"
    " fetch(other + 'a.txt').catch(() => {}).finally(() => setTimeout(() => done(refused.sort()), 500));",
    elsewhere.url)
kit.check('the policy refuses an image, a script and a fetch from another origin',
          refused == ['connect-src', 'img-src', 'script-src-elem'] and not elsewhere.requests,
          '%s; the other origin was asked for %s' % (refused, elsewhere.requests))
kit.console(browser)  # the refusals' own lines

# A context lost to the system (a reset graphics driver) and given back:
# the page starts again and the scene moves on.
browser = kit.open_browser(640, 480)
browser.get(server.url + 'index.html')
kit.wait_until(kit.PATIENCE, lambda: kit.status(browser))
browser.execute_script("window.beforeLoss = true; const c = document.getElementById('scene').getContext('webgl2');"
                       " const lose = c.getExtension('WEBGL_lose_context'); lose.loseContext();"
                       " setTimeout(() => lose.restoreContext(), 100);")
again = kit.wait_until(kit.PATIENCE, lambda: browser.execute_script(
    "return !window.beforeLoss && window.Module && Module.calledRun && Module._web_frames_drawn() > 2"))
kit.check('after a lost context the page starts again and the scene moves', again)
quiet_console(browser, 'after a lost context')

# Without WebGL 2.
browser = kit.open_browser(1024, 768, extra_args=['--disable-webgl2'])
browser.get(server.url + 'index.html')
picture = kit.wait_until(kit.PATIENCE, lambda: browser.execute_script(
    "const i = document.querySelector('img.still-picture'); return i && i.complete && i.naturalWidth > 0"
    " && [i.naturalWidth, i.naturalHeight, document.getElementById('no-webgl').textContent,"
    " document.getElementById('stage').offsetParent === null,"
    " document.getElementById('full-screen').offsetParent === null"
    " && document.getElementById('full-screen-hint').offsetParent === null"
    " && document.getElementById('keep-on-choice').offsetParent === null]"))
kit.screenshot(browser, os.path.join(kit.scratch, 'page-without-webgl2.png'))
kit.check('without WebGL 2: the still picture is shown, the scene, the button, its hint and the choice are not',
          picture and picture[:2] == [1024, 768] and picture[3] and picture[4], str(picture))
sentence = picture[2] if picture else ''
kit.check('without WebGL 2: one sentence says why', sentence.count('.') == 1 and 'WebGL 2' in sentence, sentence)
urls = own_origin_only(browser, 'without WebGL 2')
kit.check('without WebGL 2: the program is not even fetched', not any('korvanthel.' in url for url in urls))
quiet_console(browser, 'without WebGL 2')
kit.done()
