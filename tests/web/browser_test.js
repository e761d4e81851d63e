#!/usr/bin/env node
// The web build as a player meets it: the page served on 127.0.0.1 and played in Debian's
// Chromium (headless, WebGL by SwiftShader), driven through puppeteer-core with real key events.
//
//     node browser_test.js PAGE_DIR OUT_DIR CASE
//
// Most cases hold the page's animation frames and hand them out one by one, 17 ms apart, so
// that every frame runs exactly one tick and a frame can be compared with the desktop's
// reference pictures; the keys, the focus and the drawing are the browser's own. Screenshots of
// each case are kept in OUT_DIR/CASE/ for a person to look at.
'use strict';

const fs = require('fs');
const http = require('http');
const os = require('os');
const path = require('path');
const puppeteer = require('puppeteer-core');

const SOURCE_DIR = path.resolve(__dirname, '..', '..');
const W = 480;
const H = 320;
const TICK_MS = 17;  // one tick per frame handed out
// Screen parts in canvas pixels (left, top, width, height), rows counted from the top.
const WELL = [300, 10, 150, 300];
const HELP_BOX = [35, 125, 135, 115];
const QUESTION_BOX = [40, 250, 220, 50];
const SCORE_TEXT = [30, 105, 150, 50];
const CELL = 15;
const TEXTURES = 10;  // the nine pictures' and the one the frame is drawn into

// Waiting for a page condition polls by time: the page's animation frames may be held.
const POLL = { polling: 50, timeout: 20000 };

class Failure extends Error {}

function check(condition, message) {
    if (!condition) {
        throw new Failure(message);
    }
}

// ---- The server: the page folder, the reference pictures, and a page that starts short of memory ----

const TYPES = { '.html': 'text/html', '.js': 'text/javascript', '.wasm': 'application/wasm', '.png': 'image/png',
                '.webmanifest': 'application/manifest+json' };

// The page with all but about `spare` bytes of the program's heap taken before its main runs:
// the heap is filled with ever smaller blocks; the smallest are given back, and what they free
// beyond `spare` is taken again.
function lowMemoryPage(index, spare) {
    const script = `<script>var Module = { onRuntimeInitialized: function () {
        var blocks = [];
        for (var size = 1 << 20; size >= 16;) {
          var block = Module._malloc(size);
          if (block) blocks.push([block, size]); else size >>= 1;
        }
        var freed = 0;
        while (freed < ${spare} && blocks.length > 0) {
          var last = blocks.pop();
          Module._free(last[0]);
          freed += last[1];
        }
        Module._malloc(freed - ${spare});
      } };</script>`;
    return index.replace('<script src="stakmir-page.js"', script + '\n<script src="stakmir-page.js"');
}

function serve(pageDir) {
    const requests = [];
    const server = http.createServer((request, response) => {
        const url = new URL(request.url, 'http://127.0.0.1');
        requests.push(url.pathname);
        let file = path.join(pageDir, path.normalize(url.pathname));
        let body = null;
        if (url.pathname.startsWith('/reference/')) {
            file = path.join(SOURCE_DIR, 'tests', 'render', 'reference', path.basename(url.pathname));
        } else if (url.pathname === '/low-memory.html') {
            file = path.join(pageDir, 'index.html');
            body = lowMemoryPage(fs.readFileSync(file, 'utf8'), 48 * 1024);
        } else if (url.pathname === '/hooked.html') {
            // The page with the script in `hooks` run before its own, for a browser that cannot
            // be told to run one.
            file = path.join(pageDir, 'index.html');
            body = fs.readFileSync(file, 'utf8').replace('<script src="stakmir-page.js"',
                                                         site.hooks + '\n<script src="stakmir-page.js"');
        } else if (url.pathname === '/framed.html') {
            // The game inside another page whose own field has the focus.
            file = path.join(pageDir, 'index.html');
            body = '<!doctype html><title>Framed</title><input id="field" autofocus>' +
                   '<iframe src="/" width="760" height="520"></iframe>';
        } else if (url.pathname === '/') {
            file = path.join(pageDir, 'index.html');
        }
        if (body === null && (!file.startsWith(pageDir) && !url.pathname.startsWith('/reference/') ||
                              !fs.existsSync(file) || !fs.statSync(file).isFile())) {
            response.writeHead(404).end();
            return;
        }
        response.writeHead(200, { 'Content-Type': TYPES[path.extname(file)] || 'application/octet-stream' });
        response.end(body !== null ? body : fs.readFileSync(file));
    });
    const site = {
        pageDir,
        requests,
        hooks: '',
        close: () => new Promise(done => server.close(done)),
    };
    return new Promise(resolve => server.listen(0, '127.0.0.1', () => {
        site.url = `http://127.0.0.1:${server.address().port}/`;
        resolve(site);
    }));
}

// ---- The browser ----

// Debian's Chromium: root needs --no-sandbox; the machine's closed network needs Chromium's
// own background connections off; WebGL comes from SwiftShader, asked for explicitly.
const CHROMIUM_ARGS = ['--no-sandbox', '--disable-quic', '--no-first-run', '--disable-background-networking',
                       '--disable-component-update', '--disable-sync', '--enable-unsafe-swiftshader'];

async function launch(extraArgs = []) {
    const profile = fs.mkdtempSync(path.join(os.tmpdir(), 'stakmir-chromium-'));
    const browser = await puppeteer.launch({
        executablePath: process.env.STAKMIR_CHROMIUM || '/usr/bin/chromium',
        headless: true,
        userDataDir: profile,
        args: [...CHROMIUM_ARGS, ...extraArgs],
    });
    const close = browser.close.bind(browser);
    browser.close = async () => {
        await close();
        fs.rmSync(profile, { recursive: true, force: true });
    };
    return browser;
}

