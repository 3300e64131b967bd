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

// Whether the hero area of the current page can show a slide: picture 1 on the
// welcome and finished pages, pictures 2 to 5 on the installing page.
bool SlideInRotation(int slide);

// Height of the hero area on the current page, in design units: the whole
// canvas on the welcome and finished pages, above the status on the installing page.
float HeroHeight();

// Starts reading the pictures of a new render target: those a frame shows are
// decoded as it draws them (HeroPicture), the others by LoadRemainingPictures.
void LoadHeroPictures();
// Once the first frame is on screen: the pictures it did not need are decoded
// on a thread of their own (render/picture_loader.h).
void LoadRemainingPictures();
// The picture of a slot for drawing, null for none. One the loader has not
// yet handed over is taken over now, after waiting for its file if need be.
ID2D1Bitmap *HeroPicture(int slot);
// Takes over every picture the loader has finished, without waiting: the
// tick calls it when the loader reports one.
void AdoptLoadedPictures();
// Stops the loader and releases the pictures (with the device resources).
void ReleaseHeroPictures();
void DrawHeroArea(ID2D1RenderTarget *target, float height, const HeroLook &look);
void DrawCoverPicture(ID2D1RenderTarget *target, ID2D1Bitmap *picture, float opacity, float height);
// The place of a w x h picture shown whole in an area, centred, as large as it fits.
D2D1_RECT_F ContainedRect(float w, float h, const D2D1_RECT_F &area);
// The part of a w x h picture that covers an area of the given proportion
// (width / height), centred, cutting evenly on both sides.
D2D1_RECT_F CoverSourceRect(float w, float h, float areaProportion);
