// The skin engine's five entry points. Windows are registered under element names; the
// engine lays registered windows out and paints the backgrounds of the windows that paint
// themselves (the G-sensor chart and the speed dial).
//
// This is the least engine the panes need: element names are kept on the widgets (the
// "skinElement" property), layout follows fixed rules per element, and backgrounds are
// drawn by code. Reading the skin archive comes with the skin engine proper.
#pragma once

#include <QString>

class QPainter;
class QWidget;

// Loads the skin archive at `path`; non-zero when it could be loaded. An empty path
// selects the built-in look.
int SkinSE_LoadSkinResourceFromZIP(const QString& path, const QString& password);

// From now on the window is drawn as `element`; a later call with another name changes it.
void SkinSE_SubclassWindow(QWidget* window, const QString& element);

// Lays out the window's registered children by the rules of the window's element.
void SkinSE_SetLayoutMainFrame(QWidget* window);

// Places the window at the rectangle, in pixels of its parent's client area.
void SkinSE_SetLayoutWindowPos(QWidget* window, int left, int top, int right, int bottom);

// Fills the rectangle of the painter with the skin's background for the window.
void SkinSE_UI_DrawBack(QWidget* window, QPainter& painter, int x, int y, int width, int height,
                        int alpha);

// The element name a window was registered under, empty when none.
QString SkinElementOf(const QWidget* window);
