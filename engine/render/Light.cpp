#include "engine/render/Light.h"

#include <cfloat>
#include <cmath>

namespace KorvaneEngine {

Light::~Light() {}

Light::Light(uint32_t index_) : index(index_), range(std::sqrt(FLT_MAX)) {}

void Light::Refresh() {}

void Light::Restore() {}

} // namespace KorvaneEngine
