#!/usr/bin/env node
// The page on the screens and devices people hold: it fits phones, tablets and large windows
// crisply, plays by touch alone and with a gamepad, and after one visit plays without a connection.
//
//     node devices_test.js PAGE_DIR OUT_DIR CASE
'use strict';

const path = require('path');
const web = require('./browser_test.js');

const { Game, check, CELL, POLL, WELL } = web;

// The clock the pieces are seeded from, fixed for the games played here: its first piece is a
// square, which cannot show a turn and is slammed away first.
const SQUARE_FIRST = Date.UTC(2026, 0, 1, 0, 0, 5);
const PHONE_LANDSCAPE = { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: true };
const PHONE_PORTRAIT = { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true };
// Each viewport with what the game must take there: the whole frame at `whole` device pixels per
// game pixel, or, held upright, the well at least `well` CSS pixels tall with the rest of the
// frame beside it at `side` or more device pixels per game pixel.
const VIEWPORTS = [
    ['phone-portrait', PHONE_PORTRAIT, { well: 300, side: 2 }],
    ['phone-landscape', PHONE_LANDSCAPE, { whole: 3 }],
    ['phone-small', { width: 375, height: 667, deviceScaleFactor: 2, isMobile: true, hasTouch: true }, { well: 240, side: 2 }],
    ['phone-narrow', { width: 360, height: 640, deviceScaleFactor: 3, isMobile: true, hasTouch: true }, { well: 240, side: 2 }],
    ['tablet', { width: 1024, height: 768, deviceScaleFactor: 2, isMobile: true, hasTouch: true, isLandscape: true }, { whole: 3 }],
    ['desktop', { width: 2560, height: 1440, deviceScaleFactor: 1 }, { whole: 4 }],
    // At ratios whose device pixels do not fall on whole CSS pixels the canvas must still sit on
    // whole device pixels, top row and last column included.
    ['phone-2.6', { width: 412, height: 915, deviceScaleFactor: 2.6, isMobile: true, hasTouch: true }, { well: 300, side: 2 }],
    ['narrow-window-3', { width: 390, height: 844, deviceScaleFactor: 3 }, { well: 300, side: 2 }],
];
// What a player must see of the frame (left, top, width, height, from its top left): the titles,
// the score and level, the next piece, the help, the question's words, the well and the marker
// under it.
const FRAME_PARTS = { title: [30, 43, 159, 57], score: [32, 100, 150, 60], next: [30, 182, 75, 106],
                      help: [31, 119, 145, 127], question: [31, 219, 140, 20], well: [299, 9, 152, 306] };

// What the page shows: every visible part's box, the page's scroll size, the game's layout.
function layout() {
    const visible = [...document.querySelectorAll('#screen, button, .legend, #hint')]
        .filter(element => element.getClientRects().length > 0);
    return {
        boxes: visible.map(element => [element.id || element.getAttribute('aria-label') || element.className,
                                       element.getBoundingClientRect().toJSON()]),
        scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
        window: [innerWidth, innerHeight],
        scale: Number(document.documentElement.dataset.scale),
        layout: Module.stakmirLayout,
        canvas: document.getElementById('canvas').getBoundingClientRect().toJSON(),
        touch: document.body.classList.contains('touch'),
    };
}

