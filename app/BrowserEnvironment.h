// The web engine's start-up settings, which it reads from the environment once, when the
// map view first starts it: they are set here, before the application object, and only
// where the user has not set them.
#pragma once

class BrowserEnvironment {
public:
    // The map is one light page beside a video, so the engine runs in its low-memory mode
    // and its script engine trades speed the page does not need for memory: smaller caches
    // and heaps in both processes, and no optimised script code.
    //
    // Chromium refuses to start its sandboxed renderer as root, and the map page then never
    // shows: for root the sandbox is switched off, for this process only. With the sandbox
    // off, whether by this or by the user, Chromium's zygotes (processes started up front
    // for renderers to be forked from inside the sandbox) have nothing left to do for a
    // view with one renderer, and the renderer starts on its own instead: two processes
    // fewer to start and to keep in memory.
    static void Prepare(bool root);
};
