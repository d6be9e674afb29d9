'use strict';
// Keeps every file of the program, so that after one visit it starts with
// no network. A file is fetched anew when the network is there, so that a
// new release arrives; the kept copy is used when it is not.
const CACHE = 'plimvar';
const FILES = ['./', 'index.html', 'plimvar.css', 'page.js', 'plimvar.js', 'plimvar.wasm',
               'manifest.webmanifest', 'plimvar.svg', 'plimvar-128.png', 'plimvar-256.png'];

self.addEventListener('install', (event) => {
    event.waitUntil(caches.open(CACHE).then((cache) => cache.addAll(FILES)).then(() => self.skipWaiting()));
});

self.addEventListener('activate', (event) => {
    event.waitUntil(self.clients.claim());
});

self.addEventListener('fetch', (event) => {
    if (event.request.method !== 'GET' || new URL(event.request.url).origin !== self.location.origin)
        return;
    event.respondWith(fetch(event.request).then((response) => {
        if (response.ok) {
            const copy = response.clone();
            caches.open(CACHE).then((cache) => cache.put(event.request, copy));
        }
        return response;
    }).catch(() => caches.match(event.request, { ignoreSearch: true })));
});
