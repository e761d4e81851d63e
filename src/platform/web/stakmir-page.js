// The page around the game: it loads the program, fits the game's box to the window (held
// upright, the well and the rest of the frame side by side), turns the touch controls and the
// gestures on the game into the game's keys, says what the game waits for, shows the notes that
// take the game's place when it ends or cannot run, and keeps the page's files for offline play
// where the browser allows it.
'use strict';

(function () {
    var GAME_WIDTH = 480;
    var GAME_HEIGHT = 320;
    var MARGIN = 8;                // around everything, CSS pixels
    var GAP = 8;                   // between the game, the line under it and the touch controls
    var REPEAT_DELAY_MS = 500;     // a held touch control repeats its key as a held key does,
    var REPEAT_INTERVAL_MS = 33;   // at the pace of a keyboard's default settings
    var ANSWER_DELAY_MS = 300;     // the answers count only this long after the question appears
    var QUIT_CONFIRM_MS = 3000;    // how long Quit waits for the second tap
    var FLICK_MS = 250;            // a touch on the game lifted sooner can be a flick; held longer, a drag
    var KEY_ENTER = 13;            // a key no rule uses: its release starts the game from the help screen
    var KEY_PAUSE = 0x13, KEY_QUIT = 27, KEY_LEFT = 37, KEY_ROTATE = 38, KEY_RIGHT = 39, KEY_FASTER = 40;
    var KEY_SLAM = 32;
    // Held upright, the frame in two parts (left, top, width, height in game pixels): the well with
    // its border and the column marker under it, and the rest of the frame (titles, score, level,
    // next piece, the help and the question) beside it; where that is too wide, cut short to the
    // right of the question's words.
    var WELL_PART = [295, 5, 160, 312];
    var SIDE_PARTS = [[20, 36, 262, 282], [20, 36, 184, 282]];
    var WELL_CELL = 15;            // a cell's side in game pixels
    var SCENES = ['welcome', 'playing', 'paused', 'player-paused', 'asking'];  // as the program numbers them

    var body = document.body;
    var screen = document.getElementById('screen');
    var canvas = document.getElementById('canvas');
    var note = document.getElementById('note');
    var hint = document.getElementById('hint');
    var below = document.getElementById('below');
    var statusLine = document.getElementById('status');
    var padLeft = document.getElementById('pad-left');
    var touch = false;             // touch is the input: the touch controls are shown
    var activated = null;          // whether the game has had the focus once (null: not started)
    var layout = null;             // what the program draws where: see sendLayout
    var cell = WELL_CELL;          // a cell of the well on the screen, CSS pixels
    var programReady = false;      // the program runs and has asked for the layout
    var scene = 'welcome';         // what the game shows (the program says when it changes)
    var answerable = false;        // the question has been shown long enough to take an answer
    var answerTimer = 0;

    // ---- The notes and what the program tells the page ----

    function showNote(kind, text) {
        programReady = false;
        body.classList.add('ended');   // the touch controls go with the game
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
            again.setAttribute('role', 'button');
            showNote('quit', 'Thanks for playing Stakmir.').appendChild(again);
            again.focus();
        },
        // Until the game first has the focus (a page opened in the background or inside another
        // page), a line under it says how to give it.
        stakmirActivated: function (active) {
            activated = activated || active;
            showHint();
        },
        // What the game shows: the page's line under it and the touch controls follow. The
        // answers to the question count only once it has been shown for a moment, so that a tap
        // meant for the last piece cannot answer it.
        stakmirScene: function (number) {
            scene = SCENES[number];
            SCENES.forEach(function (name) {
                body.classList.toggle(name, name === scene);
            });
            clearTimeout(answerTimer);
            answerable = false;
            body.classList.remove('answerable');
            if (scene === 'asking') {
                answerTimer = setTimeout(function () {
                    answerable = true;
                    body.classList.add('answerable');
                }, ANSWER_DELAY_MS);
            }
            showHint();
        },
        // A pulse of vibration when a piece locks or rows clear (the program asks only while the
        // sound is on), where the browser offers vibration.
        stakmirVibrate: function (milliseconds) {
            if (navigator.vibrate) {
                navigator.vibrate(milliseconds);
            }
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
    // fits, it shrinks to fit. Held upright, the frame is shown in two parts instead when that
    // makes the well larger. The canvas's drawing buffer takes the box's size in device pixels, and
    // the program draws the frame's parts into it at their scales, so that the browser shows it as
    // it is.
    function fit() {
        var ratio = window.devicePixelRatio || 1;
        var portrait = innerHeight > innerWidth;
        body.classList.toggle('portrait', portrait);
        var room = roomForGame(portrait);
        var whole = wholeFrame(room, ratio);
        var split = portrait ? splitFrame(room, ratio) : null;
        layout = split && split.wellScale > whole.wellScale ? split : whole;
        body.classList.toggle('split', layout === split);
        document.documentElement.dataset.scale = layout.wellScale;
        cell = WELL_CELL * layout.wellScale / ratio;
        // The box's size is rounded to a 64th of a CSS pixel, which is not a whole number of
        // device pixels at most ratios: the canvas takes its size from a transform instead, and
        // the box is made no smaller than it.
        screen.style.width = Math.ceil(layout.width / ratio * 64) / 64 + 'px';
        screen.style.height = Math.ceil(layout.height / ratio * 64) / 64 + 'px';
        canvas.style.width = layout.width + 'px';
        canvas.style.height = layout.height + 'px';
        canvas.style.transform = ratio === 1 ? '' : 'scale(' + 1 / ratio + ')';
        placeOnDevicePixels(ratio);
        Module.stakmirLayout = layout;
        sendLayout();
    }

    // The CSS pixels the game's box may take inside its border: the window less the margins, the
    // line under the game and the key legend, or the touch controls beside it or under it.
    function roomForGame(portrait) {
        var width = innerWidth - 2 * MARGIN - 2;
        var height = innerHeight - 2 * MARGIN - 2 - statusLine.offsetHeight - GAP;
        if (!touch) {
            height -= below.offsetHeight + GAP;
        } else if (portrait) {
            height -= padLeft.offsetHeight + GAP;
        } else {
            width -= 2 * (padLeft.offsetWidth + GAP);
        }
        return { width: width, height: height };
    }

    // The whole frame, as on the desktop.
    function wholeFrame(room, ratio) {
        var scale = Math.floor(Math.min(room.width * ratio / GAME_WIDTH, room.height * ratio / GAME_HEIGHT));
        var size = scale >= 1 ? scale : Math.max(0.1, Math.min(room.width / GAME_WIDTH, room.height / GAME_HEIGHT)) * ratio;
        var width = Math.max(1, Math.round(GAME_WIDTH * size));
        var height = Math.max(1, Math.round(GAME_HEIGHT * size));
        return { width: width, height: height, fill: 0x000000, wellScale: scale >= 1 ? scale : Number(size.toFixed(3)),
                 parts: [[0, 0, GAME_WIDTH, GAME_HEIGHT, 0, 0, width, height, scale < 1 ? 1 : 0]] };
    }

    // The well as large as fits and the rest of the frame beside it, each at a whole scale, the
    // rest at no more than the well's and large enough to read (2 device pixels per game pixel at
    // 3 device pixels per CSS pixel); of the two cuts of the rest the larger scale wins, then the
    // wider cut. Null when nothing fits.
    function splitFrame(room, ratio) {
        var across = Math.floor(room.width * ratio);
        var down = Math.floor(room.height * ratio);
        var gap = Math.round(GAP * ratio);
        var least = Math.max(1, Math.ceil(ratio * 2 / 3));
        for (var well = Math.floor(down / WELL_PART[3]); well >= 1; --well) {
            var best = null;
            SIDE_PARTS.forEach(function (side) {
                var scale = Math.min(well, Math.floor((across - gap - well * WELL_PART[2]) / side[2]),
                                     Math.floor(down / side[3]));
                if (scale >= least && (best === null || scale > best.scale)) {
                    best = { part: side, scale: scale };
                }
            });
            if (best !== null) {
                var side = best.part;
                var left = side[2] * best.scale + gap;
                return { width: left + WELL_PART[2] * well, height: Math.max(side[3] * best.scale, WELL_PART[3] * well),
                         fill: 0x1d2230, wellScale: well, sideScale: best.scale,
                         parts: [side.concat([0, 0, side[2] * best.scale, side[3] * best.scale, 0]),
                                 WELL_PART.concat([left, 0, WELL_PART[2] * well, WELL_PART[3] * well, 0])] };
            }
        }
        return null;
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

    // The line under the game: how to give it the focus, how to go on from a pause, and on a
    // touch screen how to start.
    function showHint() {
        var way = touch ? 'tap' : 'click';
        var text = '';
        if (activated === false) {
            text = (touch ? 'Tap' : 'Click') + ' the game to play';
        } else if (scene === 'player-paused') {
            text = touch ? 'Paused: tap Pause or the game to go on' : 'Paused: press P to go on';
        } else if (scene === 'paused' && activated) {
            text = 'Paused: ' + way + ' the game to go on';
        } else if (scene === 'welcome' && touch) {
            text = 'Tap the game to start';
        }
        hint.textContent = text;
        hint.hidden = text === '';
    }

    function useTouch() {
        if (!touch) {
            touch = true;
            body.classList.add('touch');
            showHint();
            fit();
        }
    }

    // ---- Touch controls: each is the key it stands for ----

    function sendKey(code, down) {
        if (Module._web_page_key) {
            Module._web_page_key(code, down ? 1 : 0);
        }
    }

    function pressKey(code) {
        sendKey(code, true);
        sendKey(code, false);
    }

    // A control is the key-down while it is pressed and the key-up when it is let go; Left, Right
    // and Faster repeat while held, as a held key does, and stop the moment they are let go. An
    // answer counts only from a touch that began once the question had been shown for a moment.
    function holdable(button) {
        var code = Number(button.dataset.key);
        var answer = button.classList.contains('answer');
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
            if (pointer !== null || (answer && !answerable)) {
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

    // Quit on a touch screen asks once more: the first tap shows "Tap again to quit" for a few
    // seconds, and only a second tap meanwhile is the quit key.
    function confirmQuit(button) {
        var armed = 0;
        var disarm = function () {
            clearTimeout(armed);
            armed = 0;
            button.classList.remove('armed');
        };
        button.addEventListener('pointerdown', function (event) {
            event.preventDefault();
            button.classList.add('held');
            if (armed) {
                disarm();
                pressKey(KEY_QUIT);
            } else {
                button.classList.add('armed');
                armed = setTimeout(disarm, QUIT_CONFIRM_MS);
            }
        });
        ['pointerup', 'pointercancel', 'pointerleave'].forEach(function (type) {
            button.addEventListener(type, function () {
                button.classList.remove('held');
            });
        });
    }

    document.querySelectorAll('button[data-key]').forEach(holdable);
    document.querySelectorAll('button.quit').forEach(confirmQuit);

    // ---- Gestures on the game: each is the key events of its key ----
    // A tap on the welcome screen starts the game (a key no rule uses, released); in play a
    // horizontal drag moves the piece a column for every cell's width the finger travels, a tap
    // turns it, a quick flick down slams it and a drag down held is Faster until let go; while
    // the player has paused, a tap goes on. The mouse only gives the game the focus.
    var gesture = null;

    function tapped(g, event) {
        return !g.moved && event.timeStamp - g.time < 2 * FLICK_MS &&
               Math.max(Math.abs(event.clientX - g.x), Math.abs(event.clientY - g.y)) < Math.max(cell / 2, 10);
    }

    // Faster while the finger, held past a flick, is a cell or more below where it touched and has
    // gone further down than across; off again once it comes back up.
    function followDown(g, now) {
        var down = g.lastY - g.y;
        var wanted = g.faster ? down >= cell / 2 : now - g.time >= FLICK_MS && down >= cell && down >= Math.abs(g.lastX - g.x);
        if (wanted !== g.faster) {
            g.faster = wanted;
            sendKey(KEY_FASTER, wanted);
        }
    }

    canvas.addEventListener('pointerdown', function (event) {
        if (event.pointerType === 'mouse') {
            return;
        }
        event.preventDefault();
        if (gesture !== null) {
            return;   // one finger plays; a second does nothing
        }
        var g = gesture = { id: event.pointerId, scene: scene, x: event.clientX, y: event.clientY, lastX: event.clientX,
                            lastY: event.clientY, column: event.clientX, time: event.timeStamp, moved: false,
                            faster: false, timer: 0 };
        canvas.setPointerCapture(event.pointerId);
        if (scene === 'welcome') {
            sendKey(KEY_ENTER, true);
        } else if (scene === 'playing') {
            g.timer = setTimeout(function () {
                if (gesture === g) {
                    followDown(g, g.time + FLICK_MS);
                }
            }, FLICK_MS);
        }
    });
    canvas.addEventListener('pointermove', function (event) {
        var g = gesture;
        if (g === null || g.id !== event.pointerId || g.scene !== 'playing' || scene !== 'playing') {
            return;
        }
        g.lastX = event.clientX;
        g.lastY = event.clientY;
        for (var dx = g.lastX - g.column; Math.abs(dx) >= cell; dx = g.lastX - g.column) {
            var step = dx < 0 ? -1 : 1;
            pressKey(step < 0 ? KEY_LEFT : KEY_RIGHT);
            g.column += step * cell;
            g.moved = true;
        }
        followDown(g, event.timeStamp);
    });
    var lift = function (event) {
        var g = gesture;
        if (g === null || g.id !== event.pointerId) {
            return;
        }
        gesture = null;
        clearTimeout(g.timer);
        if (g.scene === 'welcome') {
            sendKey(KEY_ENTER, false);   // nothing when the key-down went nowhere
        } else if (g.faster) {
            sendKey(KEY_FASTER, false);
        } else if (event.type === 'pointerup' && g.scene === scene) {
            var down = event.clientY - g.y;
            if (scene === 'playing' && !g.moved && event.timeStamp - g.time < FLICK_MS &&
                down >= Math.max(2 * cell, 24) && down > 2 * Math.abs(event.clientX - g.x)) {
                pressKey(KEY_SLAM);
            } else if (scene === 'playing' && tapped(g, event)) {
                pressKey(KEY_ROTATE);
            } else if (scene === 'player-paused' && tapped(g, event)) {
                pressKey(KEY_PAUSE);
            }
        }
    };
    canvas.addEventListener('pointerup', lift);
    canvas.addEventListener('pointercancel', lift);
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

    document.querySelectorAll('button.fullscreen').forEach(function (button) {
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
