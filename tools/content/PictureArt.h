#pragma once
#include <cstdint>

#include "tools/content/Canvas.h"

namespace Content {

// The shipped pictures, drawn from a seed. The variant picks the scene
// (time of day, motif, garden plan); the seed varies it within the scene.
// Each takes well under a second at the catalogue's picture size.
Canvas DrawLandscape(int width, int height, int variant, uint32_t seed);
Canvas DrawMosaic(int width, int height, int variant, uint32_t seed);
Canvas DrawGarden(int width, int height, int variant, uint32_t seed);

// Picture NN of the catalogue's theme number theme, at the catalogue's size
// (PicturesContent.cpp): the same bytes every time.
Canvas DrawCataloguePicture(int theme, int picture);

// The play-test variant's picture: four flat quadrants (Catalogue.h).
Canvas DrawPlayTestPicture();

// Previews are square textures of this side.
const int kPreviewSize = 128;

} // namespace Content