// Installed in the page before its own scripts: animation frames are held until the test hands
// them out, deleted textures are counted, S3TC compression can be hidden from the program, and
// the sound is read where it leaves the page.
function pageHooks(holdFrames, hideS3tc, date) {
    const hooks = { callbacks: [], now: 0, deletedTextures: 0, held: holdFrames };
    if (date) {
        Date.now = () => date;
    }
    window.stakmirTest = hooks;
    hooks.frames = 0;
    hooks.clears = 0;
    // Resolves once the browser has shown the page again (after two of its own frames).
    const request = window.requestAnimationFrame.bind(window);
    hooks.shown = () => new Promise(resolve => request(() => request(() => resolve(true))));
    if (holdFrames) {
        // The page's clock stands still between the frames handed out, so that the program's
        // clock, read at start, and the frames' times are in step.
        hooks.now = performance.now();
        performance.now = () => hooks.now;
        window.requestAnimationFrame = callback => hooks.callbacks.push(callback);
    } else {
        window.requestAnimationFrame = callback => request(time => {
            hooks.frames += 1;
            callback(time);
        });
    }
    // The game clears once per frame it draws: into a texture of its own, through a framebuffer,
    // or straight onto the canvas where the canvas is the frame's size. Each frame is copied from
    // there as soon as the code that draws it is done, for the tests to read.
    hooks.picture = document.createElement('canvas');
    hooks.picture.width = 480;
    hooks.picture.height = 320;
    hooks.pictureContext = hooks.picture.getContext('2d', { willReadFrequently: true });
    const frame = hooks.pictureContext.createImageData(480, 320);
    const rows = new Uint8Array(480 * 320 * 4);
    const copy = (gl, framebuffer) => {
        if (!framebuffer) {
            hooks.pictureContext.drawImage(gl.canvas, 0, 0);
            return;
        }
        const bound = gl.getParameter(gl.FRAMEBUFFER_BINDING);
        bind.call(gl, gl.FRAMEBUFFER, framebuffer);
        gl.readPixels(0, 0, 480, 320, gl.RGBA, gl.UNSIGNED_BYTE, rows);
        bind.call(gl, gl.FRAMEBUFFER, bound);
        for (let y = 0; y < 320; ++y) {  // OpenGL's rows run from the bottom
            frame.data.set(rows.subarray((319 - y) * 1920, (320 - y) * 1920), y * 1920);
        }
        hooks.pictureContext.putImageData(frame, 0, 0);
    };
    const bind = WebGLRenderingContext.prototype.bindFramebuffer;
    WebGLRenderingContext.prototype.bindFramebuffer = function (target, framebuffer) {
        this.stakmirFramebuffer = framebuffer;
        return bind.call(this, target, framebuffer);
    };
    const clear = WebGLRenderingContext.prototype.clear;
    WebGLRenderingContext.prototype.clear = function (mask) {
        const framebuffer = this.stakmirFramebuffer || null;
        // The present step's clear around the parts of a frame shown in parts is not the game's.
        if (!framebuffer && (this.drawingBufferWidth !== 480 || this.drawingBufferHeight !== 320)) {
            return clear.call(this, mask);
        }
        hooks.clears += 1;
        if (!hooks.copying) {
            hooks.copying = true;
            queueMicrotask(() => {
                hooks.copying = false;
                copy(this, framebuffer);
            });
        }
        return clear.call(this, mask);
    };
    // Runs `count` frames, each `ms` after the last; returns how many callbacks wait for the next.
    hooks.step = (count, ms) => {
        for (let i = 0; i < count; ++i) {
            hooks.now = (hooks.held ? hooks.now : performance.now()) + ms;
            const callbacks = hooks.callbacks;
            hooks.callbacks = [];
            callbacks.forEach(callback => callback(hooks.now));
        }
        return hooks.callbacks.length;
    };
    if (hideS3tc) {
        const extensions = WebGLRenderingContext.prototype.getSupportedExtensions;
        const extension = WebGLRenderingContext.prototype.getExtension;
        WebGLRenderingContext.prototype.getSupportedExtensions = function () {
            return extensions.call(this).filter(name => !name.includes('s3tc'));
        };
        WebGLRenderingContext.prototype.getExtension = function (name) {
            return name.includes('s3tc') ? null : extension.call(this, name);
        };
    }
    // Whatever is connected to an audio context's destination is also fed to an analyser, which
    // keeps its last 0.68 s (at 48 kHz); `peak` is the largest of those samples (full scale 1),
    // `loudest` the largest peak since the test last set it to 0, read every 50 ms.
    hooks.analysers = [];
    hooks.loudest = 0;
    const connect = AudioNode.prototype.connect;
    AudioNode.prototype.connect = function (target, ...rest) {
        if (target instanceof AudioDestinationNode) {
            const analyser = this.context.createAnalyser();
            analyser.fftSize = 32768;
            connect.call(this, analyser);
            hooks.analysers.push(analyser);
        }
        return connect.call(this, target, ...rest);
    };
    hooks.peak = () => Math.max(0, ...hooks.analysers.map(analyser => {
        const samples = new Float32Array(analyser.fftSize);
        analyser.getFloatTimeDomainData(samples);
        return samples.reduce((peak, sample) => Math.max(peak, Math.abs(sample)), 0);
    }));
    setInterval(() => {
        hooks.loudest = Math.max(hooks.loudest, hooks.peak());
    }, 50);
    const create = WebGLRenderingContext.prototype.createTexture;
    const remove = WebGLRenderingContext.prototype.deleteTexture;
    hooks.createdTextures = 0;
    WebGLRenderingContext.prototype.createTexture = function () {
        hooks.createdTextures += 1;
        return create.call(this);
    };
    WebGLRenderingContext.prototype.deleteTexture = function (texture) {
        hooks.deletedTextures += 1;
        return remove.call(this, texture);
    };
}

