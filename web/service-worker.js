'use strict';
// Keeps one release of Plimvar whole, so that after one visit the page
// starts with no network, and never runs the files of two releases together.
// On each start with the network there, it first asks the server which
// release it publishes (release.json, fetched past every cache and with no
// condition, so that neither the files' times nor what the server sends can
// hide a new one); a new release is downloaded whole, the same way, before
// any of it runs. With no network, or no answer in time, the kept release
// runs, and a download still under way is used at the next start.
const WHOLE = 'release-is-whole';
const ANSWER_WAIT_MS = 5000;

self.addEventListener('install', (event) => {
    event.waitUntil(published().then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(self.clients.claim());
});

// The release each page started with: all it loads comes from that one, even
// when a newer release became whole meanwhile (a download that outlasted the
// wait of its start).
const releaseOf = new Map();

self.addEventListener('fetch', (event) => {
    const request = event.request;
    if (request.method !== 'GET' || new URL(request.url).origin !== self.location.origin)
        return;
    if (request.mode === 'navigate') {
        event.respondWith(startingRelease().then((release) => {
            releaseOf.set(event.resultingClientId, release);
            return fromRelease(release, 'index.html', request);
        }));
    } else {
        const started = releaseOf.get(event.clientId);
        event.respondWith((started ? Promise.resolve(started) : keptRelease())
            .then((release) => fromRelease(release, request, request)));
    }
});

async function fromRelease(release, key, request)
{
    const kept = release && await release.match(key, { ignoreSearch: true });
    return kept || fetch(request);
}

// The newest release kept whole, or null.
async function keptRelease()
{
    const names = (await caches.keys()).filter((name) => name.startsWith('plimvar-'));
    for (const name of names.reverse()) {
        const release = await caches.open(name);
        if (await release.match(WHOLE))
            return release;
    }
    return null;
}

// The release a page starts with: the one published, if the server says in
// time which it is and it can be had whole; else the kept one.
async function startingRelease()
{
    const kept = keptRelease();
    const wait = new Promise((resolve) => setTimeout(resolve, ANSWER_WAIT_MS));
    const fresh = published().catch(() => null);
    return (await Promise.race([fresh, wait.then(() => null)])) || kept;
}

// The browser keeps a page's scripts in memory beside any cache, for as
// long as their headers say they are fresh; marked so, they come from here
// every time, and a new release cannot meet the script of an old one.
async function revalidated(response)
{
    const headers = new Headers(response.headers);
    headers.set('Cache-Control', 'no-cache');
    return new Response(await response.blob(), { status: response.status, headers });
}

// The release the server publishes now, downloaded whole unless it is kept
// already; the releases before it go.
async function published()
{
    const response = await fetch('release.json', { cache: 'reload' });
    if (!response.ok)
        throw new Error('release.json: ' + response.status);
    const { release, files } = await response.json();
    const name = 'plimvar-' + release;
    const cache = await caches.open(name);
    if (!await cache.match(WHOLE)) {
        const responses = await Promise.all(files.map((file) => fetch(file, { cache: 'reload' })));
        await Promise.all(responses.map(async (response, k) => {
            if (!response.ok)
                throw new Error(files[k] + ': ' + response.status);
            await cache.put(files[k], await revalidated(response));
        }));
        await cache.put(WHOLE, new Response(name));
    }
    for (const other of await caches.keys())
        if (other !== name)
            await caches.delete(other);
    return cache;
}
