// The skin's dark sheet covers the whole application but styles only the player's own
// controls: on a dialog of the platform's making (a file dialog) it leaves light text on
// white views and cut columns. Such a dialog takes the platform's palette back instead.
#pragma once

class QWidget;

// Gives `dialog` and every widget in it the platform's readable colours, and its file
// views columns wide enough for what they show.
void MakeReadableUnderSkin(QWidget* dialog);