class Game {
    constructor(browser, server, outDir, page) {
        Object.assign(this, { browser, server, outDir, page, shots: 0, log: [], requests: [] });
        page.on('request', request => this.requests.push(request.url()));
        page.on('console', message => this.log.push(message.text()));
        page.on('pageerror', error => this.log.push('page error: ' + error.message));
    }

    // `date` fixes the clock the random pieces are seeded from; `viewport` is puppeteer's.
    // `script` runs in the page before its own scripts.
    static async open(browser, server, outDir, { holdFrames = true, hideS3tc = false, file = '', date = 0,
                                                 viewport = { width: 800, height: 600 }, script = null } = {}) {
        const page = await browser.newPage();
        const game = new Game(browser, server, outDir, page);
        await page.evaluateOnNewDocument(pageHooks, holdFrames, hideS3tc, date);
        if (script) {
            await page.evaluateOnNewDocument(script);
        }
        await page.setViewport(viewport);
        await page.goto(server.url + file, { waitUntil: 'load' });
        await page.waitForFunction(() => window.stakmirTest.callbacks.length > 0 || !window.stakmirTest.held ||
                                         !document.getElementById('note').hidden, POLL);
        return game;
    }

    // Hands out `count` frames: with held frames, `count` ticks.
    async step(count = 1, ms = TICK_MS) {
        return this.page.evaluate((n, each) => window.stakmirTest.step(n, each), count, ms);
    }

    async grab(name = null) {
        const base64 = await this.page.evaluate(() => {
            const data = window.stakmirTest.pictureContext.getImageData(0, 0, 480, 320).data;
            let text = '';
            for (let i = 0; i < data.length; i += 0x8000) {
                text += String.fromCharCode.apply(null, data.subarray(i, i + 0x8000));
            }
            return btoa(text);
        });
        if (name) {
            await this.save(name);
        }
        return new Picture(Buffer.from(base64, 'base64'));
    }

    // Keeps the canvas as OUT_DIR/NN-name.png.
    async save(name) {
        const url = await this.page.evaluate(() => window.stakmirTest.picture.toDataURL('image/png'));
        this.shots += 1;
        const file = path.join(this.outDir, `${String(this.shots).padStart(2, '0')}-${name}.png`);
        fs.writeFileSync(file, Buffer.from(url.split(',')[1], 'base64'));
    }

    async screenshot(name) {
        await this.page.screenshot({ path: path.join(this.outDir, `page-${name}.png`) });
    }

    // Keys by puppeteer's name ('ArrowLeft', 'Numpad4': the keypad with NumLock off), or
    // 'Numpad4 on': the keypad key with NumLock on, whose code (VK_NUMPAD0 + digit) only a
    // key event that names it sends.
    async down(key, repeat = false) {
        if (!key.endsWith(' on')) {
            await this.page.keyboard.down(key);
            return;
        }
        await (await this.cdp()).send('Input.dispatchKeyEvent', { type: 'keyDown', autoRepeat: repeat, ...numLockOn(key) });
    }

    async up(key) {
        if (!key.endsWith(' on')) {
            await this.page.keyboard.up(key);
            return;
        }
        await (await this.cdp()).send('Input.dispatchKeyEvent', { type: 'keyUp', ...numLockOn(key) });
    }

    async press(key) {
        await this.down(key);
        await this.up(key);
    }

    async cdp() {
        if (!this.session) {
            this.session = await this.page.createCDPSession();
        }
        return this.session;
    }

    async note() {
        return this.page.evaluate(() => {
            const note = document.getElementById('note');
            const shown = element => getComputedStyle(element).display !== 'none';
            // The note takes exactly the place of the canvas: the game box less its border.
            const box = document.getElementById('screen');
            const place = note.getBoundingClientRect();
            const fits = place.width === box.clientWidth && place.height === box.clientHeight;
            return { shown: shown(note), fits, text: note.textContent, kind: note.className,
                     canvasShown: shown(document.getElementById('canvas')),
                     waiting: window.stakmirTest.callbacks.length, created: window.stakmirTest.createdTextures,
                     deleted: window.stakmirTest.deletedTextures };
        });
    }
}

function numLockOn(key) {
    const digit = key.match(/^Numpad(\d) on$/)[1];
    return { windowsVirtualKeyCode: 0x60 + Number(digit), code: `Numpad${digit}`, key: digit, location: 3 };
}

// ---- Reading the picture ----

class Picture {
    constructor(rgba) {
        this.rgba = rgba;
    }

    pixel(x, y) {
        const i = (y * W + x) * 4;
        return [this.rgba[i], this.rgba[i + 1], this.rgba[i + 2]];
    }

    fraction([left, top, width, height], test) {
        let count = 0;
        for (let y = top; y < top + height; ++y) {
            for (let x = left; x < left + width; ++x) {
                count += test(this.pixel(x, y)) ? 1 : 0;
            }
        }
        return count / (width * height);
    }

    brightness() {
        let sum = 0;
        for (let i = 0; i < this.rgba.length; i += 4) {
            sum += this.rgba[i] + this.rgba[i + 1] + this.rgba[i + 2];
        }
        return sum / (3 * W * H);
    }

    // Mean difference per channel over a part of the picture.
    difference(other, [left, top, width, height] = [0, 0, W, H]) {
        let sum = 0;
        for (let y = top; y < top + height; ++y) {
            for (let x = left; x < left + width; ++x) {
                const a = this.pixel(x, y);
                const b = other.pixel(x, y);
                sum += Math.abs(a[0] - b[0]) + Math.abs(a[1] - b[1]) + Math.abs(a[2] - b[2]);
            }
        }
        return sum / (3 * width * height);
    }
}

const bright = p => Math.min(...p) > 200;
const darkText = p => Math.max(...p) < 110;
const helpShown = image => image.fraction(HELP_BOX, bright) > 0.6 && image.fraction(HELP_BOX, darkText) > 0.02;
// The well's backdrop fills its place once the intro is over.
const wellShown = image => image.fraction([WELL[0] + 5, WELL[1] + 5, WELL[2] - 10, WELL[3] - 10],
                                          p => p[2] > p[0] + 40) > 0.5;
