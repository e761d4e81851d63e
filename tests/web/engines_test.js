#!/usr/bin/env node
// The page in the two other browser engines that players use: Firefox (Debian's firefox-esr,
// driven by puppeteer-core through WebDriver BiDi) and WebKit, the engine of every browser on
// iPhone and iPad (Debian's WebKitWebDriver with its MiniBrowser, driven over plain WebDriver).
// Neither has WebGL here without a display, so each runs on a private Xvfb desktop with openbox.
// The same few cases in both; the Chromium suite covers the rest.
//
//     node engines_test.js PAGE_DIR OUT_DIR ENGINE CASE      (ENGINE: firefox or webkit)
'use strict';

const { spawn } = require('child_process');
const fs = require('fs');
const net = require('net');
const os = require('os');
const path = require('path');
const web = require('./browser_test.js');
const { blurredPixels } = require('./devices_test.js');

const { check, CELL, POLL } = web;

// The screen holds the largest window asked for: 2560 by 1500 for scale 4.
const SCREEN = [2700, 1700];
// Each size of the page's window with the scale the game must take there.
const SCALES = [[{ width: 1280, height: 800 }, 2], [{ width: 1600, height: 1100 }, 3],
                [{ width: 2560, height: 1500 }, 4]];

// ---- A private desktop: Xvfb on a free display, openbox on it ----

async function startDesktop(home) {
    const processes = [];
    const close = () => processes.reverse().forEach(child => child.exitCode === null && child.kill());
    const xvfb = spawn('Xvfb', ['-displayfd', '3', '-screen', '0', `${SCREEN[0]}x${SCREEN[1]}x24`, '-nolisten', 'tcp'],
                       { stdio: ['ignore', 'ignore', 'inherit', 'pipe'] });
    processes.push(xvfb);
    const display = await new Promise((resolve, reject) => {
        let text = '';
        xvfb.stdio[3].on('data', chunk => {
            text += chunk;
            if (text.endsWith('\n')) {
                resolve(':' + text.trim());
            }
        });
        xvfb.on('exit', status => reject(new web.Failure(`Xvfb ended with status ${status}`)));
    });
    const env = { ...process.env, DISPLAY: display, HOME: home, XDG_CONFIG_HOME: path.join(home, 'config'),
                  XDG_CACHE_HOME: path.join(home, 'cache'), XDG_DATA_HOME: path.join(home, 'data') };
    delete env.WAYLAND_DISPLAY;
    processes.push(spawn('openbox', ['--sm-disable'], { env, stdio: 'ignore' }));
    await waitFor('the window manager', async () => {
        const { stdout } = await run('xprop', ['-root', '_NET_SUPPORTING_WM_CHECK'], env);
        return stdout.includes('window id');
    });
    return { env, close };
}

function run(command, args, env) {
    return new Promise(resolve => {
        const child = spawn(command, args, { env, stdio: ['ignore', 'pipe', 'ignore'] });
        let stdout = '';
        child.stdout.on('data', chunk => { stdout += chunk; });
        child.on('exit', status => resolve({ status, stdout }));
    });
}

async function waitFor(what, test, ms = 20000) {
    const end = Date.now() + ms;
    while (Date.now() < end) {
        if (await test().catch(() => false)) {
            return;
        }
        await new Promise(resolve => setTimeout(resolve, 100));
    }
    throw new web.Failure(`${what} did not come within ${ms} ms`);
}

// ---- Firefox: puppeteer-core over WebDriver BiDi ----

async function launchFirefox(desktop) {
    const puppeteer = require('puppeteer-core');
    const browser = await puppeteer.launch({
        browser: 'firefox',
        executablePath: process.env.STAKMIR_FIREFOX || '/usr/bin/firefox-esr',
        headless: false,
        env: desktop.env,
        extraPrefsFirefox: { 'browser.shell.checkDefaultBrowser': false, 'app.update.enabled': false },
    });
    return { newPage: () => browser.newPage(), close: () => browser.close() };
}

// ---- WebKit: WebKitWebDriver over plain WebDriver ----

// WebDriver's codes of the keys the cases press, by puppeteer's names.
const WEBDRIVER_KEYS = { Shift: '\uE008', Escape: '\uE00C', PageDown: '\uE00F', ArrowLeft: '\uE012',
                         ArrowUp: '\uE013', ArrowRight: '\uE014', ArrowDown: '\uE015' };