// Compares a screenshot around the canvas with the frame itself, part by part: every game pixel
// must be a block of device pixels of its colour, as many as the part's scale. The canvas lies
// about `offset` device pixels into the screenshot (give or take the rounding of its edge); the
// best place within two pixels of it counts.
async function blurredPixels(game, shot, parts, offset) {
    return game.page.evaluate(async (url, pieces, [left, top]) => {
        const image = new Image();
        image.src = url;
        await image.decode();
        const copy = document.createElement('canvas');
        copy.width = image.width;
        copy.height = image.height;
        const context = copy.getContext('2d', { willReadFrequently: true });
        context.drawImage(image, 0, 0);
        const got = context.getImageData(0, 0, copy.width, copy.height).data;
        const want = window.stakmirTest.pictureContext.getImageData(0, 0, 480, 320).data;
        const right = Math.max(...pieces.map(p => p[4] + p[6]));
        const bottom = Math.max(...pieces.map(p => p[5] + p[7]));
        const wrong = (dx, dy) => {
            let count = 0;
            for (const [sl, st, sw, , tl, tt, tw, th] of pieces) {
                const s = tw / sw;
                for (let y = 0; y < th; ++y) {
                    for (let x = 0; x < tw; ++x) {
                        const i = 4 * ((dy + tt + y) * copy.width + dx + tl + x);
                        const j = 4 * ((st + Math.floor(y / s)) * 480 + sl + Math.floor(x / s));
                        count += Math.abs(got[i] - want[j]) > 2 || Math.abs(got[i + 1] - want[j + 1]) > 2 ||
                                 Math.abs(got[i + 2] - want[j + 2]) > 2 ? 1 : 0;
                    }
                }
            }
            return count;
        };
        let fewest = Infinity;
        for (let dy = Math.max(0, top - 2); dy <= top + 2 && dy + bottom <= copy.height; ++dy) {
            for (let dx = Math.max(0, left - 2); dx <= left + 2 && dx + right <= copy.width; ++dx) {
                fewest = Math.min(fewest, wrong(dx, dy));
            }
        }
        return fewest;
    }, `data:image/png;base64,${shot}`, parts, offset);
}

const inside = ([l, t, w, h], [L, T, W, H]) => l >= L && t >= T && l + w <= L + W && t + h <= T + H;

// Phones upright and on their side, a tablet and a large monitor: the game at the largest whole
// scale that fits (held upright, the well and the rest of the frame side by side, each at its
// own), every part of the frame shown, every game pixel a sharp block, nothing cut off, nothing
// to scroll, the touch controls where touch is the input, at least 44 pixels each, and held
// upright in the lowest 40 % of the screen.
async function caseViewports(browser, server, outDir) {
    for (const [name, viewport, goal] of VIEWPORTS) {
        const game = await Game.open(browser, server, outDir, { viewport });
        await game.step(60);
        const shown = await game.page.evaluate(layout);
        await game.page.screenshot({ path: path.join(outDir, `${name}.png`) });
        const [width, height] = shown.window;
        const ratio = viewport.deviceScaleFactor;
        const parts = shown.layout.parts;
        if (goal.whole) {
            check(parts.length === 1 && shown.scale === goal.whole,
                  `${name}: the game is at scale ${shown.scale} in ${parts.length} parts, not whole at ${goal.whole}`);
        } else {
            const [side, well] = parts;
            const tall = well[7] * WELL[3] / well[3] / ratio;
            console.log(`${name}: the well ${tall} CSS pixels tall`);
            check(parts.length === 2 && tall >= goal.well && side[6] / side[2] >= goal.side,
                  `${name}: the well is ${tall} CSS pixels tall (${goal.well} wanted), the rest at ` +
                  `${side[6] / side[2]} (${goal.side} wanted): ${JSON.stringify(parts)}`);
        }
        for (const [what, part] of Object.entries(FRAME_PARTS)) {
            check(parts.some(p => inside(part, p.slice(0, 4)) && inside(p.slice(4, 8), [0, 0, shown.layout.width, shown.layout.height])),
                  `${name}: the frame's ${what} is not shown: ${JSON.stringify(parts)}`);
        }
        check(shown.scroll[0] <= width && shown.scroll[1] <= height, `${name}: the page scrolls (${shown.scroll})`);
        for (const [what, box] of shown.boxes) {
            check(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height,
                  `${name}: ${what} is cut off: ${JSON.stringify(box)}`);
            check(!viewport.hasTouch || what === 'screen' || what === 'hint' || box.width >= 44 && box.height >= 44,
                  `${name}: the touch control ${what} is smaller than 44 pixels`);
            check(!viewport.hasTouch || height < width || what === 'screen' || what === 'hint' || box.top >= 0.6 * height,
                  `${name}: the touch control ${what} is above the lowest 40 % of the screen: ${JSON.stringify(box)}`);
        }
        const controls = shown.boxes.filter(([what]) => what === 'Left' || what === 'Slam').length;
        check(controls === (viewport.hasTouch ? 2 : 0), `${name}: ${controls} of the touch controls shown`);
        const box = shown.canvas;
        const clip = { x: Math.floor(box.x) - 2, y: Math.floor(box.y) - 2, width: Math.ceil(box.width) + 4,
                       height: Math.ceil(box.height) + 4 };
        const offset = [Math.round((box.x - clip.x) * ratio), Math.round((box.y - clip.y) * ratio)];
        const shot = await game.page.screenshot({ clip, encoding: 'base64' });
        const blurred = await blurredPixels(game, shot, parts, offset);
        check(blurred === 0, `${name}: ${blurred} device pixels are not their game pixel's colour`);
        await game.page.close();
    }
}