const questionShown = image => image.fraction(QUESTION_BOX, p => Math.min(...p) > 170) > 0.85;

// Runs of well rows that differ from the backdrop, top first: [first y, last y, left x, right x,
// pixels]. Gaps of up to three rows (the rims of two pieces' cells meeting) do not split a run.
function rowGroups(image) {
    const [left, top, width, height] = WELL;
    const groups = [];
    for (let y = top; y < top + height; ++y) {
        const pixels = [];
        for (let x = left; x < left + width; ++x) {
            pixels.push(image.pixel(x, y));
        }
        // The backdrop is what most of the row shows: the median of each channel.
        const backdrop = [0, 1, 2].map(c => pixels.map(p => p[c]).sort((a, b) => a - b)[pixels.length >> 1]);
        const xs = [];
        pixels.forEach((p, i) => {
            if (Math.abs(p[0] - backdrop[0]) + Math.abs(p[1] - backdrop[1]) + Math.abs(p[2] - backdrop[2]) > 30) {
                xs.push(left + i);
            }
        });
        if (xs.length < 3) {
            continue;
        }
        const last = groups[groups.length - 1];
        if (last && y - last[1] <= 4) {
            groups[groups.length - 1] = [last[0], y, Math.min(last[2], ...xs), Math.max(last[3], ...xs),
                                         last[4] + xs.length];
        } else {
            groups.push([y, y, Math.min(...xs), Math.max(...xs), xs.length]);
        }
    }
    return groups;
}

const onFloor = group => group[1] >= WELL[1] + WELL[3] - 3;

// The topmost group of the well when it is free of the floor: the falling piece.
function fallingPiece(image) {
    const groups = rowGroups(image);
    return groups.length > 0 && !onFloor(groups[0]) ? groups[0] : null;
}

const isSquare = piece => Math.abs((piece[3] - piece[2]) - (piece[1] - piece[0])) < 4;

// Steps frames until `test` holds for the picture, which is returned.
async function stepUntil(game, what, test, frames = 300) {
    for (let i = 0; i < frames; ++i) {
        const image = await game.grab();
        const result = await test(image);
        if (result) {
            return result;
        }
        await game.step();
    }
    throw new Failure(`${what} did not happen within ${frames} frames`);
}

// ---- Comparison with the desktop's reference pictures ----

// A frame matches when no channel differs by more than `small` levels except on at most
// MAX_FAR pixels, as in the desktop's own frame test: the references are drawn by Mesa, the page
// by SwiftShader, and two rasterisers may round a few edge pixels differently. With the
// backgrounds decoded on the processor, as for the references, `small` is 2. When the driver
// decodes the DXT1 blocks (S3TC), it widens the 5- and 6-bit colours by repeating their top
// bits where the game's decoder shifts them (bits 0 to 2 zero), so its backgrounds are up to
// 7 levels brighter, and the third-way colours may round one more: `small` is 8 there.
const SMALL_CPU_DECODED = 2;
const SMALL_S3TC = 8;
const MAX_FAR = W * H / 1000;

async function compareWithReference(game, name, small, label) {
    const result = await game.page.evaluate(async (reference, small) => {
        const image = new Image();
        image.src = reference;
        await image.decode();
        const read = source => {
            const copy = document.createElement('canvas');
            copy.width = 480;
            copy.height = 320;
            const context = copy.getContext('2d', { willReadFrequently: true });
            context.drawImage(source, 0, 0);
            return [copy, context, context.getImageData(0, 0, 480, 320)];
        };
        const [, , want] = read(image);
        const [copy, context, got] = read(window.stakmirTest.picture);
        let far = 0;
        let largest = 0;
        const diff = context.createImageData(480, 320);
        for (let i = 0; i < got.data.length; i += 4) {
            let d = 0;
            for (let k = 0; k < 3; ++k) {
                d = Math.max(d, Math.abs(got.data[i + k] - want.data[i + k]));
            }
            largest = Math.max(largest, d);
            far += d > small ? 1 : 0;
            diff.data[i] = diff.data[i + 1] = diff.data[i + 2] = d === 0 ? 0 : Math.min(255, 64 + 4 * d);
            diff.data[i + 3] = 255;
        }
        context.putImageData(diff, 0, 0);
        return { far, largest, diff: copy.toDataURL('image/png') };
    }, `${game.server.url}reference/${name}.png`, small);
    await game.save(`${label}-${name}`);
    console.log(`${label} ${name}: largest difference ${result.largest}, ${result.far} pixels over ${small}`);
    if (result.far > MAX_FAR) {
        fs.writeFileSync(path.join(game.outDir, `${label}-${name}-diff.png`),
                         Buffer.from(result.diff.split(',')[1], 'base64'));
    }
    check(result.far <= MAX_FAR, `${name}: ${result.far} pixels differ by more than ${small} levels from ` +
          `tests/render/reference/${name}.png (largest ${result.largest}); see ${label}-${name}-diff.png`);
    return result;
}

// ---- The cases ----

// The intro's frames at known ticks and the help screen match the desktop's pictures, with the
// backgrounds decoded on the processor and with the browser's S3TC. The first comes after a
// frame 200 ms late, which runs four ticks and no more, so that a stall never fast-forwards the
// game.
async function caseReferenceFrames(browser, server, outDir) {
    for (const [hideS3tc, small] of [[true, SMALL_CPU_DECODED], [false, SMALL_S3TC]]) {
        const game = await Game.open(browser, server, outDir, { hideS3tc });
        game.shots = hideS3tc ? 0 : 10;
        const s3tc = await game.page.evaluate(() => GL.currentContext.compressionExt !== null);
        check(s3tc !== hideS3tc, `S3TC ${s3tc ? 'offered' : 'missing'} ${hideS3tc ? 'though hidden' : ''}`);
        let ticks = 0;
        for (const [name, at] of [['intro-13-band0', 13], ['intro-25-band0', 25], ['intro-38-band0', 38],
                                  ['intro-50-band0', 50], ['wait-start-band0', 60]]) {
            if (ticks === 0) {
                await game.step(at - 4);
                await game.step(1, 200);
            } else {
                await game.step(at - ticks);  // one tick per frame: the intro ends after tick 50
            }
            ticks = at;
            await compareWithReference(game, name, small, hideS3tc ? 'cpu-decoded' : 's3tc');
        }
        await game.page.close();
    }
}


