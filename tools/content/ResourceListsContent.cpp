// The resource lists the game loads at start-up, so that each exists even
// while no module puts an entry into it.
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/content/ResourceLists.h"

namespace Content {

void AddResourceLists(ContentSet& set, const Options&)
{
    for (const ResourceLists::List& list : ResourceLists::kLists)
        set.ResourceList(list.path);
}

} // namespace Content
