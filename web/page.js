// The page around the scene: starts the WebAssembly program (korvanthel.js)
// with the address's parameters where the browser has WebGL 2, and shows a
// still picture with a sentence saying why where it has not; the "Full
// screen" button puts the scene in full screen as a screen saver, which any
// key, button, touch, or a pointer move of more than 4 pixels (summed over
// both axes) ends.
'use strict';

(function () {
  const stage = document.getElementById('stage');
  const button = document.getElementById('full-screen');
  const moveThreshold = 4;

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
    startProgram();
  } else {
    window.showStillPicture('This browser offers no WebGL 2, which the moving scene needs, so this is a still picture of it.');
  }
})();
