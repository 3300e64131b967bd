// One complete frame: resources, white clear, the design-unit transform, the
// hero area, the page and the title buttons.
#pragma once

#include "engine/state.h"

void PaintFrame();
// Asks for a new frame because something that reaches the picture changed.
// Every change of page, options, texts, hover, press or scale comes through here.
void RequestFrame();
void DrawTitleButtons();
