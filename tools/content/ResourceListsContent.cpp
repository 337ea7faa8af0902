// The resource lists the game loads at start-up. Each exists even while no
// module puts an entry into it: a missing list is fatal.
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"

namespace Content {

void AddResourceLists(ContentSet& set, const Options&)
{
    const char* const kLists[] = {
        "data\\ui\\resources_basic.xml",
        "data\\ui\\resources_additional.xml",
        "data\\ui\\background\\resources_basic.xml",
        "data\\ui\\background\\resources_additional.xml",
        "data\\game_objects\\resources.xml",
    };
    for (const char* list : kLists)
        set.ResourceList(list);
}

} // namespace Content