// Starts the game from the help screen with the release of a key the game has no use for.
async function startGame(game) {
    await game.step(60);
    check(helpShown(await game.grab('help')), 'no help text at the end of the intro');
    await game.press('Shift');
    await game.step();
    check(!helpShown(await game.grab('started')), 'the help text stayed after the start');
}

// Waits until the falling piece is wholly inside the well, `depth` pixels below its top edge.
async function pieceInside(game, depth = 8) {
    return stepUntil(game, 'a piece inside the well', image => {
        const piece = fallingPiece(image);
        return piece && piece[0] > WELL[1] + depth ? piece : null;
    });
}

async function checkShift(game, key, delta) {
    const before = fallingPiece(await game.grab());
    await game.press(key);
    await game.step();
    const after = fallingPiece(await game.grab());
    // A pixel of slack for the soft rims of the cells.
    check(after && Math.abs(after[2] - before[2] - delta) <= 2 && Math.abs(after[3] - before[3] - delta) <= 2,
          `${key} did not move the piece by ${delta}: ${before} then ${after}`);
}

async function checkTurn(game, key) {
    const before = fallingPiece(await game.grab());
    await game.press(key);
    await game.step();
    const after = fallingPiece(await game.grab());
    // Width and height swap; a piece between two rows has soft rims: a pixel or two of slack.
    check(after && Math.abs(after[3] - after[2] - (before[1] - before[0])) <= 3 &&
          Math.abs(after[1] - after[0] - (before[3] - before[2])) <= 3, `${key} did not turn the piece`);
}

// The piece joins the stack at once: within a few ticks there is no piece in the air, or the one
// in the air is a new one, higher than the slammed one.
async function checkSlam(game, key) {
    const piece = await pieceInside(game);
    await game.press(key);
    await slammed(game, piece, key);
}

// Steps until the slammed `piece` has joined the stack: no piece in the air, or a new one above it.
async function slammed(game, piece, what) {
    await stepUntil(game, `${what} to slam the piece`, image => {
        const now = fallingPiece(image);
        return now === null || now[0] < piece[0] - 5;
    }, 15);
}

// Holding the key makes the piece fall faster than it does by itself.
async function checkFaster(game, key) {
    const top = async () => fallingPiece(await game.grab())[0];
    const start = await top();
    await game.step(4);
    const alone = await top() - start;
    await game.down(key);
    const held = await top();
    await game.step(4);
    const faster = await top() - held;
    await game.up(key);
    check(faster > alone + 2, `${key} held: the piece fell ${faster} pixels in 4 ticks, ${alone} without it`);
}

// The sound: the page's audio context is made at the first key, the start and a slam are heard
// where the sound leaves the page, and M (the sound buttons showing it) silences a slam and
// brings the sound back.
async function checkSound(game) {
    const page = game.page;
    const audio = () => page.evaluate(() => ({
        context: Module.stakmirAudio.context ? Module.stakmirAudio.context.state : 'none',
        time: Module.stakmirAudio.context ? Module.stakmirAudio.context.currentTime : 0,
        loudest: window.stakmirTest.loudest,
        buttons: [...document.querySelectorAll('.sound')].map(button => button.getAttribute('aria-pressed')),
    }));
    // Waits until the page has played `seconds` more of its sound.
    const play = async seconds => page.waitForFunction(
        since => Module.stakmirAudio.context.currentTime > since, POLL, (await audio()).time + seconds);
    const listen = () => page.evaluate(() => { window.stakmirTest.loudest = 0; });
    const heard = what => page.waitForFunction(() => window.stakmirTest.loudest > 0.05, POLL)
        .catch(() => { throw new Failure(`${what} was not heard in the page's audio graph`); });
    check((await audio()).context === 'none', 'the page made its audio context before a key');
    await startGame(game);
    await page.waitForFunction(() => Module.stakmirAudio.context.state === 'running', POLL);
    await heard('the start of the game');
    for (const muted of ['true', 'false']) {
        await game.press('KeyM');
        await game.step();
        const now = await audio();
        check(now.buttons.length === 2 && now.buttons.every(pressed => pressed === muted),
              `after M the sound buttons show ${now.buttons}, not aria-pressed ${muted}`);
        await play(0.75);  // the analysers hold nothing from before
        await listen();
        await checkSlam(game, 'Space');
        if (muted === 'true') {
            await play(0.3);
            const after = await audio();
            check(after.loudest === 0, `a slam with the sound off reached the page's audio graph (${after.loudest})`);
        } else {
            await heard('a slam with the sound on again');
        }
    }
}

