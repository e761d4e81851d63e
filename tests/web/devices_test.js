#!/usr/bin/env node
// The page on the screens people hold: it fits phones, tablets and large windows crisply, plays
// by touch alone, and after one visit plays without a connection.
//
//     node devices_test.js PAGE_DIR OUT_DIR CASE
'use strict';

const path = require('path');
const web = require('./browser_test.js');

const { Game, check, CELL, W, H } = web;

const PHONE_LANDSCAPE = { width: 844, height: 390, deviceScaleFactor: 3, isMobile: true, hasTouch: true, isLandscape: true };
// Each viewport with the number of device pixels a game pixel must take there.
const VIEWPORTS = [
    ['phone-portrait', { width: 390, height: 844, deviceScaleFactor: 3, isMobile: true, hasTouch: true }, 2],
    ['phone-landscape', PHONE_LANDSCAPE, 3],
    ['tablet', { width: 1024, height: 768, deviceScaleFactor: 2, isMobile: true, hasTouch: true, isLandscape: true }, 3],
    ['desktop', { width: 2560, height: 1440, deviceScaleFactor: 1 }, 4],
];

// What the page shows: every visible part's box, the page's scroll size, the game's scale.
function layout() {
    const visible = [...document.querySelectorAll('#screen, button, .legend, #hint')]
        .filter(element => element.getClientRects().length > 0);
    return {
        boxes: visible.map(element => [element.id || element.getAttribute('aria-label') || element.className,
                                       element.getBoundingClientRect().toJSON()]),
        scroll: [document.documentElement.scrollWidth, document.documentElement.scrollHeight],
        window: [innerWidth, innerHeight],
        scale: Number(document.documentElement.dataset.scale),
        canvas: document.getElementById('canvas').getBoundingClientRect().toJSON(),
        touch: document.body.classList.contains('touch'),
    };
}

// Compares a screenshot around the canvas at `scale` device pixels per game pixel with the frame
// itself: every game pixel must be a block of scale by scale device pixels of its colour. The
// canvas lies about `offset` device pixels into the screenshot (give or take the rounding of
// its edge); the best place within two pixels of it counts.
async function blurredPixels(game, shot, scale, offset) {
    return game.page.evaluate(async (url, s, [left, top]) => {
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
        const wrong = (dx, dy) => {
            let count = 0;
            for (let y = 0; y < 320 * s; ++y) {
                for (let x = 0; x < 480 * s; ++x) {
                    const i = 4 * ((dy + y) * copy.width + dx + x);
                    const j = 4 * (Math.floor(y / s) * 480 + Math.floor(x / s));
                    count += Math.abs(got[i] - want[j]) > 2 || Math.abs(got[i + 1] - want[j + 1]) > 2 ||
                             Math.abs(got[i + 2] - want[j + 2]) > 2 ? 1 : 0;
                }
            }
            return count;
        };
        let fewest = Infinity;
        for (let dy = Math.max(0, top - 2); dy <= top + 2 && dy + 320 * s <= copy.height; ++dy) {
            for (let dx = Math.max(0, left - 2); dx <= left + 2 && dx + 480 * s <= copy.width; ++dx) {
                fewest = Math.min(fewest, wrong(dx, dy));
            }
        }
        return fewest;
    }, `data:image/png;base64,${shot}`, scale, offset);
}