// Touch points: the middle of an element of the page.
async function centre(game, selector) {
    const box = await (await game.page.$(selector)).boundingBox();
    return [box.x + box.width / 2, box.y + box.height / 2];
}

async function tap(game, label) {
    const [x, y] = await centre(game, `button[aria-label="${label}"]`);
    await game.page.touchscreen.tap(x, y);
}

// A whole game by touch alone on a phone on its side: a tap on the game starts it (and the
// sound); the sound button mutes and unmutes; Left and Right move the piece, held Left repeats
// and stops the moment it is let go, Rotate turns it, held Faster speeds it up, Slam drops it;
// one tap on Quit only asks again; Slam tapped on into the question never answers it, No ends
// the game, and the controls go for a Play again button. Touches and a swipe do not scroll or
// zoom the page.
async function caseTouch(game) {
    await game.step(60);
    const [x, y] = await centre(game, '#canvas');
    await game.page.touchscreen.tap(x, y);
    await game.step();
    check(!web.helpShown(await game.grab('started')), 'a tap on the game did not start it');
    await recordKeys(game);
    // The tap made the page's audio context; the sound button among the controls turns the
    // sound off and on, and shows it.
    await game.page.waitForFunction(() => Module.stakmirAudio.context && Module.stakmirAudio.context.state === 'running',
                                    web.POLL);
    for (const muted of ['true', 'false']) {
        await tap(game, 'Mute');
        await game.step();
        const shown = await game.page.$eval('#pad-right .sound', button => button.getAttribute('aria-pressed'));
        check(shown === muted, `a tap on the sound button left it aria-pressed ${shown}, not ${muted}`);
    }
    let piece = await web.pieceInside(game, 2 * CELL + 5);
    while (web.isSquare(piece)) {  // turning needs a piece that is not square
        await tap(game, 'Slam');
        await web.slammed(game, piece, 'Slam');
        piece = await web.pieceInside(game, 2 * CELL + 5);
    }
    for (const [label, delta] of [['Left', -CELL], ['Right', CELL]]) {
        await tap(game, label);
        await game.step();
        const moved = web.fallingPiece(await game.grab());
        check(Math.abs(moved[2] - piece[2] - delta) <= 2, `${label} moved the piece from ${piece} to ${moved}`);
        piece = moved;
    }
    await tap(game, 'Rotate');
    await game.step();
    const turned = web.fallingPiece(await game.grab('turned'));
    check(Math.abs(turned[3] - turned[2] - (piece[1] - piece[0])) <= 3 &&
          Math.abs(turned[1] - turned[0] - (piece[3] - piece[2])) <= 3, `Rotate did not turn ${piece}: ${turned}`);
    const left = await game.page.touchscreen.touchStart(...await centre(game, 'button[aria-label="Left"]'));
    await new Promise(resolve => setTimeout(resolve, 650));  // past the repeat delay
    await left.end();
    const leftKeys = (await takeKeys(game)).split(' ');
    check(leftKeys.length >= 6 && leftKeys.at(-1) === '37-', `held Left sent ${leftKeys.join(' ')}`);
    await new Promise(resolve => setTimeout(resolve, 200));  // several repeats' time
    check(await takeKeys(game) === '', 'Left went on repeating once let go');
    await game.step();
    const repeated = web.fallingPiece(await game.grab());
    check(turned[2] - repeated[2] >= 2 * CELL - 2, `held Left moved the piece from ${turned} to ${repeated} only`);
    const faster = await game.page.touchscreen.touchStart(...await centre(game, 'button[aria-label="Faster"]'));
    await game.step(4);
    await faster.end();
    const fell = web.fallingPiece(await game.grab())[0] - repeated[0];
    check(fell > 10, `held Faster let the piece fall ${fell} pixels in 4 ticks`);
    // A mouse on a touch screen: a click on the fullscreen control, which takes the focus, and
    // then on the game: the game plays on.
    await game.page.click('#pad-right .fullscreen');
    await game.page.click('#canvas');
    await game.step();
    const top = web.fallingPiece(await game.grab())[0];
    await web.stepUntil(game, 'the piece to fall on after a click on the fullscreen control and on the game',
                        image => web.fallingPiece(image)[0] > top + 3, 60);
    await game.page.evaluate(() => document.fullscreenElement && document.exitFullscreen());

    const swipe = await game.page.touchscreen.touchStart(x, y);
    await swipe.move(x - 200, y - 150);
    await swipe.end();
    const view = await game.page.evaluate(() => [scrollX, scrollY, visualViewport.scale]);
    check(view.join() === '0,0,1', `touches scrolled or zoomed the page: ${view}`);

    // Quit asks once more: one tap does not end the game.
    await tap(game, 'Quit');
    await game.step();
    check(!(await game.note()).shown && await game.page.$eval('.quit', quit => quit.textContent.includes('again')),
          'one tap on Quit ended the game, or did not ask again');
    // Slam tapped every 50 ms into the question never answers it.
    const slam = await centre(game, 'button[aria-label="Slam"]');
    let after = 0;
    await web.stepUntil(game, 'the play-again question and a while after', async image => {
        after += web.questionShown(image) ? 1 : 0;
        await game.page.touchscreen.tap(...slam);
        await new Promise(resolve => setTimeout(resolve, 50));
        await game.step(after > 0 ? 1 : 3);
        return after >= 10;
    }, 1000);
    check(web.questionShown(await game.grab()) && !(await game.note()).shown, 'a tap where Slam was answered the question');
    await game.page.screenshot({ path: path.join(game.outDir, 'asking.png') });
    await game.page.waitForSelector('body.answerable', POLL);
    await tap(game, 'No');
    await game.step();
    await web.checkQuitNote(game, 'No by touch');
    const ended = await game.page.evaluate(() => ({
        again: document.querySelector('#note a').getBoundingClientRect().height,
        controls: [...document.querySelectorAll('.pad button')].filter(b => getComputedStyle(b).visibility === 'visible').length,
    }));
    check(ended.again >= 44 && ended.controls === 0, `after the game: ${JSON.stringify(ended)}`);
}

