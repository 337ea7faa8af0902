#pragma once
// The generated set read the way the engine will read it, before anything is
// written: what would cost a line of "Error" or "Warning" in the game's log,
// or a fatal stop, is found here and the generator refuses the set.
#include <string>
#include <vector>

namespace Content {
class ContentSet;

// Every fault, one line each, naming the file and the rule it breaks:
// - a resource list the game loads that is missing or malformed, or a
//   resource name registered twice;
// - a model, particle-system or texture-pack file that a list names and the
//   set lacks, the shader file (".srf") beside it missing, or unreadable;
// - a picture that a shader file, a list's shader, the font table or the
//   game's own code names and the set lacks, a texture whose sides are not
//   powers of two, or an opacity picture of another size than its colour
//   picture; a font file the font table names and the set lacks;
// - a model or shader a window description names ("ui/<name>") that no list
//   registers, or a queued one that the start-up loading window names;
// - a background layer's model, shader, animator or particle system that no
//   list registers, or a queued one in a layer loaded at once.
// Empty when the set holds together.
std::vector<std::string> FindContentFaults(const ContentSet& set);

} // namespace Content
