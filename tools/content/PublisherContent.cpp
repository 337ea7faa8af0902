// data\publisher.xml: the publisher the player files are kept under. The
// program reads it before any pack is open, so it always stays a loose file.
#include "tools/content/ContentSet.h"
#include "tools/content/Generator.h"
#include "tools/content/Modules.h"
#include "tools/formats/XmlWriter.h"

namespace Content {

void AddPublisher(ContentSet& set, const Options&)
{
    const char kPath[] = "data\\publisher.xml";
    ContentTools::XmlElement publisher("publisher");
    publisher.Set("name", "demo");
    set.AddText(kPath, ContentTools::WriteXml(publisher, false));
    set.MarkLoose(kPath);
}

} // namespace Content
