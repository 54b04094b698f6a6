// A loaded scene as JSON, every record whole (velatool scene dump); references are indexes
// into their list.
#pragma once

#include <string>

#include "engine/scene/scene_model.h"

std::string SceneJson(const Scene& scene);
