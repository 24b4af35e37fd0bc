// The page around the scene: starts the WebAssembly program (korvanthel.js)
// with the address's parameters where the browser has WebGL 2, and shows a
// still picture with a sentence saying why where it has not; the "Full
// screen" button puts the scene in full screen as a screen saver, which any
// key, button, touch, or a pointer move of more than 4 pixels (summed over
// both axes) ends; where the browser has no full screen for the page (an
// iPhone's), the scene fills the window instead, ended the same way. Where
// the browser can keep the screen on (Screen Wake Lock), a choice on the
// page, off unless asked and remembered on the device, keeps it on while the
// scene is saving. The page's own service worker (worker.js) keeps it
// working offline after the first visit.
'use strict';

(function () {
  const stage = document.getElementById('stage');
  const button = document.getElementById('full-screen');
  const moveThreshold = 4;
  const keepOn = document.getElementById('keep-screen-on');
  const keepOnChoice = document.getElementById('keep-on-choice');

  // Also called by the program when it cannot make its context or shaders.
  window.showStillPicture = function (why) {
    if (document.body.classList.contains('no-webgl')) return;
    document.body.classList.add('no-webgl');
    const picture = document.createElement('img');
    picture.className = 'still-picture';
    picture.src = 'frame75.png';
    picture.alt = 'Frame 75 of the scene';
    document.body.insertBefore(picture, stage);
    document.getElementById('no-webgl').textContent = why;
    button.hidden = true;
    document.getElementById('full-screen-hint').hidden = true;
    keepOnChoice.hidden = true;
  };

  function browserHasWebGL2() {
    try {
      return !!document.createElement('canvas').getContext('webgl2');
    } catch (e) {
      return false;
    }
  }

  function startProgram() {
    const pairs = [];
    for (const [name, value] of new URLSearchParams(window.location.search)) pairs.push(name, value);
    window.Module = { arguments: pairs };
    const script = document.createElement('script');
    script.src = 'korvanthel.js';
    document.body.appendChild(script);
  }

  // --- full screen as a screen saver ------------------------------------------

  let saving = false;
  let reference = null;  // where the pointer was first seen while saving

  function fullScreenElement() {
    return document.fullscreenElement || document.webkitFullscreenElement || null;
  }

  function startSaving() {
    saving = true;
    reference = null;
    if (document.activeElement) document.activeElement.blur();
    document.body.classList.add('saving');
    updateWakeLock();
    const request = stage.requestFullscreen || stage.webkitRequestFullscreen;
    if (request) {
      // Refused (no full screen here): the scene still covers the window.
      const asked = request.call(stage);
      if (asked && asked.catch) asked.catch(function () {});
    }
  }

  function stopSaving() {
    if (!saving) return;
    saving = false;
    document.body.classList.remove('saving');
    updateWakeLock();
    if (fullScreenElement()) {
      const exit = document.exitFullscreen || document.webkitExitFullscreen;
      const left = exit.call(document);
      if (left && left.catch) left.catch(function () {});
    }
  }

  // Input while saving ends it and does nothing else (no click, no scroll).
  function endOnInput(event) {
    if (!saving) return;
    event.preventDefault();
    event.stopPropagation();
    stopSaving();
  }

  // The distance is measured from where the pointer is first seen while
  // saving (the browser reports the pointer where it is when the scene
  // takes the screen), in the page's coordinates, which cover the screen
  // while saving.
  function endOnMove(event) {
    if (!saving) return;
    if (!reference) {
      reference = { x: event.clientX, y: event.clientY };
      return;
    }
    if (Math.abs(event.clientX - reference.x) + Math.abs(event.clientY - reference.y) > moveThreshold) {
      stopSaving();
    }
  }

  function onFullScreenChange() {
    // Left by the browser's own means (Escape, the tab hidden): saving ends.
    if (!fullScreenElement()) stopSaving();
  }

  window.addEventListener('keydown', endOnInput, true);
  window.addEventListener('pointerdown', endOnInput, true);
  window.addEventListener('mousedown', endOnInput, true);
  window.addEventListener('touchstart', endOnInput, { capture: true, passive: false });
  window.addEventListener('pointermove', endOnMove, true);
  document.addEventListener('fullscreenchange', onFullScreenChange);
  document.addEventListener('webkitfullscreenchange', onFullScreenChange);
  button.addEventListener('click', startSaving);

  // --- the screen kept on while saving, when asked ---------------------------

  // Held only while saving and asked for: a held lock keeps the device's own
  // screen saver and sleep away too. The browser lets it go when the page
  // is hidden; it is taken again when the page shows again, still saving.
  const choiceKey = 'korvanthel.keepScreenOn';
  let wakeLock = null;  // the lock held
  let asking = false;   // a request on its way

  function rememberedChoice() {
    try {
      return window.localStorage.getItem(choiceKey) === 'on';
    } catch (e) {
      return false;  // no storage here: off, as by default
    }
  }

  function rememberChoice() {
    try {
      window.localStorage.setItem(choiceKey, keepOn.checked ? 'on' : 'off');
    } catch (e) {}
  }

  function lockWanted() {
    return saving && keepOn.checked && document.visibilityState === 'visible';
  }

  // Said once in the page (seen when saving ends), never as an error box.
  function sayLockRefused() {
    const said = document.getElementById('keep-on-refused');
    said.textContent = 'The browser would not keep the screen on, so the device may dim and lock as usual.';
    said.hidden = false;
  }

  function updateWakeLock() {
    if (!navigator.wakeLock) return;
    if (!lockWanted()) {
      if (wakeLock) wakeLock.release().catch(function () {});
      wakeLock = null;
      return;
    }
    if (wakeLock || asking) return;
    asking = true;
    navigator.wakeLock.request('screen').then(function (taken) {
      asking = false;
      wakeLock = taken;
      taken.addEventListener('release', function () {
        if (wakeLock === taken) wakeLock = null;
      });
      updateWakeLock();  // saving may have ended meanwhile
    }, function () {
      asking = false;
      sayLockRefused();
    });
  }

  keepOn.addEventListener('change', function () {
    rememberChoice();
    updateWakeLock();
  });
  // Shown again: at its next frame, once the browser has said whether it
  // left full screen meanwhile (which ends saving), as it does before the
  // frame's callbacks.
  document.addEventListener('visibilitychange', function () {
    if (document.visibilityState === 'visible') window.requestAnimationFrame(updateWakeLock);
    else updateWakeLock();
  });

  // A context lost to the system (a reset graphics driver) comes back with
  // nothing in it: start the page again then.
  stage.firstElementChild.addEventListener('webglcontextlost', function (event) {
    event.preventDefault();
  });
  stage.firstElementChild.addEventListener('webglcontextrestored', function () {
    window.location.reload();
  });

  if (browserHasWebGL2()) {
    button.hidden = false;
    document.getElementById('full-screen-hint').hidden = false;
    if (navigator.wakeLock) {
      keepOn.checked = rememberedChoice();
      keepOnChoice.hidden = false;
    }
    startProgram();
  } else {
    window.showStillPicture('This browser offers no WebGL 2, which the moving scene needs, so this is a still picture of it.');
  }

  // Offline after the first visit; where the browser offers no worker (an
  // address that is not secure), the page works online as before.
  if (navigator.serviceWorker) {
    window.addEventListener('load', function () {
      navigator.serviceWorker.register('worker.js').catch(function (why) {
        console.warn('korvanthel: the page will not work offline here: ' + why);
      });
    });
  }
})();