// Arrows, digits and the keypad with NumLock off and on move, turn, speed up and slam the piece;
// an auto-repeated press moves it again; the score changes; the sound (checkSound).
async function casePlay(game) {
    await checkSound(game);
    const first = await pieceInside(game);
    await game.step(10);
    const second = fallingPiece(await game.grab('falling'));
    check(second[0] > first[0] && Math.abs(second[2] - first[2]) <= 2, `the piece did not fall straight: ${first} then ${second}`);
    for (const [key, delta] of [['ArrowLeft', -CELL], ['ArrowRight', CELL], ['Digit4', -CELL], ['Digit6', CELL],
                                ['Numpad4', -CELL], ['Numpad6', CELL], ['Numpad4 on', -CELL], ['Numpad6 on', CELL]]) {
        await checkShift(game, key, delta);
    }
    const before = fallingPiece(await game.grab('moved'));
    for (const repeat of [false, true, true]) {  // a press and two repeats: three columns
        await game.down('Numpad4 on', repeat);
    }
    await game.up('Numpad4 on');
    await game.step();
    const repeated = fallingPiece(await game.grab());
    check(Math.abs(repeated[2] - before[2] + 3 * CELL) <= 2, `a held key's repeats did not move the piece: ${repeated}`);
    for (const key of ['ArrowDown', 'Digit2', 'Numpad2', 'Numpad2 on']) {
        await checkFaster(game, key);
    }
    const scoreBefore = await game.grab();
    // Each piece is slammed once its checks are done, so that none lands by itself.
    const slams = ['PageDown', 'Space', 'Digit3', 'Numpad3', 'Numpad3 on'];
    const slam = () => checkSlam(game, slams.length > 0 ? slams.shift() : 'Space');
    await slam();
    // Turning needs a piece that is not square; square ones are slammed away.
    for (const group of [['ArrowUp', 'Digit8', 'Digit5'], ['Numpad5', 'Numpad8'], ['Numpad8 on', 'Numpad5 on']]) {
        // Two rows down, so that a turned piece does not reach above the well's top edge.
        while (isSquare(await pieceInside(game, 2 * CELL + 5))) {
            await slam();
        }
        for (const key of group) {
            await checkTurn(game, key);
        }
        await game.grab('turned');
        await slam();
    }
    while (slams.length > 0) {
        await slam();
    }
    const after = await game.grab('slammed');
    check(after.fraction(SCORE_TEXT, darkText) > 0.03, 'no score is shown');
    check(after.difference(scoreBefore, SCORE_TEXT) > 1, 'the score did not change');
    // The score font's alpha atlas takes its colour from the current colour, dark blue in the
    // first levels (0, 32, 64): a font texture that lost it would draw black.
    let core = [255, 255, 255];
    for (let y = SCORE_TEXT[1]; y < SCORE_TEXT[1] + SCORE_TEXT[3]; ++y) {
        for (let x = SCORE_TEXT[0]; x < SCORE_TEXT[0] + SCORE_TEXT[2]; ++x) {
            const p = after.pixel(x, y);
            core = p[0] + p[1] + p[2] < core[0] + core[1] + core[2] ? p : core;
        }
    }
    check(Math.abs(core[0] - 0) <= 3 && Math.abs(core[1] - 32) <= 3 && Math.abs(core[2] - 64) <= 3,
          `the score is drawn in ${core}, not in the dark blue (0, 32, 64) of the first levels`);
}

// The page's own controls keep the game going; the page hidden behind another tab (blur and
// hidden, as a player switching tabs) pauses the game at once under its veil; nothing moves
// while it is away; back in front, the game goes on. P pauses it as well, and Pause goes on.
async function casePause(game) {
    await startGame(game);
    await pieceInside(game);
    await checkControlsKeepFocus(game);
    const playing = await game.grab('playing');
    // With the focus no longer emulated, the page loses it to the other tab as in a real window.
    await (await game.cdp()).send('Emulation.setFocusEmulationEnabled', { enabled: false });
    const other = await game.browser.newPage();
    await other.bringToFront();
    await game.page.waitForFunction(() => document.visibilityState === 'hidden' && !document.hasFocus(), POLL);
    const veiled = await game.grab('paused');
    check(veiled.brightness() > playing.brightness() + 20, 'no pause veil when the page was left');
    await game.step(30);
    check((await game.grab()).difference(veiled) < 0.01, 'the game went on while the page was away');
    await game.page.bringToFront();
    await game.page.waitForFunction(() => document.visibilityState === 'visible' && document.hasFocus(), POLL);
    await game.step();
    const resumed = await game.grab('resumed');
    check(resumed.brightness() < playing.brightness() + 5, 'the veil stayed when the page came back');
    const top = fallingPiece(resumed)[0];
    await stepUntil(game, 'the piece to fall on', image => fallingPiece(image)[0] > top + 3, 60);
    const moving = await game.grab();
    await game.press('KeyP');
    await game.step(30);
    const pausedByP = await game.grab('paused-by-p');
    check(pausedByP.brightness() > moving.brightness() + 20, 'no pause veil after P');
    await game.press('Pause');
    await game.step();
    check((await game.grab()).brightness() < moving.brightness() + 5, 'Pause did not go on');
}

// A click on the fullscreen button, or Tab onto it, and then a click on the game: the button's
// losing the focus is not the page's, and the game plays on.
async function checkControlsKeepFocus(game) {
    for (const reach of ['a click', 'Tab']) {
        if (reach === 'Tab') {
            await game.press('Tab');
        } else {
            await game.page.click('#below .fullscreen');
        }
        check(await game.page.evaluate(() => document.activeElement.classList.contains('fullscreen')),
              `${reach} did not give the fullscreen button the focus`);
        await game.page.click('#canvas');
        await game.step();
        const top = fallingPiece(await game.grab())[0];
        await stepUntil(game, `the piece to fall on after ${reach} on the fullscreen button and a click on the game`,
                        image => fallingPiece(image)[0] > top + 3, 60);
    }
    await game.page.evaluate(() => document.fullscreenElement && document.exitFullscreen());
}