// Where the well lies on the screen (CSS pixels): its top left corner and the side of a cell.
async function wellOnScreen(game) {
    return game.page.evaluate((well, size) => {
        const box = document.getElementById('canvas').getBoundingClientRect();
        const ratio = devicePixelRatio;
        const [sl, st, sw, , tl, tt, tw] = Module.stakmirLayout.parts.find(p => p[0] <= well[0] && p[0] + p[2] >= well[0] + well[2]);
        const scale = tw / sw / ratio;
        return { x: box.x + tl / ratio + (well[0] - sl) * scale, y: box.y + tt / ratio + (well[1] - st) * scale, cell: size * scale };
    }, WELL, CELL);
}

// Every key the page hands the program, as [code, down], for a test to read and clear.
function recordKeys(game) {
    return game.page.evaluate(() => {
        const key = Module._web_page_key;
        window.stakmirKeys = [];
        Module._web_page_key = (code, down) => {
            window.stakmirKeys.push([code, down]);
            return key(code, down);
        };
    });
}

const takeKeys = game => game.page.evaluate(() => window.stakmirKeys.splice(0).map(([code, down]) => `${code}${down ? '+' : '-'}`).join(' '));

// The vibrations the page asks for, kept for the test.
function recordPulses() {
    window.stakmirPulses = [];
    navigator.vibrate = milliseconds => window.stakmirPulses.push(milliseconds) > 0;
}

