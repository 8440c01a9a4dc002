// The engine's view of resource lookup: a context built from its folders, resolver, log and
// message boxes.
#pragma once

#include "data/resource.h"

namespace rs {
class Engine;
}

namespace rs::data {

// A snapshot of what lookups need. It refers to the engine (resolver, log, boxes), which must
// outlive it; a loader thread takes its own copy.
ResourceContext resourceContext(Engine& e);

}  // namespace rs::data