// Each quit key ends the game as on the desktop: the frames stop, every texture made (the nine
// pictures' and the frame's) is released and the note with a way to play again takes the
// canvas's place; the link plays again.
async function caseQuitKeys(browser, server, outDir) {
    for (const key of ['Escape', 'KeyQ', 'KeyX', 'F2', 'F9']) {
        const game = await Game.open(browser, server, outDir);
        await game.step(5);
        await game.press(key);
        await game.step();
        await checkQuitNote(game, key);
        if (key !== 'Escape') {
            await game.page.close();
            continue;
        }
        await game.screenshot('quit-note');
        await game.page.click('#note a');
        await game.page.waitForFunction(() => document.getElementById('note').hidden &&
                                              window.stakmirTest.callbacks.length > 0, POLL);
        await game.step(60);
        check(helpShown(await game.grab()), 'Play again did not start a new game');
        await game.page.close();
    }
}

async function checkQuitNote(game, what) {
    const note = await game.note();
    check(note.shown && note.fits && note.kind === 'quit' && !note.canvasShown && /Play again/.test(note.text),
          `${what}: no play-again note in the canvas's place (${JSON.stringify(note)})`);
    check(note.waiting === 0, `${what}: the game still asks for frames after quitting`);
    check(note.created >= TEXTURES && note.deleted === note.created,
          `${what}: ${note.deleted} of the ${note.created} textures made were released`);
}

