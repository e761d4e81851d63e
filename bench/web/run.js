#!/usr/bin/env node
// Figures of the web build, measured in Debian's Chromium (headless, WebGL by SwiftShader):
//
//     NODE_PATH=build-web/npm/node_modules node bench/web/run.js build-web/page
//
// - what a player's browser fetches: the page, the program's JavaScript and WebAssembly and
//   the icons, raw and gzip-compressed (level 9), as a server that compresses would send them;
// - ticks against animation frames over 10 s of play, in the same run: at 60 Hz the game draws
//   one frame for each animation frame that ticked, counted by its one glClear per frame, and the
//   browser's frames by its callbacks;
// - navigation to the first drawn frame, the median of 5 fresh loads.
'use strict';

const fs = require('fs');
const path = require('path');
const zlib = require('zlib');
const { serve, launch, pageHooks } = require('../../tests/web/browser_test.js');

const sleep = ms => new Promise(resolve => setTimeout(resolve, ms));

function transferSizes(pageDir) {
    const rows = [];
    for (const name of fs.readdirSync(pageDir).sort()) {
        const bytes = fs.readFileSync(path.join(pageDir, name));
        rows.push([name, bytes.length, zlib.gzipSync(bytes, { level: 9 }).length]);
    }
    rows.push(['total', rows.reduce((sum, row) => sum + row[1], 0), rows.reduce((sum, row) => sum + row[2], 0)]);
    return rows;
}

async function openPage(browser, server) {
    const page = await browser.newPage();
    await page.evaluateOnNewDocument(pageHooks, false, false);
    await page.evaluateOnNewDocument(() => {
        const clear = WebGLRenderingContext.prototype.clear;
        WebGLRenderingContext.prototype.clear = function (mask) {
            if (window.stakmirFirstFrameMs === undefined) {
                window.stakmirFirstFrameMs = performance.now();  // since the navigation began
            }
            return clear.call(this, mask);
        };
    });
    await page.goto(server.url);
    return page;
}

async function firstFrameMs(browser, server) {
    const times = [];
    for (let i = 0; i < 5; ++i) {
        const page = await openPage(browser, server);
        await page.waitForFunction(() => window.stakmirFirstFrameMs !== undefined, { polling: 20, timeout: 20000 });
        times.push(await page.evaluate(() => window.stakmirFirstFrameMs));
        await page.close();
    }
    times.sort((a, b) => a - b);
    return times[2];
}

// 10 s of a game in play (started from the help screen, the pieces falling by themselves).
async function ticksAndFrames(browser, server) {
    const page = await openPage(browser, server);
    await sleep(2000);
    await page.keyboard.press('Shift');
    await sleep(500);
    const count = () => page.evaluate(() => [window.stakmirTest.clears, window.stakmirTest.frames, performance.now()]);
    const [ticks0, frames0, time0] = await count();
    await sleep(10000);
    const [ticks1, frames1, time1] = await count();
    await page.close();
    const seconds = (time1 - time0) / 1000;
    return { ticks: Math.round((ticks1 - ticks0) * 10 / seconds), frames: Math.round((frames1 - frames0) * 10 / seconds) };
}

async function main() {
    const pageDir = path.resolve(process.argv[2] || 'build-web/page');
    console.log('| file | bytes | gzip -9 |\n|---|---|---|');
    for (const [name, raw, gzip] of transferSizes(pageDir)) {
        console.log(`| ${name} | ${raw} | ${gzip} |`);
    }
    const server = await serve(pageDir);
    const browser = await launch();
    try {
        const { ticks, frames } = await ticksAndFrames(browser, server);
        console.log(`\nticks per 10 s: ${ticks}, animation frames: ${frames} (${(100 * ticks / frames).toFixed(1)} %)`);
        console.log(`navigation to first drawn frame (median of 5): ${(await firstFrameMs(browser, server)).toFixed(0)} ms`);
    } finally {
        await browser.close();
        await server.close();
    }
}

main().catch(error => {
    console.error(error.stack);
    process.exit(1);
});
