#pragma once
#include "engine/foundation/Vector.h"

namespace KorvaneEngine {

// Origin and direction; the direction is not normalised, its length is the
// unit in which hit distances are measured.
struct Ray {
    Vector3 origin;
    Vector3 direction;
    Ray() = default;
    Ray(const Vector3& origin_, const Vector3& direction_) : origin(origin_), direction(direction_) {}
};

} // namespace KorvaneEngine