// A whole game by gestures alone on a phone held upright: the line under the game says to tap
// it; a tap starts it; a flick down slams (with a pulse when the piece locks); a drag moves the
// piece a column per cell of finger travel and back; a tap turns it; a drag down held is Faster
// until let go; Pause (the button) stops it with a word under the game, and a tap on the game
// goes on; muted, a lock gives no pulse; flicks play to the end, and Yes plays again.
async function caseGestures(game) {
    await game.step(60);
    check(await game.page.$eval('#hint', hint => hint.textContent) === 'Tap the game to start',
          'no "Tap the game to start" under the welcome screen');
    const well = await wellOnScreen(game);
    const [x, y] = [well.x + 5 * well.cell, well.y + 10 * well.cell];
    await game.page.touchscreen.tap(x, y);
    await game.step();
    check(!web.helpShown(await game.grab('gesture-started')), 'a tap on the game did not start it');
    await recordKeys(game);
    const flick = async () => {
        const finger = await game.page.touchscreen.touchStart(x, y);
        await finger.move(x, y + 4 * well.cell);
        await finger.end();
    };
    let piece = await web.pieceInside(game, 2 * CELL + 5);
    while (web.isSquare(piece)) {
        await flick();
        await web.slammed(game, piece, 'a flick down');
        piece = await web.pieceInside(game, 2 * CELL + 5);
    }
    check(await takeKeys(game) === '32+ 32-', 'a flick down was not Slam alone');
    check((await game.page.evaluate(() => window.stakmirPulses)).includes(15), 'no pulse when the piece locked');
    const drag = await game.page.touchscreen.touchStart(x, y);
    // The browser hands moves over with its own frames: each move's keys are waited for.
    for (const [cells, delta, keys] of [[-1.2, -CELL, 2], [1.2, 2 * CELL, 6]]) {
        await drag.move(x + cells * well.cell, y);
        await game.page.waitForFunction(n => window.stakmirKeys.length >= n, POLL, keys);
        await game.step();
        const moved = web.fallingPiece(await game.grab());
        check(Math.abs(moved[2] - piece[2] - delta) <= 2, `a drag of ${cells} cells moved the piece from ${piece} to ${moved}`);
        piece = moved;
    }
    await drag.end();
    await game.page.touchscreen.tap(x, y);
    await game.step();
    const turned = web.fallingPiece(await game.grab('gesture-turned'));
    check(Math.abs(turned[3] - turned[2] - (piece[1] - piece[0])) <= 3, `a tap did not turn ${piece}: ${turned}`);
    check(await takeKeys(game) === '37+ 37- 39+ 39- 39+ 39- 38+ 38-', 'the drag and the tap were not Left, Right, Right and Rotate');
    await game.page.screenshot({ path: path.join(game.outDir, 'upright-playing.png') });
    const hold = await game.page.touchscreen.touchStart(x, y);
    await hold.move(x, y + 1.5 * well.cell);
    await game.page.waitForFunction(() => window.stakmirKeys.length > 0, POLL);
    const top = web.fallingPiece(await game.grab())[0];
    await game.step(4);
    check(web.fallingPiece(await game.grab())[0] - top > 10, 'a drag down held did not speed the piece up');
    await hold.end();
    check(await takeKeys(game) === '40+ 40-', 'a drag down held was not Faster until let go');

    await tap(game, 'Pause');
    await game.step();
    const paused = await game.grab('gesture-paused');
    await game.step(30);
    check((await game.grab()).difference(paused) < 0.01, 'the game went on after Pause');
    check(await game.page.$eval('#hint', hint => !hint.hidden && hint.textContent.startsWith('Paused')),
          'no "Paused" under the game');
    await game.page.touchscreen.tap(x, y);
    await game.step();
    const going = web.fallingPiece(await game.grab());
    await web.stepUntil(game, 'the piece to fall on after a tap on the paused game',
                        image => web.fallingPiece(image)[0] > going[0] + 3, 60);
    check(await game.page.$eval('#hint', hint => hint.hidden), 'the word under the game stayed');

    await tap(game, 'Mute');
    const pulses = await game.page.evaluate(() => window.stakmirPulses.length);
    await flick();
    await web.slammed(game, web.fallingPiece(await game.grab()), 'a flick down');
    await game.step(30);
    check(await game.page.evaluate(() => window.stakmirPulses.length) === pulses, 'a pulse while the sound is off');
    await tap(game, 'Mute');
    await web.stepUntil(game, 'the play-again question', async image => {
        if (web.questionShown(image)) {
            return true;
        }
        await flick();
        await game.step(3);
        return false;
    }, 1000);
    await game.page.screenshot({ path: path.join(game.outDir, 'upright-asking.png') });
    await game.page.waitForSelector('body.answerable', POLL);
    await tap(game, 'Yes');
    await game.step(5);
    const again = await game.grab('gesture-again');
    check(web.helpShown(again) && web.rowGroups(again).length === 0, 'Yes did not start a new game with an empty well');
}

