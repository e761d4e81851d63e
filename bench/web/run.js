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
// - navigation to the first drawn frame, the median of 5 fresh loads;
// - with a second page folder (another build of the page, e.g. the page as it was), the browser's
//   processor time over 10 s of play of each, at 1, 2 and 3 device pixels per game pixel, the
//   two open side by side and measured in turn in the same run, ROUNDS times (default 10):
//
//     NODE_PATH=... node bench/web/run.js build-web/page OTHER_PAGE_DIR [ROUNDS]
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

// The processor time of the browser and of every process under it, by process, in clock ticks
// (utime + stime of /proc/PID/stat).
function treeTicks(root) {
    const parents = new Map();
    const ticks = new Map();
    for (const name of fs.readdirSync('/proc').filter(entry => /^\d+$/.test(entry))) {
        try {
            const stat = fs.readFileSync(`/proc/${name}/stat`, 'utf8');
            const fields = stat.slice(stat.lastIndexOf(')') + 2).split(' ');
            parents.set(Number(name), Number(fields[1]));
            ticks.set(Number(name), Number(fields[11]) + Number(fields[12]));
        } catch (error) {
            // the process ended meanwhile
        }
    }
    const tree = new Map();
    for (const [pid, own] of ticks) {
        for (let p = pid; p > 1; p = parents.get(p) || 0) {
            if (p === root) {
                tree.set(pid, own);
                break;
            }
        }
    }
    return tree;
}

// The ticks spent between two readings by the processes still there at the second.
function ticksSince(before, after) {
    let sum = 0;
    for (const [pid, ticks] of after) {
        sum += ticks - (before.get(pid) || 0);
    }
    return sum;
}

// Both pages open side by side at `viewport`, each with a game started; the one in front plays,
// the other is hidden and paused. Returns a function that brings page `i` to the front and gives
// the browser's processor time over the next `ms` of its play, in seconds, with the frames the
// game drew meanwhile (one clear each), which show that both pages played alike.
async function openPair(browser, servers, viewport) {
    const pages = [];
    for (const server of servers) {
        const page = await browser.newPage();
        await page.evaluateOnNewDocument(() => {
            window.stakmirDrawn = 0;
            const clear = WebGLRenderingContext.prototype.clear;
            WebGLRenderingContext.prototype.clear = function (mask) {
                window.stakmirDrawn += 1;
                return clear.call(this, mask);
            };
        });
        await page.setViewport(viewport);
        await page.goto(server.url);
        await sleep(2000);
        await page.keyboard.press('Shift');
        pages.push(page);
    }
    const root = browser.process().pid;
    const measure = async (i, ms) => {
        const page = pages[i];
        await page.bringToFront();
        await sleep(1000);  // the page shown again and playing
        const drawn = () => page.evaluate(() => window.stakmirDrawn);
        const [ticks, frames] = [treeTicks(root), await drawn()];
        await sleep(ms);
        return [ticksSince(ticks, treeTicks(root)) / 100, await drawn() - frames];  // 100 ticks a second
    };
    return { measure, close: () => Promise.all(pages.map(page => page.close())) };
}

// The two pages in turn, a few seconds each, ROUNDS times, at each window size: the processor
// time of 10 s of play of each, and the ratio of the two in each round (min / median / max). Short
// turns side by side keep the machine's other load from falling on one page more than the other.
async function compareTime(browser, servers, rounds) {
    const sizes = [[1, { width: 800, height: 600 }], [2, { width: 1280, height: 800 }],
                   [3, { width: 1600, height: 1100 }]];
    const TURN_MS = 3000;
    console.log(`\nprocessor time of the browser in 10 s of play (${rounds} rounds of ${TURN_MS / 1000} s each, ` +
                'the two pages in turn)');
    console.log('| scale | this page (s) | other page (s) | ratio min / median / max | frames drawn |\n|---|---|---|---|---|');
    const median = list => [...list].sort((a, b) => a - b)[list.length >> 1];
    for (const [scale, viewport] of sizes) {
        const pair = await openPair(browser, servers, viewport);
        const times = [[], []];
        const frames = [[], []];
        for (let round = 0; round < rounds; ++round) {
            for (const i of round % 2 === 0 ? [0, 1] : [1, 0]) {
                const [seconds, drawn] = await pair.measure(i, TURN_MS);
                times[i].push(seconds * 10000 / TURN_MS);
                frames[i].push(drawn * 10000 / TURN_MS);
            }
        }
        await pair.close();
        const ratios = times[0].map((t, i) => t / times[1][i]).sort((a, b) => a - b);
        const [least, middle, most] = [ratios[0], median(ratios), ratios[ratios.length - 1]].map(r => r.toFixed(3));
        console.log(`| ${scale} | ${median(times[0]).toFixed(2)} | ${median(times[1]).toFixed(2)} | ` +
                    `${least} / ${middle} / ${most} | ${median(frames[0]).toFixed(0)}, ${median(frames[1]).toFixed(0)} |`);
    }
}

async function main() {
    const pageDir = path.resolve(process.argv[2] || 'build-web/page');
    const otherDir = process.argv[3] ? path.resolve(process.argv[3]) : null;
    const rounds = Number(process.argv[4] || 10);
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
        if (otherDir) {
            const other = await serve(otherDir);
            try {
                await compareTime(browser, [server, other], rounds);
            } finally {
                await other.close();
            }
        }
    } finally {
        await browser.close();
        await server.close();
    }
}

main().catch(error => {
    console.error(error.stack);
    process.exit(1);
});
