// The skin engine's five entry points. A skin archive (see SkinManifest.h) is loaded once
// before any window exists; windows are then registered under element names, get their
// look from the skin's style sheet and icons, are laid out by the skin's rules for their
// parent, and the windows that paint themselves (the chart and the dial) have the skin
// paint their backgrounds.
#pragma once

#include <QString>

class QPainter;
class QWidget;

// Loads the skin archive at `path`; non-zero when it was loaded. 0 when the file cannot be
// read or the archive is refused; SkinSE_LastError() then says why. The password is
// unused: our archives are not encrypted.
int SkinSE_LoadSkinResourceFromZIP(const QString& path, const QString& password);

// From now on the window is drawn as `element`; a later call with another name changes it.
void SkinSE_SubclassWindow(QWidget* window, const QString& element);

// Places the window's registered children by the skin's layout for the window's element,
// and refreshes their faces. A window may choose another layout of the skin with the
// "skinLayoutVariant" property: the layout "<element>:<variant>" is then used (a main
// window with its playlist collapsed, say).
void SkinSE_SetLayoutMainFrame(QWidget* window);

// Places the window at the rectangle, in pixels of its parent's client area.
void SkinSE_SetLayoutWindowPos(QWidget* window, int left, int top, int right, int bottom);

// Fills the rectangle of the painter with the skin's background for the window: its
// element's, or for a window registered under no element, that of "#<object name>".
void SkinSE_UI_DrawBack(QWidget* window, QPainter& painter, int x, int y, int width, int height,
                        int alpha);

// The element name a window was registered under, empty when none.
QString SkinElementOf(const QWidget* window);

// Why the last load failed, one line.
QString SkinSE_LastError();

// Drops the loaded skin, as a program's end does; tests load one skin after another.
void SkinSE_Unload();
