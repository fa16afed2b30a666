// What the libraries write on their own to the terminal the player was started from: the
// web engine reports its start-up settings on every run, which says nothing to a user. It
// is kept off by a default filter rule, below the user's own rules, so that
// QT_LOGGING_RULES (or a logging configuration file) still turns it on.
#pragma once

class QuietTerminal {
public:
    // Before the application object, so that no report comes first.
    static void Apply();
};