// The part of puppeteer's page that the cases use, over WebDriver: scripts, keys, the window's
// size, screenshots. WebKitWebDriver reports no console: the page's errors are recorded in it.
class WebDriverPage {
    constructor(base, session) {
        Object.assign(this, { base, session });
        this.keyboard = { down: key => this.key('keyDown', key), up: key => this.key('keyUp', key) };
    }

    async command(method, where, body) {
        const response = await fetch(`${this.base}/session/${this.session}${where}`, {
            method, headers: { 'Content-Type': 'application/json' }, body: body && JSON.stringify(body) });
        const reply = await response.json();
        if (!response.ok) {
            throw new Error(`WebDriver ${method} ${where}: ${JSON.stringify(reply.value)}`);
        }
        return reply.value;
    }

    on() {}

    async goto(url) {
        await this.command('POST', '/url', { url });
    }

    // Runs `fn` (a function, or the text of an expression) in the page with JSON arguments.
    async evaluate(fn, ...args) {
        const call = typeof fn === 'function' ? `(${fn}).apply(null, ${JSON.stringify(args)})` : `(${fn})`;
        const reply = await this.command('POST', '/execute/async', {
            script: `const done = arguments[0];
                     Promise.resolve().then(() => ${call})
                         .then(value => done({ value: value === undefined ? null : value }),
                               error => done({ error: String(error && error.stack || error) }));`,
            args: [] });
        if (reply.error) {
            throw new Error(reply.error);
        }
        return reply.value;
    }

    async waitForFunction(fn, { timeout = POLL.timeout } = {}, ...args) {
        await waitFor('the page', async () => await this.evaluate(fn, ...args), timeout);
    }

    async key(type, name) {
        await this.command('POST', '/actions', {
            actions: [{ type: 'key', id: 'keys', actions: [{ type, value: WEBDRIVER_KEYS[name] || name }] }] });
    }

    // The window is sized so that the page gets the width and height asked for (the browser's
    // own toolbar takes the rest).
    async setViewport({ width, height }) {
        let inner = [0, 0];
        let outer = [width, height];
        for (let tries = 0; tries < 3; ++tries) {
            await this.command('POST', '/window/rect', { width: outer[0], height: outer[1] });
            await waitFor('the window\'s size', async () => {
                const now = await this.evaluate(() => [innerWidth, innerHeight]);
                const changed = now[0] !== inner[0] || now[1] !== inner[1];
                inner = now;
                return changed;
            }, 5000).catch(() => {});
            if (inner[0] === width && inner[1] === height) {
                return;
            }
            outer = [outer[0] + width - inner[0], outer[1] + height - inner[1]];
        }
        throw new web.Failure(`the page is ${inner[0]} by ${inner[1]}, not ${width} by ${height}`);
    }

    async screenshot({ path: file = null, encoding = null } = {}) {
        const base64 = await this.command('GET', '/screenshot');
        if (file) {
            fs.writeFileSync(file, Buffer.from(base64, 'base64'));
        }
        return encoding === 'base64' ? base64 : Buffer.from(base64, 'base64');
    }

    async close() {}
}

function freePort() {
    return new Promise(resolve => {
        const server = net.createServer().listen(0, '127.0.0.1', () => {
            const { port } = server.address();
            server.close(() => resolve(port));
        });
    });
}

function miniBrowser() {
    if (process.env.STAKMIR_MINIBROWSER) {
        return process.env.STAKMIR_MINIBROWSER;
    }
    for (const lib of ['/usr/lib', ...fs.readdirSync('/usr/lib').map(name => path.join('/usr/lib', name))]) {
        for (const version of ['webkit2gtk-4.1', 'webkit2gtk-4.0', 'webkitgtk-6.0']) {
            const file = path.join(lib, version, 'MiniBrowser');
            if (fs.existsSync(file)) {
                return file;
            }
        }
    }
    throw new web.Failure('no MiniBrowser (Debian\'s webkit2gtk-driver brings it)');
}

