// The hero area: hero1.png .. hero5.png from the host's folder, loaded once per
// render target, drawn to cover the area, cross-fading on the installing page;
// the brand gradient wherever a picture is missing.
#pragma once

#include "engine/state.h"

void LoadHeroPictures();
void DrawHeroArea(float height);
void DrawCoverPicture(ID2D1Bitmap *picture, float opacity, float height);
// The part of a w x h picture that covers an area of the given proportion
// (width / height), centred, cutting evenly on both sides.
D2D1_RECT_F CoverSourceRect(float w, float h, float areaProportion);