// After one visit the page is kept: with the network gone, a reload still starts the game. The
// manifest names the game and its home-screen icons, which load at their sizes.
async function caseOffline(game) {
    const page = game.page;
    await page.evaluate(() => navigator.serviceWorker.ready);
    await page.reload({ waitUntil: 'load' });
    check(await page.evaluate(() => navigator.serviceWorker.controller !== null), 'the service worker does not keep the page');
    await page.setOfflineMode(true);
    const before = game.server.requests.length;
    await page.reload({ waitUntil: 'load' });
    await web.stepUntilReal(game, 'the game offline', image => web.helpShown(image) && web.wellShown(image), 10000);
    check(game.server.requests.length === before, 'the page asked the server for something while offline');
    await page.setOfflineMode(false);
    const manifest = await page.evaluate(async () => {
        const response = await fetch(document.querySelector('link[rel=manifest]').href);
        const fields = await response.json();
        const sizes = await Promise.all(fields.icons.map(async icon => {
            const image = new Image();
            image.src = icon.src;
            await image.decode();
            return `${icon.sizes}=${image.naturalWidth}x${image.naturalHeight}`;
        }));
        return { ...fields, icons: sizes.join() };
    });
    check(manifest.name === 'Stakmir' && manifest.short_name === 'Stakmir' && manifest.start_url === './' &&
          manifest.display === 'fullscreen' && manifest.orientation === 'any' &&
          /^#/.test(manifest.theme_color) && /^#/.test(manifest.background_color) &&
          manifest.icons === '192x192=192x192,512x512=512x512', `the manifest: ${JSON.stringify(manifest)}`);
}

// A pad of the browser's standard layout, played by the test: headless Chromium has none, so the
// page's navigator.getGamepads is replaced before the page starts.
function scriptedPad() {
    const pad = { id: 'scripted', index: 0, connected: true, mapping: 'standard', axes: [0, 0, 0, 0],
                  buttons: Array.from({ length: 17 }, () => ({ pressed: false, value: 0 })) };
    window.stakmirPad = pad;
    navigator.getGamepads = () => [pad, null, null, null];
}

const BUTTONS = { south: 0, east: 1, leftShoulder: 4, rightShoulder: 5, back: 8, start: 9, left: 14, right: 15 };

async function setPad(game, buttons, [x, y] = [0, 0]) {
    await game.page.evaluate((pressed, axes) => {
        window.stakmirPad.buttons.forEach((button, i) => {
            button.pressed = pressed.includes(i);
            button.value = button.pressed ? 1 : 0;
        });
        window.stakmirPad.axes = [...axes, 0, 0];
    }, buttons.map(name => BUTTONS[name]), [x, y]);
}

// One button pressed for a frame and let go the next.
async function push(game, button) {
    await setPad(game, [button]);
    await game.step();
    await setPad(game, []);
    await game.step();
}