async function launchWebKit(desktop) {
    const port = await freePort();
    const driver = spawn('WebKitWebDriver', [`--port=${port}`], { env: desktop.env, stdio: 'ignore' });
    const base = `http://127.0.0.1:${port}`;
    await waitFor('WebKitWebDriver', async () => (await fetch(`${base}/status`)).ok);
    const reply = await fetch(`${base}/session`, {
        method: 'POST', headers: { 'Content-Type': 'application/json' },
        body: JSON.stringify({ capabilities: { alwaysMatch: {
            'webkitgtk:browserOptions': { binary: miniBrowser(), args: ['--automation'] } } } }) });
    const session = (await reply.json()).value.sessionId;
    check(session, 'WebKitWebDriver started no session');
    const page = new WebDriverPage(base, session);
    return {
        newPage: async () => page,
        close: async () => {
            await fetch(`${base}/session/${session}`, { method: 'DELETE' }).catch(() => {});
            driver.kill();
        },
    };
}

// ---- The page ----

// Installed before the page's own scripts, by the server: the held animation frames and the
// copies of each frame (browser_test.js), and a record of the page's errors.
function hooksScript() {
    const recorder = () => {
        window.stakmirErrors = [];
        window.addEventListener('error', event => window.stakmirErrors.push(String(event.message)));
        const error = console.error.bind(console);
        console.error = (...args) => {
            window.stakmirErrors.push(args.join(' '));
            error(...args);
        };
    };
    return `<script>(${web.pageHooks})(true, false, 0);\n(${recorder})();</script>`;
}

// The page opened with the focus, as a player finds it: a window manager gives a new window the
// focus when it gets round to it, or is asked to.
async function openGame(engine, desktop, server, outDir, viewport = SCALES[0][0]) {
    const page = await engine.newPage();
    await page.setViewport(viewport);
    await page.goto(server.url + 'hooked.html');
    await page.waitForFunction(() => window.stakmirTest && window.stakmirTest.callbacks.length > 0 ||
                                     !document.getElementById('note').hidden, POLL);
    const focused = () => page.evaluate(() => document.hasFocus());
    await waitFor('the focus', focused, 3000).catch(async () => {
        await run('xdotool', ['search', '--onlyvisible', '--name', 'Stakmir', 'windowfocus'], desktop.env);
        await waitFor('the focus on the page\'s window', focused);
    });
    return new web.Game(engine, server, outDir, page);
}

async function checkNoErrors(game) {
    const errors = await game.page.evaluate(() => window.stakmirErrors);
    check(errors.length === 0, `the page reported errors: ${errors.join(' | ')}`);
}

// Every game pixel is a sharp block of scale by scale pixels of its colour on the screen.
async function checkSharp(game, scale, what) {
    const shown = await game.page.evaluate(() => [Number(document.documentElement.dataset.scale), devicePixelRatio,
                                                  document.getElementById('canvas').getBoundingClientRect().toJSON(),
                                                  Module.stakmirLayout.parts]);
    const [got, ratio, box, parts] = shown;
    check(got === scale, `${what}: the game is at scale ${got}, not ${scale}`);
    await game.page.evaluate(() => window.stakmirTest.shown());
    const shot = await game.page.screenshot({ encoding: 'base64' });
    fs.writeFileSync(path.join(game.outDir, `${what}.png`), Buffer.from(shot, 'base64'));
    const blurred = await blurredPixels(game, shot, parts, [Math.round(box.x * ratio), Math.round(box.y * ratio)]);
    check(blurred === 0, `${what}: ${blurred} pixels are not their game pixel's colour`);
}

// ---- The cases ----

// The welcome frame matches the desktop's reference picture, within the Chromium tests'
// tolerance for the way this browser decodes the backgrounds.
async function caseWelcome(game) {
    await game.step(60);
    const s3tc = await game.page.evaluate(() => GL.currentContext.compressionExt !== null);
    await web.compareWithReference(game, 'wait-start-band0', s3tc ? web.SMALL_S3TC : web.SMALL_CPU_DECODED,
                                   s3tc ? 's3tc' : 'cpu-decoded');
    await checkNoErrors(game);
}

