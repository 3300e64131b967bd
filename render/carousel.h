// The hero area: hero1.png .. hero5.png from the host's folder, loaded once per
// render target, drawn to cover the area, cross-fading on the installing page;
// the brand gradient wherever a picture is missing. Under high contrast the
// picture is content, not decoration: shown whole in its own area on the
// system's window colour, or, when it is missing, the product's name.
#pragma once

#include "state/state.h"

// What the hero area shows: a slide (index into HeroBitmaps), and the slide
// fading in over it (-1 for none) at an opacity.
struct HeroLook {
    int Shown;
    int Incoming;
    float IncomingOpacity;
};

// The carousel as it stands: the shown slide and any cross-fade under way.
HeroLook CurrentHeroLook();

// Height of the hero area on the current page, in design units: the whole
// canvas on the welcome and finished pages, above the status on the installing page.
float HeroHeight();

void LoadHeroPictures();
void DrawHeroArea(ID2D1RenderTarget *target, float height, const HeroLook &look);
void DrawCoverPicture(ID2D1RenderTarget *target, ID2D1Bitmap *picture, float opacity, float height);
// The place of a w x h picture shown whole in an area, centred, as large as it fits.
D2D1_RECT_F ContainedRect(float w, float h, const D2D1_RECT_F &area);
// The part of a w x h picture that covers an area of the given proportion
// (width / height), centred, cutting evenly on both sides.
D2D1_RECT_F CoverSourceRect(float w, float h, float areaProportion);