// The page itself, with the browser's own animation frames: title, icon and key legend, nothing
// fetched from elsewhere, the canvas in the middle; the intro plays into the help screen; the
// game's keys are kept from the page (no scrolling), every other key and Control shortcuts
// stay with the browser.
async function casePage(game) {
    const page = game.page;
    await stepUntilReal(game, 'the end of the intro', image => helpShown(image) && wellShown(image), 10000);
    await game.screenshot('help');
    // A normal load says nothing on the console. Headless Chromium's software compositing reads
    // every WebGL canvas back to show it, and reports that as a driver's performance note even
    // for a page that only clears its canvas: that note is the browser's own, not the page's.
    const said = game.log.filter(text => !/GL Driver Message \(OpenGL, Performance.*GPU stall due to ReadPixels/.test(text));
    check(said.length === 0, `the page wrote to the console: ${said.join(' | ')}`);
    // The browser's frames come at 60 a second; the game ticks at nearly every one, 58.8 times a
    // second, as on the desktop, not at two frames of three as a plain millisecond clock would.
    // The stretch measured starts and ends between ticks, and the frames' own times run up to a
    // frame behind the clock read here: two ticks more than its length holds may fall inside it
    // (a tick at every frame of a 60 Hz display would be nearly five more).
    const count = () => page.evaluate(() => [window.stakmirTest.frames, window.stakmirTest.clears, performance.now()]);
    const [frames0, ticks0, time0] = await count();
    await new Promise(resolve => setTimeout(resolve, 4000));
    const [frames1, ticks1, time1] = await count();
    const ticks = ticks1 - ticks0;
    const perFrame = ticks / (frames1 - frames0);
    check(ticks <= (time1 - time0) / TICK_MS + 2 && perFrame > 0.9,
          `${ticks} ticks in ${(time1 - time0).toFixed(0)} ms, ${perFrame.toFixed(3)} a frame`);
    check(await page.title() === 'Stakmir', `the page is titled ${await page.title()}`);
    const icons = await page.evaluate(async () => Promise.all(
        [...document.querySelectorAll('link[rel=icon]')].map(async link => {
            const image = new Image();
            image.src = link.href;
            await image.decode();
            return `${image.naturalWidth}x${image.naturalHeight}`;
        })));
    check(icons.join() === '16x16,32x32', `the page's icons are ${icons}`);
    const legend = await page.evaluate(() => document.querySelector('.legend').textContent.replace(/\s+/g, ' '));
    for (const words of ['Rotate', 'Left', 'Right', 'Faster', 'Slam', 'Quit', 'Esc Q X F2 F9']) {
        check(legend.includes(words), `the key legend does not name ${words}: ${legend}`);
    }
    const box = await page.evaluate(() => {
        const rect = document.getElementById('canvas').getBoundingClientRect();
        return { centre: rect.left + rect.width / 2, middle: innerWidth / 2, width: rect.width, height: rect.height };
    });
    check(Math.abs(box.centre - box.middle) <= 1 && box.width === W && box.height === H,
          `the canvas is not a centred ${W} by ${H}: ${JSON.stringify(box)}`);
    // A drag on the canvas, which moves the window on the desktop, changes nothing on a page.
    const still = await game.grab();
    await page.mouse.move(box.centre, 200);
    await page.mouse.down();
    await page.mouse.move(box.centre - 100, 260, { steps: 5 });
    await page.mouse.up();
    await new Promise(resolve => setTimeout(resolve, 200));
    const moved = await page.evaluate(() => document.getElementById('canvas').getBoundingClientRect().left);
    check(Math.abs(moved + box.width / 2 - box.middle) <= 1, 'a drag moved the canvas');
    check((await game.grab()).difference(still) < 0.5, 'a drag changed the picture of the help screen');
    const elsewhere = game.requests.filter(url => !url.startsWith(game.server.url) && !url.startsWith('data:'));
    check(elsewhere.length === 0, `the page fetched from elsewhere: ${elsewhere}`);

    // The game's keys are kept from the page, the others left to it: the page itself never
    // scrolls, but a browser would for the arrows, space and Page Down.
    await page.evaluate(() => {
        window.prevented = {};
        window.addEventListener('keydown', event => {
            window.prevented[event.key + (event.ctrlKey ? '+ctrl' : '')] = event.defaultPrevented;
        });
    });
    for (const key of ['ArrowDown', 'Space', 'PageDown', 'Digit2', 'Numpad2', 'KeyP', 'KeyA']) {
        await game.press(key);
    }
    await new Promise(resolve => setTimeout(resolve, 300));  // the browser scrolls smoothly, when it does
    check(await page.evaluate(() => window.scrollY) === 0, 'a key of the game scrolled the page');
    await game.press('End');
    await game.press('Tab');
    await page.keyboard.down('Control');
    await game.press('KeyX');  // a browser shortcut: it must not quit the game
    await page.keyboard.up('Control');
    const prevented = await page.evaluate(() => window.prevented);
    const expected = { ArrowDown: true, ' ': true, PageDown: true, 2: true, p: true, Tab: false, a: false,
                       End: false, 'x+ctrl': false };
    for (const [key, want] of Object.entries(expected)) {
        check(prevented[key] === want, `the page's own use of ${key} was ${want ? 'not ' : ''}suppressed`);
    }
    await new Promise(resolve => setTimeout(resolve, 300));
    check((await game.note()).canvasShown, 'Control+X ended the game');
}

// Grabs the canvas while the browser runs its own frames until `test` holds.
async function stepUntilReal(game, what, test, ms) {
    const end = Date.now() + ms;
    while (Date.now() < end) {
        if (test(await game.grab())) {
            return;
        }
        await new Promise(resolve => setTimeout(resolve, 50));
    }
    throw new Failure(`${what} did not come within ${ms} ms`);
}

// Without WebGL, and short of memory at start: one line on the page in the canvas's place, no
// frames asked for, and nothing left made (every texture made is deleted again).
async function caseFailures(browser, server, outDir) {
    const noWebgl = await launch(['--disable-webgl']);
    try {
        const game = await Game.open(noWebgl, server, outDir);
        await checkFailure(game, 'without WebGL', /^Stakmir cannot start: .*WebGL/);
        await game.screenshot('no-webgl');
    } finally {
        await noWebgl.close();
    }
    const game = await Game.open(browser, server, outDir, { file: 'low-memory.html' });
    await checkFailure(game, 'short of memory', /^Stakmir cannot start: out of memory/);
    await game.screenshot('low-memory');
}

async function checkFailure(game, what, line) {
    const note = await game.note();
    check(note.shown && note.fits && note.kind === 'failure' && !note.canvasShown && line.test(note.text),
          `${what}: no failure line in the canvas's place (${JSON.stringify(note)}; the page said: ` +
          `${game.log.slice(-5).join(' | ')})`);
    check(note.waiting === 0 && note.created === note.deleted,
          `${what}: something was left started (${JSON.stringify(note)})`);
}

async function playToTheEnd(game) {
    await startGame(game);
    await stepUntil(game, 'the play-again question', async image => {
        if (questionShown(image)) {
            return true;
        }
        await game.press('Space');
        await game.step(3);
        return false;
    }, 1000);
    await game.grab('game-over');
}

// F10 (a system key) and a key an input method took cannot answer the play-again question; Y
// plays again from an empty well;
// N ends the game with the play-again note.
async function caseGameOver(game) {
    await playToTheEnd(game);
    await game.press('F10');
    await game.step(5);
    check(questionShown(await game.grab()), 'F10 answered the question');
    // A key whose press an input method took (reported as key 229) must not answer on release.
    const input = await game.cdp();
    await input.send('Input.dispatchKeyEvent', { type: 'keyDown', windowsVirtualKeyCode: 229, key: 'Process', code: 'KeyN' });
    await input.send('Input.dispatchKeyEvent', { type: 'keyUp', windowsVirtualKeyCode: 78, key: 'n', code: 'KeyN' });
    await game.step(5);
    check(questionShown(await game.grab()) && !(await game.note()).shown,
          'the release of a key an input method took answered the question');
    await game.press('KeyY');
    await game.step(5);
    const again = await game.grab('new-game');
    check(helpShown(again) && rowGroups(again).length === 0, 'Y did not start a new game with an empty well');
    await playToTheEnd(game);
    await game.press('KeyN');
    await game.step();
    await checkQuitNote(game, 'N');
}


// ---- Running one case ----

const CASES = {
    reference_frames: { run: caseReferenceFrames, custom: true },
    play: { run: casePlay },
    pause: { run: casePause },
    quit_keys: { run: caseQuitKeys, custom: true },
    game_over: { run: caseGameOver },
    failures: { run: caseFailures, custom: true },
    page: { run: casePage, open: { holdFrames: false } },
};

// Runs the case named on the command line: node FILE PAGE_DIR OUT_DIR CASE.
async function runCase(cases) {
    const [pageDir, workDir, name] = process.argv.slice(2);
    const kase = cases[name];
    if (!kase) {
        console.error(`usage: ${path.basename(process.argv[1])} PAGE_DIR OUT_DIR CASE ` +
                      `(one of ${Object.keys(cases).join(', ')})`);
        return 2;
    }
    const outDir = path.join(path.resolve(workDir), name);
    fs.mkdirSync(outDir, { recursive: true });
    for (const old of fs.readdirSync(outDir).filter(f => f.endsWith('.png'))) {
        fs.unlinkSync(path.join(outDir, old));
    }
    const server = await serve(path.resolve(pageDir));
    const browser = await launch(kase.args || []);
    let game = null;
    try {
        if (kase.custom) {
            await kase.run(browser, server, outDir);
        } else {
            game = await Game.open(browser, server, outDir, kase.open || {});
            await kase.run(game);
        }
        console.log(`${name}: passed`);
        return 0;
    } catch (error) {
        if (game) {
            await game.screenshot('failure').catch(() => {});
            console.error(game.log.slice(-20).join('\n'));
        }
        console.error(`${name}: ${error instanceof Failure ? error.message : error.stack}`);
        return 1;
    } finally {
        await browser.close();
        await server.close();
    }
}

module.exports = {
    serve, launch, pageHooks, runCase, Game, Failure, check, POLL, W, H, CELL, WELL, TEXTURES,
    helpShown, wellShown, questionShown, fallingPiece, isSquare, rowGroups, stepUntil, stepUntilReal, startGame,
    pieceInside, slammed, checkQuitNote, checkFailure, checkShift, checkTurn, checkFaster, checkSlam,
    compareWithReference, SMALL_CPU_DECODED, SMALL_S3TC,
};

if (require.main === module) {
    runCase(CASES).then(code => process.exit(code));
}