// The keys start the game, move, turn, speed up and slam the piece.
async function casePlay(game) {
    await web.startGame(game);
    let piece = await web.pieceInside(game, 2 * CELL + 5);
    while (web.isSquare(piece)) {
        await game.press('PageDown');
        await web.slammed(game, piece, 'PageDown');
        piece = await web.pieceInside(game, 2 * CELL + 5);
    }
    await web.checkShift(game, 'ArrowLeft', -CELL);
    await web.checkShift(game, 'ArrowRight', CELL);
    await web.checkTurn(game, 'ArrowUp');
    await web.checkFaster(game, 'ArrowDown');
    await web.checkSlam(game, 'PageDown');
    await checkNoErrors(game);
}

// At scales 2, 3 and 4 every game pixel is a sharp block; a window resized while the game
// waits (no frame drawn since) shows the same frame again at once at its new scale, also at
// scale 1, where the frames then go straight onto the canvas, until the window grows again and
// the next frame is drawn for the enlargement.
async function caseSharp(game) {
    await game.step(60);
    for (const [viewport, scale] of [...SCALES, [{ width: 800, height: 600 }, 1], SCALES[0]]) {
        const fromOne = Number(await game.page.evaluate(() => document.documentElement.dataset.scale)) === 1;
        await game.page.setViewport(viewport);
        await game.page.waitForFunction(want => Number(document.documentElement.dataset.scale) === want, POLL, scale);
        if (fromOne) {
            await game.step();
        }
        await checkSharp(game, scale, `scale-${scale}`);
    }
}

// Lost during play, the game draws nothing; given back, its textures are made again and it shows
// the very frame it showed before.
async function caseContext(game) {
    await web.startGame(game);
    await web.pieceInside(game);
    const before = await game.grab('before-loss');
    const { created } = await game.note();
    await game.page.evaluate(() => {
        window.loser = document.getElementById('canvas').getContext('webgl').getExtension('WEBGL_lose_context');
        window.loser.loseContext();
    });
    await game.page.waitForFunction(() => document.getElementById('canvas').getContext('webgl').isContextLost(), POLL);
    await game.step(10);
    await game.page.evaluate(() => window.loser.restoreContext());
    await game.page.waitForFunction((made, all) => window.stakmirTest.createdTextures === made + all, POLL, created,
                                    web.TEXTURES);
    const after = await game.grab('restored');
    check(after.difference(before) === 0, `the restored frame differs from the one before the loss by ` +
          `${after.difference(before).toFixed(2)} a channel`);
    await checkSharp(game, SCALES[0][1], 'restored-on-screen');
    await checkNoErrors(game);
}

// A quit key ends the game with the note in the canvas's place.
async function caseQuit(game) {
    await game.step(5);
    await game.press('Escape');
    await game.step();
    await web.checkQuitNote(game, 'Escape');
    await game.screenshot('quit-note');
}

const CASES = { welcome: caseWelcome, play: casePlay, sharp: caseSharp, context: caseContext, quit: caseQuit };
const ENGINES = { firefox: launchFirefox, webkit: launchWebKit };

async function main() {
    const [pageDir, workDir, engineName, name] = process.argv.slice(2);
    if (!ENGINES[engineName] || !CASES[name]) {
        console.error(`usage: ${path.basename(process.argv[1])} PAGE_DIR OUT_DIR ENGINE CASE ` +
                      `(ENGINE: ${Object.keys(ENGINES).join(' or ')}; CASE: ${Object.keys(CASES).join(', ')})`);
        return 2;
    }
    const outDir = path.join(path.resolve(workDir), `${engineName}-${name}`);
    fs.rmSync(outDir, { recursive: true, force: true });
    fs.mkdirSync(outDir, { recursive: true });
    const home = fs.mkdtempSync(path.join(os.tmpdir(), `stakmir-${engineName}-`));
    const server = await web.serve(path.resolve(pageDir));
    server.hooks = hooksScript();
    let desktop = null;
    let engine = null;
    try {
        desktop = await startDesktop(home);
        engine = await ENGINES[engineName](desktop);
        const game = await openGame(engine, desktop, server, outDir);
        await CASES[name](game);
        console.log(`${engineName} ${name}: passed`);
        return 0;
    } catch (error) {
        console.error(`${engineName} ${name}: ${error instanceof web.Failure ? error.message : error.stack}`);
        return 1;
    } finally {
        await engine?.close().catch(() => {});
        desktop?.close();
        await server.close();
        fs.rmSync(home, { recursive: true, force: true, maxRetries: 5 });
    }
}

main().then(code => process.exit(code));
