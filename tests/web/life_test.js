#!/usr/bin/env node
// The page through a real browser's life: its WebGL context lost and given back (or not), a key
// held across a switch of tabs, frames at other display rates, and the odd ways a page is opened.
//
//     node life_test.js PAGE_DIR OUT_DIR CASE
'use strict';

const path = require('path');
const web = require('./browser_test.js');

const { Game, check, POLL } = web;

const isLost = () => document.getElementById('canvas').getContext('webgl').isContextLost();

// Lost during play, the game pauses at once and draws nothing; given back, its textures are made
// again, it shows the very frame it showed before and goes on where it was. Lost for good, it says so in one line once the page has been
// shown for a few seconds without the context coming back.
async function caseContext(game) {
    await web.startGame(game);
    const before = await web.pieceInside(game);
    const shown = await game.grab('before-loss');
    const { created } = await game.note();
    await game.page.evaluate(() => {
        window.loser = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
        window.loser.loseContext();
    });
    await game.page.waitForFunction(isLost, POLL);
    const draws = () => game.page.evaluate(() => window.stakmirTest.clears);
    const drawn = await draws();
    await game.step(30);
    check(await draws() === drawn, 'the game drew while its context was lost');
    await game.page.evaluate(() => window.loser.restoreContext());
    await game.page.waitForFunction((made, all) => window.stakmirTest.createdTextures === made + all, POLL, created,
                                    web.TEXTURES);
    const restored = await game.grab('restored');
    check(restored.difference(shown) === 0, 'the frame after the context came back differs from the one before, by ' +
          `${restored.difference(shown).toFixed(2)} a channel`);
    const back = web.fallingPiece(restored);
    await web.stepUntil(game, 'the piece to fall on', image => web.fallingPiece(image)[0] > back[0] + 3, 60);

    await game.page.evaluate(() => window.loser.loseContext());
    await game.page.waitForFunction(isLost, POLL);
    await game.step(180);  // three seconds shown
    check(!(await game.note()).shown, 'the game gave up on the context too soon');
    await game.step(120);
    await web.checkFailure(game, 'a context lost for good', /^Stakmir stopped: .*WebGL context/);
    await game.screenshot('lost-for-good');
}

// Keys held across a switch to another tab. One held on the help screen and released once the
// page is back: the game forgets it at the switch, and its release does not start the game. A
// faster key released in the other tab: back in front, the piece falls at its own pace, not at
// the faster one.
async function caseReleasedKey(game) {
    await (await game.cdp()).send('Emulation.setFocusEmulationEnabled', { enabled: false });
    const other = await game.browser.newPage();
    const away = async () => {
        await other.bringToFront();
        await game.page.waitForFunction(() => document.visibilityState === 'hidden', POLL);
    };
    const back = async () => {
        await game.page.bringToFront();
        await game.page.waitForFunction(() => document.visibilityState === 'visible' && document.hasFocus(), POLL);
    };
    await back();
    await game.step(60);
    await game.page.keyboard.down('KeyA');
    await away();
    await back();
    await game.page.keyboard.up('KeyA');
    await game.step(3);
    check(web.helpShown(await game.grab('help-after-switch')), 'a key held across a switch of tabs started the game');

    await web.startGame(game);
    await web.pieceInside(game);
    await game.page.keyboard.down('ArrowDown');
    await game.step(2);
    await away();
    await other.keyboard.up('ArrowDown');
    await back();
    await game.step();
    const top = web.fallingPiece(await game.grab())[0];
    await game.step(6);
    const fell = web.fallingPiece(await game.grab('after-switch'))[0] - top;
    check(fell <= 5, `the piece fell ${fell} pixels in 6 ticks: the faster key stayed held`);
}

// At any display rate from 30 Hz up the game keeps the desktop's pace of 58.8 ticks a second.
// Five seconds of frames 17 ms apart (one tick each) give the reference pictures; frames at 30,
// 50, 60 and 144 Hz over the same five seconds must bring the same game (the same pieces, from a
// fixed seed) to the same picture, give or take 1 % of the ticks.
async function casePace(browser, server, outDir) {
    const date = Date.UTC(2026, 0, 1);
    const SECONDS = 5;
    const expected = SECONDS * 1000 / 17;
    const slack = Math.floor(expected / 100);
    const reference = await Game.open(browser, server, outDir, { date });
    await web.startGame(reference);
    const first = Math.floor(expected) - slack - 1;
    await reference.step(first);
    const pictures = [];
    for (let ticks = first; ticks <= Math.ceil(expected) + slack + 1; ++ticks) {
        pictures.push([ticks, await reference.grab()]);
        await reference.step();
    }
    await reference.page.close();
    for (const hz of [30, 50, 60, 144]) {
        const game = await Game.open(browser, server, outDir, { date });
        await web.startGame(game);
        await game.step(Math.round(SECONDS * hz), 1000 / hz);
        const image = await game.grab(`${hz}-hz`);
        const [ticks, difference] = pictures.map(([n, picture]) => [n, image.difference(picture)])
                                            .reduce((best, next) => (next[1] < best[1] ? next : best));
        console.log(`${hz} Hz: the picture of tick ${ticks} (${expected.toFixed(1)} expected), difference ${difference}`);
        check(difference === 0 && Math.abs(ticks - expected) <= slack,
              `${hz} Hz: after ${SECONDS} s the game shows tick ${ticks} (difference ${difference}), ` +
              `not ${expected.toFixed(1)} within 1 %`);
        await game.page.close();
    }
}

// Opened from disk, the page says in one line that it must be served. Opened without the focus
// (inside another page whose own field has it), a hint under the game says to click it, and the
// game waits under its veil; a click on the game starts it and the hint goes.
async function caseOpenings(browser, server, outDir) {
    const fromDisk = await browser.newPage();
    await fromDisk.goto('file://' + path.join(server.pageDir, 'index.html'));
    const line = await fromDisk.evaluate(() => document.getElementById('note').textContent);
    check(/^Stakmir cannot start: .*served.*scripts\/play-web\.sh/.test(line), `opened from disk, the page says: ${line}`);
    await fromDisk.screenshot({ path: path.join(outDir, 'from-disk.png') });

    const framed = await browser.newPage();
    await framed.setViewport({ width: 800, height: 600 });
    await framed.goto(server.url + 'framed.html', { waitUntil: 'load' });
    const frame = framed.frames().find(f => f.url() === server.url);
    const hint = () => frame.evaluate(() => {
        const element = document.getElementById('hint');
        return element.hidden ? '' : element.textContent;
    });
    await frame.waitForFunction(() => !document.getElementById('hint').hidden, POLL);
    check(await hint() === 'Click the game to play', `without the focus the hint says "${await hint()}"`);
    await framed.screenshot({ path: path.join(outDir, 'framed-unfocused.png') });
    await (await frame.$('#canvas')).click();
    await frame.waitForFunction(() => document.getElementById('hint').hidden, POLL).catch(() => {
        throw new web.Failure('the hint stayed after a click on the game');
    });
    await framed.screenshot({ path: path.join(outDir, 'framed-focused.png') });
}

const CASES = {
    context: { run: caseContext },
    released_key: { run: caseReleasedKey },
    pace: { run: casePace, custom: true },
    openings: { run: caseOpenings, custom: true },
};

if (require.main === module) {
    web.runCase(CASES).then(code => process.exit(code));
}
