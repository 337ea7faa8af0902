#pragma once
// One function a content module, each in its own file. Generate calls them in
// the order of Generator.cpp's table; a later module may read or extend what an
// earlier one added (resource lists, texts).

namespace Content {
class ContentSet;
struct Options;

// data\publisher.xml, a loose file (PublisherContent.cpp).
void AddPublisher(ContentSet& set, const Options& options);
// The resource lists loaded at start-up, so that each exists (ResourceListsContent.cpp).
void AddResourceLists(ContentSet& set, const Options& options);
// The music and the sounds of the sound table: data\audio (AudioContent.cpp).
void AddAudio(ContentSet& set, const Options& options);
// Localised texts: data\ui\texts (TextsContent.cpp).
void AddTexts(ContentSet& set, const Options& options);
// Levels, theme and picture costs, and each puzzle's cost (CatalogueContent.cpp).
void AddCatalogue(ContentSet& set, const Options& options);
// Window descriptions and their art: data\ui\windows, data\ui\models (WindowsContent.cpp).
void AddWindows(ContentSet& set, const Options& options);
// The relax offer's window description, over the windows module's templates
// and art (RelaxWindowContent.cpp). After AddWindows.
void AddRelaxWindow(ContentSet& set, const Options& options);
// The publishers' logos, big and small: data\ui\textures\publishers
// (LogosContent.cpp).
void AddLogos(ContentSet& set, const Options& options);

// Every theme's pictures, previews and colours: data\themes\<theme>
// (PicturesContent.cpp).
void AddPictures(ContentSet& set, const Options& options);
// Every puzzle's cuts, one file a size, and its preview: data\puzzles\NN
// (PuzzlesContent.cpp).
void AddPuzzles(ContentSet& set, const Options& options);
// Bitmap fonts rasterised from fonts-dejavu-core, one folder a language:
// data\ui\fonts (FontsContent.cpp).
void AddFonts(ContentSet& set, const Options& options);
// The font table over those fonts, and the check that every character the
// texts and windows show has a glyph: data\ui\fonts\fonts_*.xml
// (FontTableContent.cpp). After AddFonts, whose files it names.
void AddFontTable(ContentSet& set, const Options& options);

// The console panel's picture: data\ui\console (ConsoleContent.cpp).
void AddConsole(ContentSet& set, const Options& options);
// The level's game objects: data\game_objects (GameObjectsContent.cpp).
void AddGameObjects(ContentSet& set, const Options& options);

// The animated menu background, its description and both resource lists:
// data\ui\background (BackgroundContent.cpp).
void AddBackground(ContentSet& set, const Options& options);

// The GUI's cursor arrow and the trail and click sparkles: data\ui\cursors
// (CursorContent.cpp; the system cursors are written by the build).
void AddCursors(ContentSet& set, const Options& options);

} // namespace Content
