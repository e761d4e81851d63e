// The page around the game: it loads the program, fits the game's box to the window, turns the
// touch controls into the game's keys, shows the notes that take the game's place when it ends
// or cannot run, and keeps the page's files for offline play where the browser allows it.
'use strict';

(function () {
    var GAME_WIDTH = 480;
    var GAME_HEIGHT = 320;
    var MARGIN = 8;                // around everything, CSS pixels
    var REPEAT_DELAY_MS = 500;     // a held touch control repeats its key as a held key does,
    var REPEAT_INTERVAL_MS = 33;   // at the pace of a keyboard's default settings
    var KEY_ENTER = 13;            // a key no rule uses: its release starts the game from the help screen

    var body = document.body;
    var screen = document.getElementById('screen');
    var canvas = document.getElementById('canvas');
    var note = document.getElementById('note');
    var hint = document.getElementById('hint');
    var below = document.getElementById('below');
    var padLeft = document.getElementById('pad-left');
    var touch = false;             // touch is the input: the touch controls are shown
    var activated = null;          // whether the game has had the focus once (null: not started)

    // ---- The notes and what the program tells the page ----

    function showNote(kind, text) {
        canvas.hidden = true;
        note.className = kind;
        note.textContent = text;
        note.hidden = false;
        return note;
    }

    function showFailure(lead, what) {
        showNote('failure', lead + (what || 'see the browser console for why'));
    }

    // The program's own failure lines start with "stakmir: "; the page shows the last one. The
    // fixed-function emulation announces itself when it starts: that is no news to a player.
    var Module = window.Module = Object.assign(window.Module || {}, {
        canvas: canvas,
        stakmirFailure: '',
        printErr: function (text) {
            if (/^WARNING: using emscripten GL (immediate mode )?emulation/.test(text)) {
                return;
            }
            console.warn(text);
            if (text.indexOf('stakmir: ') === 0) {
                Module.stakmirFailure = text.slice('stakmir: '.length);
            }
        },
        stakmirShowFailure: showFailure,
        stakmirShowQuitNote: function () {
            var again = document.createElement('a');
            again.href = '';
            again.textContent = 'Play again';
            showNote('quit', 'Thanks for playing Stakmir.').appendChild(again);
            again.focus();
        },
        // Until the game first has the focus (a page opened in the background or inside another
        // page), a line under it says how to give it.
        stakmirActivated: function (active) {
            activated = activated || active;
            showHint();
        },
        stakmirAsking: function (asking) {
            body.classList.toggle('asking', asking);
        },
        // The sound buttons show whether the sound is off (the M key and they both toggle it).
        stakmirMuted: function (muted) {
            document.querySelectorAll('.sound').forEach(function (button) {
                button.setAttribute('aria-pressed', String(muted));
            });
        },
        onAbort: function (what) {
            showFailure('Stakmir stopped: ', String(what));
        }
    });

    // ---- Fitting the game to the window ----

    // The game's box takes the largest whole number of device pixels per game pixel at which it
    // fits beside everything else, so that every game pixel is a sharp square; where not even one
    // fits, it shrinks to fit.
    function fit() {
        var ratio = window.devicePixelRatio || 1;
        var portrait = innerHeight > innerWidth;
        body.classList.toggle('portrait', portrait);
        var width = innerWidth - 2 * MARGIN - 2;    // less the box's border
        var height = innerHeight - 2 * MARGIN - 2 - below.offsetHeight - MARGIN;
        if (touch && portrait) {
            height -= padLeft.offsetHeight + MARGIN;
        } else if (touch) {
            width -= 2 * (padLeft.offsetWidth + MARGIN);
        }
        var scale = Math.floor(Math.min(width * ratio / GAME_WIDTH, height * ratio / GAME_HEIGHT));
        var size = scale >= 1 ? scale / ratio : Math.max(0.1, Math.min(width / GAME_WIDTH, height / GAME_HEIGHT));
        screen.style.width = GAME_WIDTH * size + 'px';
        screen.style.height = GAME_HEIGHT * size + 'px';
        document.documentElement.dataset.scale = scale >= 1 ? scale : (size * ratio).toFixed(3);
        // Centring may leave the box between two pixels: the drawing goes onto the nearer whole
        // CSS pixel, which is a whole device pixel at every whole device pixel ratio.
        canvas.style.transform = '';
        var box = canvas.getBoundingClientRect();
        var dx = Math.round(box.left) - box.left;
        var dy = Math.round(box.top) - box.top;
        canvas.style.transform = 'translate(' + dx + 'px, ' + dy + 'px) scale(' + size + ')';
    }

    function showHint() {
        hint.textContent = (touch ? 'Tap' : 'Click') + ' the game to play';
        hint.hidden = activated !== false;
        fit();
    }

    function useTouch() {
        if (!touch) {
            touch = true;
            body.classList.add('touch');
            showHint();
        }
    }

    // ---- Touch controls: each is the key it stands for ----

    function sendKey(code, down) {
        if (Module._web_page_key) {
            Module._web_page_key(code, down ? 1 : 0);
        }
    }

    function holdable(button) {
        var code = Number(button.dataset.key);
        var pointer = null;
        var timer = 0;
        var release = function () {
            if (pointer !== null) {
                pointer = null;
                clearTimeout(timer);
                button.classList.remove('held');
                sendKey(code, false);
            }
        };
        var repeat = function () {
            sendKey(code, true);
            timer = setTimeout(repeat, REPEAT_INTERVAL_MS);
        };
        button.addEventListener('pointerdown', function (event) {
            event.preventDefault();
            if (pointer !== null) {
                return;
            }
            pointer = event.pointerId;
            button.setPointerCapture(pointer);
            button.classList.add('held');
            sendKey(code, true);
            if (button.hasAttribute('data-repeat')) {
                timer = setTimeout(repeat, REPEAT_DELAY_MS);
            }
        });
        button.addEventListener('pointerup', release);
        button.addEventListener('pointercancel', release);
        button.addEventListener('lostpointercapture', release);
        window.addEventListener('blur', release);
    }

    document.querySelectorAll('button[data-key]').forEach(holdable);
    // A tap on the game is a key no rule uses: released, it starts the game from the help screen.
    canvas.addEventListener('pointerdown', function (event) {
        if (event.pointerType === 'touch') {
            event.preventDefault();
            sendKey(KEY_ENTER, true);
        }
    });
    canvas.addEventListener('pointerup', function (event) {
        if (event.pointerType === 'touch') {
            sendKey(KEY_ENTER, false);
        }
    });
    document.addEventListener('contextmenu', function (event) {
        if (touch) {
            event.preventDefault();
        }
    });
    window.addEventListener('touchstart', useTouch, { capture: true, passive: true });
    if (window.matchMedia && matchMedia('(pointer: coarse)').matches) {
        useTouch();
    }

    // ---- Fullscreen: the browser's own way out (Escape, a gesture) leaves it ----

    document.querySelectorAll('.fullscreen').forEach(function (button) {
        button.hidden = !document.fullscreenEnabled;
        button.addEventListener('click', function () {
            if (document.fullscreenElement) {
                document.exitFullscreen();
            } else {
                document.documentElement.requestFullscreen().catch(function () {});
            }
        });
    });
    window.addEventListener('resize', fit);
    document.addEventListener('fullscreenchange', fit);
    fit();

    // ---- Loading the program ----

    if (location.protocol === 'file:') {
        showFailure('Stakmir cannot start: ', 'the page must be served by a web server, not opened as a file ' +
                    '(scripts/play-web.sh serves it)');
        return;
    }
    var program = document.createElement('script');
    program.src = 'stakmir.js';
    program.async = true;
    program.onerror = function () {
        showFailure('Stakmir cannot start: ', 'stakmir.js could not be loaded');
    };
    body.appendChild(program);

    // After one visit the page's files are kept for playing without a connection, where the
    // browser allows a service worker (served over https or from this machine); elsewhere the
    // page simply plays online.
    if ('serviceWorker' in navigator && window.isSecureContext) {
        window.addEventListener('load', function () {
            navigator.serviceWorker.register('sw.js').catch(function () {});
        });
    }
})();