// A game played with a pad: Start starts it, the d-pad moves the piece both ways, A turns it, the
// stick moves it once pushed past its dead zone (repeating while held, and not once back in the
// middle) and speeds it up downwards, B and the shoulders slam; after the game A plays again,
// and Back quits.
async function caseGamepad(game) {
    await game.step(60);
    await push(game, 'start');
    check(!web.helpShown(await game.grab()), 'Start did not start the game');
    let piece = await web.pieceInside(game, 2 * CELL + 5);
    while (web.isSquare(piece)) {
        await push(game, 'east');
        await web.slammed(game, piece, 'B');
        piece = await web.pieceInside(game, 2 * CELL + 5);
    }
    const column = async () => web.fallingPiece(await game.grab())[2];
    for (const [button, delta] of [['left', -CELL], ['right', CELL]]) {
        const before = await column();
        await push(game, button);
        check(Math.abs(await column() - before - delta) <= 2, `the d-pad's ${button} did not move the piece`);
    }
    const before = web.fallingPiece(await game.grab());
    await push(game, 'south');
    const turned = web.fallingPiece(await game.grab('pad-turned'));
    check(Math.abs(turned[3] - turned[2] - (before[1] - before[0])) <= 3, `A did not turn ${before}: ${turned}`);
    // A direction held while the WebGL context is lost and given back counts again only once it
    // has been let go, as a key held when the page loses the focus.
    await setPad(game, ['left']);
    await game.step();
    const kept = await column();
    const { created } = await game.note();
    await game.page.evaluate(() => {
        window.loser = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
        window.loser.loseContext();
    });
    await game.step(40);
    await game.page.evaluate(() => window.loser.restoreContext());
    await game.page.waitForFunction((made, all) => window.stakmirTest.createdTextures === made + all, POLL, created,
                                    web.TEXTURES);
    await game.step(40);
    check(await column() === kept, 'a d-pad direction held across a lost context moved the piece on');
    await setPad(game, []);
    await game.step();
    const start = await column();
    await setPad(game, [], [-0.3, 0.2]);
    await game.step(5);
    check(await column() === start, 'the stick moved the piece inside its dead zone');
    await setPad(game, [], [-1, 0]);
    await game.step(35);  // past the repeat delay of half a second
    const held = await column();
    check(start - held >= 2 * CELL - 2, `the stick held left moved the piece from ${start} to ${held} only`);
    await setPad(game, [], [0, 0]);
    await game.step(40);
    check(await column() === held, 'the stick kept moving the piece once back in the middle');
    const top = web.fallingPiece(await game.grab())[0];
    await setPad(game, [], [0, 1]);
    await game.step(4);
    await setPad(game, []);
    check(web.fallingPiece(await game.grab())[0] - top > 10, 'the stick held down did not speed the piece up');
    await push(game, 'rightShoulder');
    await web.stepUntil(game, 'the play-again question', async image => {
        if (web.questionShown(image)) {
            return true;
        }
        await push(game, 'leftShoulder');  // slam only: B would also answer "no" once the game asks
        await game.step(2);
        return false;
    }, 1000);
    await push(game, 'south');
    await game.step(3);
    const again = await game.grab('pad-again');
    check(web.helpShown(again) && web.rowGroups(again).length === 0, 'A did not play again');
    await push(game, 'back');
    await web.checkQuitNote(game, 'Back');
}

const CASES = {
    viewports: { run: caseViewports, custom: true },
    touch: { run: caseTouch, open: { viewport: PHONE_LANDSCAPE, date: SQUARE_FIRST } },
    gestures: { run: caseGestures, open: { viewport: PHONE_PORTRAIT, date: SQUARE_FIRST, script: recordPulses } },
    offline: { run: caseOffline, open: { holdFrames: false } },
    gamepad: { run: caseGamepad, open: { script: scriptedPad, date: SQUARE_FIRST } },
};

module.exports = { blurredPixels };

if (require.main === module) {
    web.runCase(CASES).then(code => process.exit(code));
}
