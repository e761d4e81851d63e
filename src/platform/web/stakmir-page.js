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
    var layout = null;             // what the program draws where: see sendLayout
    var programReady = false;      // the program runs and has asked for the layout

    // ---- The notes and what the program tells the page ----

    function showNote(kind, text) {
        programReady = false;
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
        stakmirSendLayout: function () {
            programReady = true;
            sendLayout();
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
    // fits, it shrinks to fit. The canvas's drawing buffer takes the box's size in device pixels,
    // and the program draws the frame into it at that scale, so that the browser shows it as it is.
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
        var size = scale >= 1 ? scale : Math.max(0.1, Math.min(width / GAME_WIDTH, height / GAME_HEIGHT)) * ratio;
        var pixels = [Math.max(1, Math.round(GAME_WIDTH * size)), Math.max(1, Math.round(GAME_HEIGHT * size))];
        document.documentElement.dataset.scale = scale >= 1 ? scale : size.toFixed(3);
        // The box's size is rounded to a 64th of a CSS pixel, which is not a whole number of
        // device pixels at most ratios: the canvas takes its size from a transform instead, and
        // the box is made no smaller than it.
        screen.style.width = Math.ceil(pixels[0] / ratio * 64) / 64 + 'px';
        screen.style.height = Math.ceil(pixels[1] / ratio * 64) / 64 + 'px';
        canvas.style.width = pixels[0] + 'px';
        canvas.style.height = pixels[1] + 'px';
        canvas.style.transform = ratio === 1 ? '' : 'scale(' + 1 / ratio + ')';
        placeOnDevicePixels(ratio);
        layout = { width: pixels[0], height: pixels[1], fill: 0x000000,
                   parts: [[0, 0, GAME_WIDTH, GAME_HEIGHT, 0, 0, pixels[0], pixels[1], scale < 1 ? 1 : 0]] };
        sendLayout();
    }

    // Centring may leave the box between two device pixels, where a browser would blend the
    // canvas into its neighbours: the box moves onto the nearest place that is a whole number of
    // CSS pixels and of device pixels (every 5 CSS pixels at 2.6 device pixels per CSS pixel), as
    // browsers also snap a canvas to whole CSS pixels.
    function placeOnDevicePixels(ratio) {
        var step = 1;
        while (step < 64 && Math.abs(step * ratio - Math.round(step * ratio)) > 1e-4) {
            step += 1;
        }
        step = step < 64 ? step : 1;
        screen.style.left = screen.style.top = '0px';
        var box = canvas.getBoundingClientRect();
        screen.style.left = Math.round(box.left / step) * step - box.left + 'px';
        screen.style.top = Math.round(box.top / step) * step - box.top + 'px';
    }

    // Hands the layout to the program: the canvas's size in device pixels, the colour of what no
    // part covers (0xRRGGBB), and each part as a rectangle of the 480 by 320 frame and the
    // rectangle of the canvas it goes to (left, top, width, height, from the top left), with 1
    // where it is to be drawn smoothly (shrunk) rather than in blocks.
    function sendLayout() {
        if (!programReady || !layout) {
            return;
        }
        Module._web_page_layout(layout.width, layout.height, layout.fill);
        var taken = layout.parts.every(function (part) {
            return Module._web_page_layout_part.apply(null, part) === 1;
        });
        if (!taken || Module._web_page_layout_show() !== 1) {
            console.error('stakmir: the program refused the layout ' + JSON.stringify(layout));
        }
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