// Phones upright and on their side, a tablet and a large monitor: the game at the largest whole
// scale that fits, every game pixel a sharp block, nothing cut off, nothing to scroll, the touch
// controls where touch is the input and at least 44 pixels each.
async function caseViewports(browser, server, outDir) {
    for (const [name, viewport, scale] of VIEWPORTS) {
        const game = await Game.open(browser, server, outDir, { viewport });
        await game.step(60);
        const shown = await game.page.evaluate(layout);
        await game.page.screenshot({ path: path.join(outDir, `${name}.png`) });
        const [width, height] = shown.window;
        check(shown.scale === scale, `${name}: the game is at scale ${shown.scale}, not ${scale}`);
        check(shown.scroll[0] <= width && shown.scroll[1] <= height, `${name}: the page scrolls (${shown.scroll})`);
        for (const [what, box] of shown.boxes) {
            check(box.left >= 0 && box.top >= 0 && box.right <= width && box.bottom <= height,
                  `${name}: ${what} is cut off: ${JSON.stringify(box)}`);
            check(!viewport.hasTouch || what === 'screen' || what === 'hint' || box.width >= 44 && box.height >= 44,
                  `${name}: the touch control ${what} is smaller than 44 pixels`);
        }
        const controls = shown.boxes.filter(([what]) => what === 'Left' || what === 'Slam').length;
        check(controls === (viewport.hasTouch ? 2 : 0), `${name}: ${controls} of the touch controls shown`);
        const ratio = viewport.deviceScaleFactor;
        const box = shown.canvas;
        const clip = { x: Math.floor(box.x) - 2, y: Math.floor(box.y) - 2, width: Math.ceil(box.width) + 4,
                       height: Math.ceil(box.height) + 4 };
        const offset = [Math.round((box.x - clip.x) * ratio), Math.round((box.y - clip.y) * ratio)];
        const shot = await game.page.screenshot({ clip, encoding: 'base64' });
        const blurred = await blurredPixels(game, shot, scale, offset);
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

// A whole game by touch alone on a phone on its side: a tap on the game starts it; Left and
// Right move the piece, held Left repeats, Rotate turns it, held Faster speeds it up, Slam drops
// it; when the game asks, No ends it. Touches and a swipe do not scroll or zoom the page.
async function caseTouch(game) {
    await game.step(60);
    const [x, y] = await centre(game, '#canvas');
    await game.page.touchscreen.tap(x, y);
    await game.step();
    check(!web.helpShown(await game.grab('started')), 'a tap on the game did not start it');
    let piece = await web.pieceInside(game, 2 * CELL + 5);
    while (web.isSquare(piece)) {  // turning needs a piece that is not square
        await tap(game, 'Slam');
        await game.step(3);
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
    await game.step();
    const repeated = web.fallingPiece(await game.grab());
    check(turned[2] - repeated[2] >= 2 * CELL - 2, `held Left moved the piece from ${turned} to ${repeated} only`);
    const faster = await game.page.touchscreen.touchStart(...await centre(game, 'button[aria-label="Faster"]'));
    await game.step(4);
    await faster.end();
    const fell = web.fallingPiece(await game.grab())[0] - repeated[0];
    check(fell > 10, `held Faster let the piece fall ${fell} pixels in 4 ticks`);

    const swipe = await game.page.touchscreen.touchStart(x, y);
    await swipe.move(x - 200, y - 150);
    await swipe.end();
    const view = await game.page.evaluate(() => [scrollX, scrollY, visualViewport.scale]);
    check(view.join() === '0,0,1', `touches scrolled or zoomed the page: ${view}`);

    await web.stepUntil(game, 'the play-again question', async image => {
        if (web.questionShown(image)) {
            return true;
        }
        await tap(game, 'Slam');
        await game.step(3);
        return false;
    }, 1000);
    await game.page.screenshot({ path: path.join(game.outDir, 'asking.png') });
    await tap(game, 'No');
    await game.step();
    await web.checkQuitNote(game, 'No by touch');
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
          manifest.display === 'fullscreen' && manifest.orientation === 'landscape' &&
          /^#/.test(manifest.theme_color) && /^#/.test(manifest.background_color) &&
          manifest.icons === '192x192=192x192,512x512=512x512', `the manifest: ${JSON.stringify(manifest)}`);
}

const CASES = {
    viewports: { run: caseViewports, custom: true },
    touch: { run: caseTouch, open: { viewport: PHONE_LANDSCAPE } },
    offline: { run: caseOffline, open: { holdFrames: false } },
};

if (require.main === module) {
    web.runCase(CASES).then(code => process.exit(code));
}
