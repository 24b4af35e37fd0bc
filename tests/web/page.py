"""The page as a user sees it, at 1024 x 768 and at a phone's 390 x 844 with
3 device pixels to one (screenshots kept in the scratch folder): the scene
fills the page at the device's pixels behind the name, the scene's
description and the "Full screen" button; nothing overflows sideways; the
console stays quiet and every request stays on the page's own origin, whose
Content-Security-Policy allows nothing else. Without WebGL 2 (Chromium with
--disable-webgl2) the page shows the still picture and one sentence why."""
import os

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
        " policy: document.querySelector('meta[http-equiv=\"Content-Security-Policy\"]').content}")
    kit.check('%s: the scene fills the page at the device\'s pixels' % what,
              facts['buffer'] == [width * ratio, height * ratio] and facts['page'] == [width, height], str(facts))
    kit.check('%s: nothing overflows sideways' % what, not facts['overflow'])
    kit.check('%s: the name, the scene\'s description and the button are shown' % what,
              facts['name'] == 'Korvanthel' and description in ' '.join(facts['text'].split()) and facts['button'])
    kit.check('%s: the policy allows the page\'s own origin and WebAssembly only' % what, facts['policy'] == POLICY,
              facts['policy'])
    kit.note('%s: %s' % (what, kit.scene_colours(shot)))
    kit.check('%s: the scene shows behind the text' % what, kit.colour_count(shot, 'blue+green') > 1000)
    own_origin_only(browser, what)
    quiet_console(browser, what)

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
    " && document.getElementById('full-screen-hint').offsetParent === null]"))
kit.screenshot(browser, os.path.join(kit.scratch, 'page-without-webgl2.png'))
kit.check('without WebGL 2: the still picture is shown, the scene, the button and its hint are not',
          picture and picture[:2] == [1024, 768] and picture[3] and picture[4], str(picture))
sentence = picture[2] if picture else ''
kit.check('without WebGL 2: one sentence says why', sentence.count('.') == 1 and 'WebGL 2' in sentence, sentence)
urls = own_origin_only(browser, 'without WebGL 2')
kit.check('without WebGL 2: the program is not even fetched', not any('korvanthel.' in url for url in urls))
quiet_console(browser, 'without WebGL 2')
kit.done()
