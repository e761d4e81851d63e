#!/usr/bin/env node
// The page as released: the page zip, unpacked into a fresh folder, holds exactly the files of the
// build's page folder and a program of the build's version; served from that folder alone it
// plays in Chromium: the intro ends in the help screen, a key starts the game, a piece falls, and
// Escape ends it with the play-again note.
//
//     node page_zip_test.js ZIP PAGE_DIR OUT_DIR VERSION
'use strict';

const childProcess = require('child_process');
const fs = require('fs');
const path = require('path');
const { serve, launch, pageHooks } = require('./browser_test.js');

const POLL = { polling: 50, timeout: 20000 };

class Failure extends Error {}

function check(condition, message) {
    if (!condition) {
        throw new Failure(message);
    }
}

// The files below `dir`, by their path relative to it.
function filesBelow(dir, prefix = '') {
    return fs.readdirSync(dir, { withFileTypes: true }).flatMap(entry => entry.isDirectory()
        ? filesBelow(path.join(dir, entry.name), prefix + entry.name + '/')
        : [prefix + entry.name]).sort();
}

function checkUnpacked(zip, pageDir, unpacked, version) {
    check(path.basename(zip) === `stakmir-${version}-web.zip`, `the page zip is named ${path.basename(zip)}`);
    fs.rmSync(unpacked, { recursive: true, force: true });
    childProcess.execFileSync('python3', ['-m', 'zipfile', '-e', zip, unpacked]);
    const have = filesBelow(unpacked);
    const want = filesBelow(pageDir);
    check(JSON.stringify(have) === JSON.stringify(want), `the zip holds ${have}, the page folder ${want}`);
    for (const name of want) {
        check(fs.readFileSync(path.join(unpacked, name)).equals(fs.readFileSync(path.join(pageDir, name))),
              `${name} in the zip differs from the page folder's`);
    }
    check(fs.readFileSync(path.join(unpacked, 'stakmir.wasm')).includes(`Welcome to Stakmir ${version}\n`),
          `the program's welcome text does not name version ${version}`);
}

// Runs `count` frames, then reads the sum of the colour channels of each row of the well (x 300
// to 450, y 10 to 310 from the top) in the same task, before the browser shows the frame and
// may drop the canvas's drawing.
async function stepAndRead(page, count) {
    return page.evaluate(n => {
        window.stakmirTest.step(n, 17);
        const copy = document.createElement('canvas');
        copy.width = 480;
        copy.height = 320;
        const context = copy.getContext('2d');
        context.drawImage(document.getElementById('canvas'), 0, 0);
        const data = context.getImageData(300, 10, 150, 300).data;
        const rows = [];
        for (let y = 0; y < 300; ++y) {
            let sum = 0;
            for (let i = y * 600; i < (y + 1) * 600; i += 4) {
                sum += data[i] + data[i + 1] + data[i + 2];
            }
            rows.push(sum);
        }
        return rows;
    }, count);
}

function rowsDiffering(a, b) {
    return a.filter((value, y) => Math.abs(value - b[y]) > 150).length;
}

async function play(server, outDir) {
    const browser = await launch();
    try {
        const page = await browser.newPage();
        const log = [];
        page.on('console', message => log.push(message.text()));
        page.on('pageerror', error => log.push('page error: ' + error.message));
        await page.evaluateOnNewDocument(pageHooks, true, false);
        await page.setViewport({ width: 800, height: 600 });
        await page.goto(server.url, { waitUntil: 'load' });
        await page.waitForFunction(() => window.stakmirTest.callbacks.length > 0, POLL).catch(() => {
            throw new Failure(`the page did not start the game: ${log.join(' | ')}`);
        });
        const help = await stepAndRead(page, 60);  // the intro, 50 ticks, into the help screen
        check(rowsDiffering(help, await stepAndRead(page, 30)) === 0, 'the help screen is not still');
        await page.keyboard.press('Shift');  // any key's release starts
        const falling = await stepAndRead(page, 90);
        check(rowsDiffering(help, falling) > 0, 'no piece came into the well');
        check(rowsDiffering(falling, await stepAndRead(page, 60)) > 0, 'the piece did not fall');
        await page.screenshot({ path: path.join(outDir, 'playing.png') });
        await page.keyboard.press('Escape');
        await stepAndRead(page, 2);
        const quit = await page.evaluate(() => !document.getElementById('note').hidden &&
                                               document.getElementById('canvas').hidden);
        check(quit, 'Escape did not end the game with the note');
        const missing = server.requests.filter(url => url !== '/' && !fs.existsSync(path.join(server.dir, url)));
        check(missing.length === 0, `the page asked for files the zip does not hold: ${missing}`);
    } finally {
        await browser.close();
    }
}

async function main() {
    const [zip, pageDir, workDir, version] = process.argv.slice(2);
    if (!version) {
        console.error('usage: page_zip_test.js ZIP PAGE_DIR OUT_DIR VERSION');
        return 2;
    }
    const outDir = path.resolve(workDir);
    const unpacked = path.join(outDir, 'unpacked');
    fs.mkdirSync(outDir, { recursive: true });
    try {
        checkUnpacked(path.resolve(zip), path.resolve(pageDir), unpacked, version);
        const server = await serve(unpacked);
        server.dir = unpacked;
        try {
            await play(server, outDir);
        } finally {
            await server.close();
        }
        console.log('page zip: passed');
        return 0;
    } catch (error) {
        console.error(`page zip: ${error instanceof Failure ? error.message : error.stack}`);
        return 1;
    }
}

main().then(code => process.exit(code));
